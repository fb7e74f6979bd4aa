#include "ImageCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tk {
namespace {

// Far outside any image, but small enough that a wild coordinate cannot overflow the pixel type.
constexpr double PIXEL_LIMIT = 1.0e6;

int ToPixel(double v) {
    if (!(v == v)) return 0;  // not a number
    return static_cast<int>(std::lround(std::clamp(v, -PIXEL_LIMIT, PIXEL_LIMIT)));
}

Qt::PenStyle QtStyle(LineStyle style) {
    switch (style) {
        case LineStyle::Dotted:
            return Qt::DotLine;
        case LineStyle::Dashed:
            return Qt::DashLine;
        case LineStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

QSize AtLeastOnePixel(QSize size) {
    return QSize(std::max(1, size.width()), std::max(1, size.height()));
}

// Cuts the segment to the image (Liang-Barsky); false when nothing of it is inside.
bool ClipToImage(QPoint& a, QPoint& b, int width, int height) {
    if (a.x() >= 0 && a.x() < width && a.y() >= 0 && a.y() < height && b.x() >= 0 && b.x() < width &&
        b.y() >= 0 && b.y() < height)
        return true;
    const double x0 = a.x();
    const double y0 = a.y();
    const double dx = b.x() - x0;
    const double dy = b.y() - y0;
    double t0 = 0.0;
    double t1 = 1.0;
    const auto edge = [&](double p, double q) {
        if (p == 0.0) return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x0) || !edge(dx, width - 1 - x0) || !edge(-dy, y0) || !edge(dy, height - 1 - y0))
        return false;
    a = QPoint(static_cast<int>(std::lround(x0 + t0 * dx)), static_cast<int>(std::lround(y0 + t0 * dy)));
    b = QPoint(static_cast<int>(std::lround(x0 + t1 * dx)), static_cast<int>(std::lround(y0 + t1 * dy)));
    return true;
}

// A one-pixel line with both end points, written straight into the pixels. The painter's thin-line path
// costs several times as much per pixel, and a redraw sets close to a million trace pixels.
void ThinLine(QImage& image, QPoint a, QPoint b, QRgb colour) {
    if (!ClipToImage(a, b, image.width(), image.height())) return;
    auto* const bits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    int x = a.x();
    int y = a.y();
    const int dx = std::abs(b.x() - x);
    const int dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1;
    const int sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        bits[y * stride + x] = colour;
        if (x == b.x() && y == b.y()) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

}  // namespace

ImageCanvas::ImageCanvas(QSize size) : m_image(AtLeastOnePixel(size), QImage::Format_RGB32) {
    m_image.fill(Qt::white);
    setScale(0.0, 0.0, m_image.width(), m_image.height());
}

ImageCanvas::~ImageCanvas() = default;

void ImageCanvas::resize(QSize size) {
    m_painter.reset();
    m_image = QImage(AtLeastOnePixel(size), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    updateFactors();
    changed();
}

const QImage& ImageCanvas::image() const {
    m_painter.reset();
    m_changeReported = false;
    return m_image;
}

void ImageCanvas::setFont(const QFont& font) {
    m_font = font;
    if (m_painter) m_painter->setFont(m_font);
}

QPainter& ImageCanvas::painter() {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
        m_painter->setFont(m_font);
        m_painterStateValid = false;
    }
    return *m_painter;
}

// The painter's pen is set again only when something about it changed, since thousands of lines are drawn
// with the same pen in one redraw.
void ImageCanvas::applyPen(int paletteIndex) {
    QPainter& p = painter();
    if (m_painterStateValid && m_painterColour == paletteIndex) return;
    QPen pen(QColor(PaletteColour(paletteIndex)));
    pen.setWidth(std::max(1, m_width));
    pen.setStyle(QtStyle(m_style));
    p.setPen(pen);
    p.setCompositionMode(m_mode == DrawMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                    : QPainter::CompositionMode_SourceOver);
    m_painterColour = paletteIndex;
    m_painterStateValid = true;
}

void ImageCanvas::changed() {
    if (m_changeReported) return;
    m_changeReported = true;
    if (m_onChange) m_onChange();
}

int ImageCanvas::mapX(double x) const {
    return ToPixel((x - m_xLeft) * m_xFactor);
}
int ImageCanvas::mapY(double y) const {
    return ToPixel((y - m_yTop) * m_yFactor);
}

void ImageCanvas::clear() {
    m_painter.reset();
    m_image.fill(Qt::white);
    changed();
}

void ImageCanvas::setScale(double xLeft, double yTop, double xRight, double yBottom) {
    m_xLeft = xLeft;
    m_yTop = yTop;
    m_xRight = xRight;
    m_yBottom = yBottom;
    updateFactors();
}

// An empty extent would divide by zero; it collapses everything onto the first pixel instead.
void ImageCanvas::updateFactors() {
    m_xFactor = m_xRight != m_xLeft ? m_image.width() / (m_xRight - m_xLeft) : 0.0;
    m_yFactor = m_yBottom != m_yTop ? m_image.height() / (m_yBottom - m_yTop) : 0.0;
}

void ImageCanvas::setPenColour(int paletteIndex) {
    m_colour = paletteIndex & 15;
}

void ImageCanvas::setLineWidth(int width) {
    m_width = width;
    m_painterStateValid = false;
}

void ImageCanvas::setLineStyle(LineStyle style) {
    m_style = style;
    m_painterStateValid = false;
}

void ImageCanvas::setDrawMode(DrawMode mode) {
    m_mode = mode;
    m_painterStateValid = false;
}

void ImageCanvas::line(double x1, double y1, double x2, double y2) {
    line(x1, y1, x2, y2, m_colour);
}

bool ImageCanvas::thinSolidCopy() const {
    return m_width <= 1 && m_style == LineStyle::Solid && m_mode == DrawMode::Copy;
}

void ImageCanvas::line(double x1, double y1, double x2, double y2, int paletteIndex) {
    const QPoint a(mapX(x1), mapY(y1));
    const QPoint b(mapX(x2), mapY(y2));
    if (thinSolidCopy()) {
        // The pixels are written directly; a painter in progress must not hold a stale picture.
        m_painter.reset();
        ThinLine(m_image, a, b, PaletteColour(paletteIndex));
    } else {
        applyPen(paletteIndex & 15);
        m_painter->drawLine(a, b);
    }
    changed();
}

void ImageCanvas::polyline(std::span<const QPointF> points) {
    if (points.size() < 2) return;
    std::vector<QPoint> mapped;
    mapped.reserve(points.size());
    for (const QPointF& pt : points) mapped.emplace_back(mapX(pt.x()), mapY(pt.y()));
    if (thinSolidCopy()) {
        m_painter.reset();
        const QRgb colour = PaletteColour(m_colour);
        for (std::size_t i = 1; i < mapped.size(); ++i) ThinLine(m_image, mapped[i - 1], mapped[i], colour);
    } else {
        applyPen(m_colour);
        m_painter->drawPolyline(mapped.data(), static_cast<int>(mapped.size()));
    }
    changed();
}

// Text is always painted over what is there: the not-xor mode belongs to the lines.
void ImageCanvas::text(double x, double y, const QString& text) {
    QPainter& p = painter();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QColor(PaletteColour(m_colour)));
    m_painterStateValid = false;
    p.drawText(QPoint(mapX(x), mapY(y) + p.fontMetrics().ascent()), text);
    changed();
}

void ImageCanvas::setCaption(const QString& caption) {
    if (m_onCaption) m_onCaption(caption);
}

bool ImageCanvas::isMinimised() const {
    return m_isMinimised ? m_isMinimised() : false;
}

void ImageCanvas::refresh() {
    m_painter.reset();
    if (m_onRefresh) m_onRefresh();
}

}  // namespace tk
