#include "WaterfallView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "Format.h"
#include "GraphDrawing.h"
#include "Units.h"

namespace tk {
namespace {

constexpr int LEGEND_BAR_HEIGHT = 10;
constexpr int SCALE_TICK = 4;
constexpr QRgb NO_ROW = qRgb(0, 0, 0);

}  // namespace

WaterfallView::WaterfallView(MeasurementModel& model, const WaterfallHistory& history, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_history(history),
      m_legendBar(WATERFALL_COLOURS, 1, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("waterfallview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    const auto& map = WaterfallColourMap();
    for (int i = 0; i < WATERFALL_COLOURS; ++i) m_legendBar.setPixel(i, 0, map[static_cast<std::size_t>(i)]);
}

// The frequency scale under the rows: a tick and a label line.
int WaterfallView::scaleHeight() const {
    return SCALE_TICK + fontMetrics().height() + 2;
}

int WaterfallView::legendHeight() const {
    return scaleHeight() + LEGEND_BAR_HEIGHT + fontMetrics().height() + 8;
}

int WaterfallView::plotHeight() const {
    return std::max(1, height() - legendHeight());
}

void WaterfallView::setRange(double rawMin, double rawMax) {
    if (rawMin == m_min && rawMax == m_max) return;
    m_min = rawMin;
    m_max = rawMax;
    Rebuild();
}

void WaterfallView::ClearLine(int line) {
    auto* pixels = reinterpret_cast<QRgb*>(m_rows.scanLine(line));
    std::fill(pixels, pixels + m_rows.width(), m_background);
    const int from = std::max(0, m_columns.firstColumn);
    const int to = std::min(m_rows.width(), m_columns.firstColumn + m_columns.count());
    if (from < to) std::fill(pixels + from, pixels + to, NO_ROW);
}

void WaterfallView::DrawRowAt(int line, int age) {
    ClearLine(line);
    DrawWaterfallRow(reinterpret_cast<QRgb*>(m_rows.scanLine(line)), m_rows.width(), m_columns,
                     m_history.row(age), m_min, m_max);
}

void WaterfallView::Rebuild() {
    const QSize size(std::max(1, width()), plotHeight());
    if (m_rows.size() != size) m_rows = QImage(size, QImage::Format_RGB32);
    m_background = palette().color(QPalette::Window).rgb();
    const auto& key = m_history.key();
    m_columns =
        key ? WaterfallColumnsFor(size.width(), m_history.points(), key->resolution) : WaterfallColumns{};
    m_top = 0;
    const int shown = std::min(m_history.rowCount(), size.height());
    for (int line = 0; line < size.height(); ++line) {
        if (line < shown)
            DrawRowAt(line, line);
        else
            ClearLine(line);
    }
    update();
}

void WaterfallView::RowAdded() {
    if (m_rows.size() != QSize(std::max(1, width()), plotHeight()) || m_history.rowCount() <= 1) {
        Rebuild();
        return;
    }
    m_top = (m_top + m_rows.height() - 1) % m_rows.height();
    DrawRowAt(m_top, 0);
    // A full ring of fewer rows than the picture has lines has just let its oldest row go.
    const int limit = m_history.capacity();
    if (limit < m_rows.height()) ClearLine((m_top + limit) % m_rows.height());
    update(QRect(0, 0, width(), plotHeight()));
}

WaterfallView::Spot WaterfallView::SpotAt(QPoint position) const {
    const auto& key = m_history.key();
    const int age = position.y();
    if (!key || age < 0 || age >= m_history.rowCount() || age >= m_rows.height()) return {};
    const auto row = m_history.row(age);
    const int point = WaterfallPointAt(m_columns, position.x(), row);
    if (point < 0) return {};
    // The history's own settings: the present ones may already have changed for the next read.
    const double freq =
        key->centerFreq - 5.0 * key->scanWidth + point * key->scanWidth * key->resolution / 400.0;
    const MeasurementSettings& s = m_model.settings;
    const QString text =
        QStringLiteral("%1 MHz   %2   %3")
            .arg(FormatNumber(freq, u"###0.000"), WaterfallTimeText(m_history.time(age)),
                 QString::number(LevelInUnit(s, row[static_cast<std::size_t>(point)], s.levelUnit), 'f', 1) +
                     u' ' + UnitText(s, s.levelUnit));
    return {text, point * key->resolution};
}

void WaterfallView::paintEvent(QPaintEvent*) {
    if (m_rows.size() != QSize(std::max(1, width()), plotHeight())) Rebuild();
    QPainter painter(this);
    // The ring from its top row down, then its rows above the top.
    const int h = m_rows.height();
    const int below = h - m_top;
    painter.drawImage(QPoint(0, 0), m_rows, QRect(0, m_top, m_rows.width(), below));
    if (m_top > 0) painter.drawImage(QPoint(0, below), m_rows, QRect(0, 0, m_rows.width(), m_top));
    PaintTimes(painter);
    PaintScale(painter);
    PaintLegend(painter);
}

void WaterfallView::PaintScale(QPainter& painter) {
    const int top = plotHeight();
    painter.fillRect(QRect(0, top, width(), scaleHeight()), palette().color(QPalette::Window));
    const auto& key = m_history.key();
    if (!key) return;
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = fontMetrics();
    int free = 0;  // the first column a label may take without covering the one before
    for (const WaterfallTick& tick : WaterfallFrequencyTicks(*key, width())) {
        painter.drawLine(tick.column, top, tick.column, top + SCALE_TICK);
        const int w = metrics.horizontalAdvance(tick.text);
        const int left = std::clamp(tick.column - w / 2, 0, std::max(0, width() - w));
        if (left < free) continue;
        painter.drawText(QRect(left, top + SCALE_TICK, w, metrics.height()), Qt::AlignLeft, tick.text);
        free = left + w + metrics.horizontalAdvance(u' ');
    }
}

void WaterfallView::PaintTimes(QPainter& painter) {
    const int margin = m_columns.firstColumn - 2;
    if (margin < 8 || m_history.rowCount() == 0) return;
    // The margin is the graph's room for level labels; the times are made to fit it.
    QFont font = painter.font();
    const int wanted = QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00:00"));
    if (wanted > margin - 5) font.setPointSizeF(font.pointSizeF() * (margin - 5) / wanted);
    painter.save();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int step = metrics.height() * 3;
    painter.setPen(palette().color(QPalette::WindowText));
    const int shown = std::min(m_history.rowCount(), m_rows.height());
    for (int y = 0; y < shown; y += step) {
        painter.drawLine(margin - 3, y, margin, y);
        painter.drawText(QRect(0, y, margin - 4, metrics.height()), Qt::AlignRight | Qt::AlignTop,
                         WaterfallTimeText(m_history.time(y)));
    }
    painter.restore();
}

void WaterfallView::PaintLegend(QPainter& painter) {
    const int top = plotHeight() + scaleHeight();
    painter.fillRect(QRect(0, top, width(), height() - top), palette().color(QPalette::Window));
    const int left = WaterfallColumnOfX(0.0, width());
    const int right = WaterfallColumnOfX(PLOT_X_LAST, width());
    painter.drawImage(QRect(left, top + 4, right - left + 1, LEGEND_BAR_HEIGHT), m_legendBar);
    painter.setPen(palette().color(QPalette::WindowText));
    const MeasurementSettings& s = m_model.settings;
    const QFontMetrics metrics = fontMetrics();
    const int textTop = top + 4 + LEGEND_BAR_HEIGHT + 2;
    painter.drawText(QRect(0, textTop, std::max(0, left - 4), metrics.height()), Qt::AlignRight,
                     UnitText(s, s.levelUnit));
    for (int k = 0; k <= 4; ++k) {
        const double raw = m_min + (m_max - m_min) * k / 4.0;
        const QString text = FormatNumber(LevelInUnit(s, raw, s.levelUnit), u"###0.0");
        const int x = left + (right - left) * k / 4;
        const int w = metrics.horizontalAdvance(text);
        const int textX = std::clamp(x - w / 2, left, std::max(left, right - w));
        painter.drawLine(x, top + 4 + LEGEND_BAR_HEIGHT, x, textTop);
        painter.drawText(textX, textTop + metrics.ascent(), text);
    }
}

void WaterfallView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rebuild();
}

void WaterfallView::mouseMoveEvent(QMouseEvent* event) {
    if (m_onHover) m_onHover(SpotAt(event->position().toPoint()).text);
    QWidget::mouseMoveEvent(event);
}

void WaterfallView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const Spot spot = SpotAt(event->position().toPoint());
        if (spot.x >= 0 && m_onClick) m_onClick(spot.x);
    }
    QWidget::mousePressEvent(event);
}

void WaterfallView::leaveEvent(QEvent* event) {
    if (m_onHover) m_onHover(QString());
    QWidget::leaveEvent(event);
}

}  // namespace tk
