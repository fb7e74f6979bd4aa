#include "LogFrequency.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "GraphDrawing.h"

namespace tk {
namespace {

// The view's x across the plot, as the linear plot's.
constexpr double VIEW_WIDTH = PLOT_X_LAST;
// A sloping line is drawn in pieces of about this many view units.
constexpr double PIECE_WIDTH = 10.0;
constexpr int PIECES_MAX = 400;
// Frequency labels closer than this to one already placed are left out.
constexpr double LABEL_SPACING = 180.0;

double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// The grid's frequencies: 1, 2 and 5 times each power of ten within start..stop, with whether it is a
// decade.
std::vector<std::pair<double, bool>> GridFrequencies(const LogFrequencyAxis& axis) {
    std::vector<std::pair<double, bool>> out;
    const int first = static_cast<int>(std::floor(std::log10(axis.start())));
    const int last = static_cast<int>(std::ceil(std::log10(axis.stop())));
    for (int k = first; k <= last; ++k)
        for (int m : {1, 2, 5}) {
            const double f = m * std::pow(10.0, k);
            if (f >= axis.start() * (1 - 1e-9) && f <= axis.stop() * (1 + 1e-9)) out.emplace_back(f, m == 1);
        }
    return out;
}

}  // namespace

LogFrequencyAxis::LogFrequencyAxis(const MeasurementSettings& settings, double startMHz, double stopMHz)
    : m_sweepStart(settings.scanWidth == 0.0f ? double(settings.centerFreq - 0.5f)
                                              : double(settings.centerFreq - 5.0f * settings.scanWidth)),
      m_xFactor(XFactor(settings)),
      m_start(startMHz),
      m_stop(stopMHz),
      m_logSpan(std::log(stopMHz / startMHz)) {}

double LogFrequencyAxis::FrequencyAt(double plotX) const {
    return m_sweepStart + plotX / m_xFactor;
}

double LogFrequencyAxis::PlotXOf(double frequencyMHz) const {
    return (frequencyMHz - m_sweepStart) * m_xFactor;
}

double LogFrequencyAxis::ViewXOf(double frequencyMHz) const {
    return VIEW_WIDTH * std::log(frequencyMHz / m_start) / m_logSpan;
}

double LogFrequencyAxis::FrequencyAtView(double viewX) const {
    return m_start * std::exp(viewX / VIEW_WIDTH * m_logSpan);
}

std::optional<double> LogFrequencyAxis::ViewX(double plotX) const {
    const double f = FrequencyAt(plotX);
    if (!(f >= m_start && f <= m_stop)) return std::nullopt;
    return ViewXOf(f);
}

std::optional<LogFrequencyAxis> LogAxisOf(const MeasurementModel& model) {
    const FrequencyView& v = model.frequencyView;
    const MeasurementSettings& s = model.settings;
    if (!v.logarithmic || !(v.startMHz > 0.0f) || !(v.stopMHz > v.startMHz) || !std::isfinite(v.stopMHz) ||
        !std::isfinite(s.centerFreq) || !(s.scanWidth >= 0.0f) || !std::isfinite(s.scanWidth))
        return std::nullopt;
    return LogFrequencyAxis(s, v.startMHz, v.stopMHz);
}

std::optional<double> GraphX(const MeasurementModel& model, double plotX) {
    const auto axis = LogAxisOf(model);
    return axis ? axis->ViewX(plotX) : std::optional<double>(plotX);
}

double PlotXOfGraphX(const MeasurementModel& model, double graphX) {
    const auto axis = LogAxisOf(model);
    return axis ? axis->PlotXOfView(graphX) : graphX;
}

bool LogFrequencyCanvas::Cut(QPointF& a, QPointF& b) const {
    const double fa = m_axis.FrequencyAt(a.x());
    const double fb = m_axis.FrequencyAt(b.x());
    double t0 = 0.0;
    double t1 = 1.0;
    if (fa == fb) {
        if (!(fa >= m_axis.start() && fa <= m_axis.stop())) return false;
    } else {
        const double ts = (m_axis.start() - fa) / (fb - fa);
        const double te = (m_axis.stop() - fa) / (fb - fa);
        t0 = std::max(0.0, std::min(ts, te));
        t1 = std::min(1.0, std::max(ts, te));
        if (!(t0 <= t1)) return false;
    }
    const auto at = [&](double t) {
        const double f = std::clamp(Lerp(fa, fb, t), m_axis.start(), m_axis.stop());
        return QPointF(m_axis.ViewXOf(f), Lerp(a.y(), b.y(), t));
    };
    // The ends that lie inside are mapped as they are, so that consecutive pieces meet exactly.
    const QPointF from = t0 == 0.0 ? QPointF(m_axis.ViewXOf(fa), a.y()) : at(t0);
    const QPointF to = t1 == 1.0 ? QPointF(m_axis.ViewXOf(fb), b.y()) : at(t1);
    a = from;
    b = to;
    return true;
}

void LogFrequencyCanvas::Pieces(double x1, double y1, double x2, double y2, int colour) {
    QPointF a(x1, y1);
    QPointF b(x2, y2);
    if (!Cut(a, b)) return;
    const int n = y1 == y2 ? 1
                           : std::clamp(static_cast<int>(std::ceil(std::abs(b.x() - a.x()) / PIECE_WIDTH)), 1,
                                        PIECES_MAX);
    // The pieces follow the frequency linearly between the ends that were kept, as the line did.
    const double fa = m_axis.FrequencyAtView(a.x());
    const double fb = m_axis.FrequencyAtView(b.x());
    QPointF from = a;
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n;
        const QPointF to = i == n ? b : QPointF(m_axis.ViewXOf(Lerp(fa, fb, t)), Lerp(a.y(), b.y(), t));
        m_target.line(from.x(), from.y(), to.x(), to.y(), colour);
        from = to;
    }
}

void LogFrequencyCanvas::line(double x1, double y1, double x2, double y2) {
    Pieces(x1, y1, x2, y2, m_target.penColour());
}

void LogFrequencyCanvas::line(double x1, double y1, double x2, double y2, int paletteIndex) {
    Pieces(x1, y1, x2, y2, paletteIndex);
}

void LogFrequencyCanvas::polyline(std::span<const QPointF> points) {
    std::vector<QPointF> run;
    const auto flush = [&] {
        if (run.size() >= 2) m_target.polyline(run);
        run.clear();
    };
    for (std::size_t i = 1; i < points.size(); ++i) {
        QPointF a = points[i - 1];
        QPointF b = points[i];
        if (!Cut(a, b)) {
            flush();
            continue;
        }
        if (run.empty() || run.back() != a) {
            flush();
            run.push_back(a);
        }
        run.push_back(b);
    }
    flush();
}

void LogFrequencyCanvas::text(double x, double y, const QString& text) {
    if (const auto at = m_axis.ViewX(x)) m_target.text(*at, y, text);
}

void DrawLogFrequencyGrid(Canvas& canvas, const LogFrequencyAxis& axis, int levelMin, int levelMax) {
    for (const auto& [f, decade] : GridFrequencies(axis)) {
        if (decade) canvas.setLineWidth(2);
        const double x = axis.ViewXOf(f);
        canvas.line(x, levelMin, x, levelMax);
        if (decade) canvas.setLineWidth(1);
    }
}

void DrawLogFrequencyLabels(Canvas& canvas, const LogFrequencyAxis& axis, int levelMin, int levelMax,
                            double mhzTextDy) {
    const double d = LabelUnitHeight(levelMin, levelMax);
    std::vector<double> placed;
    const auto label = [&](double f) {
        const double x = axis.ViewXOf(f);
        if (std::any_of(placed.begin(), placed.end(),
                        [x](double p) { return std::abs(p - x) < LABEL_SPACING; }))
            return;
        placed.push_back(x);
        canvas.text(x - 70.0, levelMin - 3.0 * d, QString::number(f, 'g', 6));
    };
    label(axis.start());
    label(axis.stop());
    for (const auto& grid : GridFrequencies(axis)) label(grid.first);
    canvas.text(3930, levelMin - mhzTextDy * d, QStringLiteral("MHz"));
}

}  // namespace tk
