#include "PainterCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <vector>

#include "PrintOut.h"

namespace tk {
namespace {

// Far beyond any page, but small enough for the paint engine's arithmetic.
constexpr double COORDINATE_LIMIT = 1.0e6;

double Limited(double v) {
    if (!(v == v)) return 0.0;
    return std::clamp(v, -COORDINATE_LIMIT, COORDINATE_LIMIT);
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter, QRectF area, double dotsPerInch)
    : m_painter(painter),
      m_area(area),
      m_dotScale(std::max(dotsPerInch, 1.0) / 600.0),
      m_font(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    m_font.setStyleHint(QFont::Monospace);
    m_font.setFixedPitch(true);
}

void PainterCanvas::setScale(double xLeft, double yTop, double xRight, double yBottom) {
    m_xLeft = xLeft;
    m_yTop = yTop;
    m_xFactor = xRight != xLeft ? m_area.width() / (xRight - xLeft) : 1.0;
    m_yFactor = yBottom != yTop ? m_area.height() / (yBottom - yTop) : 1.0;

    // The font size that makes one character a column wide.
    QFont probe = m_font;
    probe.setPixelSize(100);
    const double advance = QFontMetricsF(probe, m_painter.device()).horizontalAdvance(QLatin1Char('0'));
    const double column = PRINT_COLUMN_WIDTH * std::abs(m_xFactor);
    m_font.setPixelSize(std::max(1, static_cast<int>(advance > 0.0 ? 100.0 * column / advance : column)));
}

QPointF PainterCanvas::map(double x, double y) const {
    return {Limited(m_area.left() + (x - m_xLeft) * m_xFactor),
            Limited(m_area.top() + (y - m_yTop) * m_yFactor)};
}

void PainterCanvas::applyPen(int paletteIndex) {
    QPen pen(QColor::fromRgb(PaletteColour(paletteIndex)));
    pen.setWidthF(std::max(1, m_width) * m_dotScale);
    pen.setStyle(m_style == LineStyle::Dashed   ? Qt::DashLine
                 : m_style == LineStyle::Dotted ? Qt::DotLine
                                                : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
}

void PainterCanvas::line(double x1, double y1, double x2, double y2) {
    line(x1, y1, x2, y2, m_colour);
}

void PainterCanvas::line(double x1, double y1, double x2, double y2, int paletteIndex) {
    applyPen(paletteIndex);
    m_painter.drawLine(map(x1, y1), map(x2, y2));
}

void PainterCanvas::polyline(std::span<const QPointF> points) {
    if (points.size() < 2) return;
    applyPen(m_colour);
    std::vector<QPointF> mapped;
    mapped.reserve(points.size());
    for (const QPointF& p : points) mapped.push_back(map(p.x(), p.y()));
    m_painter.drawPolyline(mapped.data(), static_cast<int>(mapped.size()));
}

void PainterCanvas::text(double x, double y, const QString& text) {
    m_painter.setPen(QColor::fromRgb(PaletteColour(m_colour)));
    m_painter.setFont(m_font);
    const QPointF at = map(x, y);
    m_painter.drawText(QPointF(at.x(), at.y() + QFontMetricsF(m_font, m_painter.device()).ascent()), text);
}

}  // namespace tk
