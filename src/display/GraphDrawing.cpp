#include "GraphDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "BoundaryLevels.h"
#include "Format.h"
#include "LogFrequency.h"
#include "Units.h"

namespace tk {
namespace {

// A level or position out of range is drawn at the edge; a value that is not a number at the lower edge.
double ClampTo(double v, double lo, double hi) {
    if (!(v >= lo)) return lo;
    return v > hi ? hi : v;
}

double BoundaryX(float freq, const BoundaryPlacement& p) {
    const float fromCentre = freq - p.centerFreq;
    return ClampTo(std::floor(static_cast<double>(fromCentre) * p.xFactor + PLOT_X_CENTRE), 0.0, PLOT_X_LAST);
}

// The dBm level on the plot's raw scale, (L + 107 - attenuation) * 3.2, counted from the 256 units that
// -27 dBm lies at.
double BoundaryY(float levelDbm, const BoundaryPlacement& p) {
    const float fromTop = levelDbm + 27.0f - p.attenuation;
    return static_cast<double>(fromTop) * PLOT_RAW_PER_DB + 256.0;
}

void DrawLogSegment(Canvas& canvas, float f0, float f1, double x0, double y0, double x1, double y1,
                    const BoundaryPlacement& p) {
    double endX = x0;
    double endY = y0;
    // Steps are drawn only between two different x, so the two frequencies differ and so do their logarithms.
    if (x0 <= x1 - 20.0) {
        // The frequency at x; the millionth of a MHz keeps the logarithm finite where the sweep starts at 0.
        // With a scan width of 0 the plot's 0..4000 spans the half MHz either side of the centre (x factor
        // 4000), so x = 0 is taken there too and x meets the same frequency as the boundary points' x.
        const float start = p.scanWidth == 0.0f ? p.centerFreq - 0.5f : p.centerFreq - 5.0f * p.scanWidth;
        const double sweepStart = static_cast<double>(start) + 1e-6;
        const auto levelAt = [&](double x) {
            // A step can start a fraction of a unit before a point just above 0 MHz, which lies below 0 MHz
            // when the sweep starts below 0; it is taken at the lowest frequency the plot knows instead.
            const double f = std::max(sweepStart + x / p.xFactor, 1e-6);
            return LogSegmentLevel(f, f0, y0, f1, y1);
        };
        double fromY = levelAt(x0);
        for (double x = x0; x <= x1 - 20.0; x += 20.0) {
            const double toY = levelAt(x + 20.0);
            canvas.line(x, fromY, x + 20.0, toY);
            endX = x + 20.0;
            endY = toY;
            fromY = toY;
        }
    }
    canvas.line(endX, endY, x1, y1);
}

}  // namespace

LabelUnit GraphLabelUnit(MeasurementSettings& settings) {
    switch (settings.levelUnit) {
        case 0:
            return {settings.attenuation - 17.0f, QStringLiteral("dBpW")};
        case 1:
            return {settings.attenuation - 107.0f, QStringLiteral("dBm")};
        case 3: {
            const QString name = settings.userUnitName.trimmed();
            settings.userUnitName.set(name);
            return {settings.userUnitOffset + settings.attenuation, name};
        }
        default:
            return {settings.attenuation, QStringLiteral("dBuV")};
    }
}

double XFactor(const MeasurementSettings& settings) {
    return settings.scanWidth == 0.0f ? 4000.0 : 400.0 / static_cast<double>(settings.scanWidth);
}

int LastPlotIndex(int resolution) {
    if (resolution <= 0) return -1;
    const double n = RoundHalfEven(4000.0 / resolution - 1.0);
    return static_cast<int>(std::min(n, static_cast<double>(TRACE_LAST_INDEX)));
}

void ComputeGraphLevelRange(MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    const std::array<std::pair<bool, const TraceArray*>, 4> curves{{
        {s.showActual, &model.traceActual},
        {s.showAverage, &model.traceAverage},
        {s.showPeak, &model.tracePeak},
        {model.showComparison, &model.traceComparison},
    }};
    const int last = LastPlotIndex(s.resolution);
    std::int16_t lo = 0;
    std::int16_t hi = 255;
    for (const auto& [shown, trace] : curves) {
        if (!shown || last < 0) continue;
        const auto [mn, mx] = std::minmax_element(trace->begin(), trace->begin() + last + 1);
        lo = std::min(lo, *mn);
        hi = std::max(hi, *mx);
    }
    model.graphLevelMin = lo;
    model.graphLevelMax = hi;
}

double NoiseFloor(const MeasurementSettings& settings, int levelMin) {
    return std::floor(DbToRaw(static_cast<double>(settings.noiseSuppression))) + levelMin;
}

double LabelUnitHeight(int levelMin, int levelMax) {
    return (levelMax - levelMin) / 255.0;
}

void DrawHorizontalGrid(Canvas& canvas, int levelMin, int levelMax) {
    for (int y = GRID_LEVEL_STEP; y <= levelMax; y += GRID_LEVEL_STEP) canvas.line(0, y, PLOT_X_LAST, y);
    for (int y = -GRID_LEVEL_STEP; y >= levelMin; y -= GRID_LEVEL_STEP) canvas.line(0, y, PLOT_X_LAST, y);
}

BoundaryPlacement PlacementFor(const MeasurementModel& model, bool roundStraightDown) {
    const MeasurementSettings& s = model.settings;
    return {s.centerFreq,        s.scanWidth,         s.attenuation,    XFactor(s),
            model.graphLevelMin, model.graphLevelMax, roundStraightDown};
}

void DrawBoundary(Canvas& canvas, const BoundaryLine& boundary, const BoundaryPlacement& p) {
    const double lo = p.levelMin;
    const double hi = p.levelMax;
    // Points 0..9 take part; entry 10 is carried in the files only.
    for (std::size_t k = 0; k < 9; ++k) {
        const float f0 = boundary.freqMHz[k];
        const float f1 = boundary.freqMHz[k + 1];
        if (!(f0 > 0.0f) || !(f1 > 0.0f)) continue;  // a point not in use
        const double x0 = BoundaryX(f0, p);
        const double x1 = BoundaryX(f1, p);
        double y0 = BoundaryY(boundary.levelDbm[k], p);
        double y1 = BoundaryY(boundary.levelDbm[k + 1], p);
        if (boundary.logSegment[k] == 0) {
            if (p.roundStraightDown) {
                y0 = std::floor(y0);
                y1 = std::floor(y1);
            }
            canvas.line(x0, ClampTo(y0, lo, hi), x1, ClampTo(y1, lo, hi));
        } else {
            DrawLogSegment(canvas, f0, f1, x0, ClampTo(y0, lo, hi), x1, ClampTo(y1, lo, hi), p);
        }
    }
}

void DrawTrace(Canvas& canvas, const TraceArray& trace, int first, int last, int resolution,
               double noiseFloor, int levelMin) {
    first = std::max(first, 1);
    last = std::min(last, TRACE_LAST_INDEX);
    if (last < first) return;
    std::vector<QPointF> points;
    points.reserve(static_cast<std::size_t>(last - first + 2));
    for (int i = first - 1; i <= last; ++i) {
        const std::int16_t v = trace[static_cast<std::size_t>(i)];
        points.emplace_back(static_cast<double>(i) * resolution, v <= noiseFloor ? levelMin : v);
    }
    canvas.polyline(points);
}

void DrawScaleLabels(Canvas& canvas, const LabelUnit& unit, const MeasurementSettings& settings, int levelMin,
                     int levelMax, const LabelPlacement& placement, const LogFrequencyAxis* axis) {
    const double d = LabelUnitHeight(levelMin, levelMax);
    const auto levelLabel = [&](int y) {
        const float value = unit.base + static_cast<float>(y / GRID_LEVEL_STEP * GRID_DB_PER_STEP);
        canvas.text(-300, y + placement.levelTextDy * d, RightAligned(FormatNumber(value, u"###0.0"), 5));
    };
    for (int y = 0; y <= levelMax; y += GRID_LEVEL_STEP) levelLabel(y);
    for (int y = -GRID_LEVEL_STEP; y >= levelMin; y -= GRID_LEVEL_STEP) levelLabel(y);
    canvas.text(-300, levelMax - d, unit.text);
    if (axis) {
        DrawLogFrequencyLabels(canvas, *axis, levelMin, levelMax, placement.mhzTextDy);
        return;
    }
    const float start = settings.centerFreq - 5.0f * settings.scanWidth;
    for (int k = 0; k <= 10; ++k) {
        const float freq = start + static_cast<float>(k) * settings.scanWidth;
        canvas.text(PLOT_X_DIVISION * k - 70, levelMin - 3.0 * d, FormatNumber(freq, u"###0.00"));
    }
    canvas.text(3930, levelMin - placement.mhzTextDy * d, QStringLiteral("MHz"));
}

}  // namespace tk
