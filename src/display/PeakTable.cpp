#include "PeakTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "BoundaryLevels.h"
#include "Format.h"
#include "GraphDrawing.h"
#include "LogFrequency.h"
#include "Units.h"

namespace tk {
namespace {

constexpr int NO_LEVEL = std::numeric_limits<int>::max();

// For each point, the lowest level between it and the nearest strictly higher point before it (the point
// included), or from the start of the sweep when nothing before it is higher. One pass with a stack of the
// points that are still higher than everything after them; each keeps the lowest level between itself and
// the point above it on the stack, so the walk stays linear however the levels lie.
// equalBlocks: a point as high as this one counts as higher, so that of equal tops the first is the peak and
// the others rise only from the dips between them (a plateau with ripples is one peak).
std::vector<int> BasesFromLeft(std::span<const std::int16_t> levels, bool equalBlocks) {
    struct Entry {
        int level;
        int lowestAfter;
    };
    std::vector<Entry> stack;
    std::vector<int> bases(levels.size());
    int lowestSoFar = NO_LEVEL;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int x = levels[i];
        int merged = NO_LEVEL;
        while (!stack.empty() && (stack.back().level < x || (!equalBlocks && stack.back().level == x))) {
            merged = std::min({merged, stack.back().level, stack.back().lowestAfter});
            stack.pop_back();
        }
        lowestSoFar = std::min(lowestSoFar, x);
        if (stack.empty()) {
            bases[i] = lowestSoFar;
        } else {
            stack.back().lowestAfter = std::min(stack.back().lowestAfter, merged);
            bases[i] = std::min(stack.back().lowestAfter, x);
        }
        stack.push_back({x, NO_LEVEL});
    }
    return bases;
}

QString Field(const QString& text, QChar separator) {
    if (separator != QLatin1Char(',') ||
        !(text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool BoundaryOn(const MeasurementSettings& s, BoundaryTrace trace) {
    switch (trace) {
        case BoundaryTrace::Actual:
            return s.limitActual;
        case BoundaryTrace::Average:
            return s.limitAverage;
        case BoundaryTrace::Peak:
            break;
    }
    return s.limitPeak;
}

const BoundaryLine& BoundaryOf(const MeasurementModel& model, BoundaryTrace trace) {
    switch (trace) {
        case BoundaryTrace::Actual:
            return model.boundaryActual;
        case BoundaryTrace::Average:
            return model.boundaryAverage;
        case BoundaryTrace::Peak:
            break;
    }
    return model.boundaryPeak;
}

}  // namespace

std::vector<int> FindPeaks(std::span<const std::int16_t> levels, double noiseFloor,
                           const PeakOptions& options) {
    const int n = static_cast<int>(levels.size());
    if (n < 2 || options.count < 1) return {};
    const std::vector<int> leftBases = BasesFromLeft(levels, true);
    std::vector<std::int16_t> reversed(levels.rbegin(), levels.rend());
    std::vector<int> rightBases = BasesFromLeft(reversed, false);
    std::reverse(rightBases.begin(), rightBases.end());

    struct Candidate {
        int level;
        int index;
    };
    std::vector<Candidate> candidates;
    for (int a = 0; a < n;) {
        int b = a;
        while (b + 1 < n && levels[b + 1] == levels[a]) ++b;
        const int level = levels[a];
        const bool leftSide = a > 0;
        const bool rightSide = b < n - 1;
        const bool top = (!leftSide || levels[a - 1] < level) && (!rightSide || levels[b + 1] < level) &&
                         (leftSide || rightSide);
        if (top && level > noiseFloor) {
            int base = 0;
            if (leftSide && rightSide)
                base = std::max(leftBases[a], rightBases[b]);
            else
                base = leftSide ? leftBases[a] : rightBases[b];
            // In whole raw units against the dB threshold, so that a rise of exactly the prominence counts.
            if (static_cast<double>(level - base) * 80.0 >= options.prominenceDb * 255.0)
                candidates.push_back({level, (a + b) / 2});
        }
        a = b + 1;
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& l, const Candidate& r) {
        return l.level != r.level ? l.level > r.level : l.index < r.index;
    });
    std::vector<int> peaks;
    for (const Candidate& c : candidates) {
        const bool crowded = std::any_of(
            peaks.begin(), peaks.end(), [&](int p) { return std::abs(p - c.index) < options.spacingPoints; });
        if (crowded) continue;
        peaks.push_back(c.index);
        if (static_cast<int>(peaks.size()) == options.count) break;
    }
    return peaks;
}

const TraceArray& TraceOf(const MeasurementModel& model, BoundaryTrace trace) {
    switch (trace) {
        case BoundaryTrace::Actual:
            return model.traceActual;
        case BoundaryTrace::Average:
            return model.traceAverage;
        case BoundaryTrace::Peak:
            break;
    }
    return model.tracePeak;
}

int TraceColour(BoundaryTrace trace) {
    switch (trace) {
        case BoundaryTrace::Actual:
            return COLOUR_GREEN;
        case BoundaryTrace::Average:
            return COLOUR_LIGHT_BLUE;
        case BoundaryTrace::Peak:
            break;
    }
    return COLOUR_LIGHT_RED;
}

QString TraceTitle(BoundaryTrace trace) {
    switch (trace) {
        case BoundaryTrace::Actual:
            return QStringLiteral("Actual");
        case BoundaryTrace::Average:
            return QStringLiteral("Average");
        case BoundaryTrace::Peak:
            break;
    }
    return QStringLiteral("Peak");
}

PeakRow PointRow(const MeasurementModel& model, BoundaryTrace trace, int index) {
    const MeasurementSettings& s = model.settings;
    PeakRow row;
    row.index = index;
    row.frequencyMHz = FrequencyOfPoint(s, index);
    const double raw =
        TraceOf(model, trace)[static_cast<std::size_t>(std::clamp(index, 0, TRACE_LAST_INDEX))];
    row.level = LevelInUnit(s, raw, s.levelUnit);
    if (!BoundaryOn(s, trace)) return row;
    const std::int16_t limit = BoundaryLevelAt(BoundaryOf(model, trace), row.frequencyMHz);
    if (limit == BOUNDARY_NOT_COVERED) return row;
    // The trace's level in dBm in single precision, as the violation list takes it; a level in dBm moves
    // into the level unit as a raw level does.
    const float dbm = ToSingle(RawToDb(raw) - 107.0 + s.attenuation);
    row.boundaryLevel = limit + 107.0 + LevelOffset(s, s.levelUnit);
    row.marginDb = static_cast<double>(limit) - static_cast<double>(dbm);
    row.reached = ReachesBoundary(dbm, limit);
    return row;
}

QString GraphReadout(const MeasurementModel& model, double graphX) {
    const MeasurementSettings& s = model.settings;
    const double x = PlotXOfGraphX(model, graphX);
    if (s.resolution <= 0 || graphX < 0.0 || graphX > PLOT_X_LAST || !(x >= 0.0) || x > PLOT_X_LAST)
        return {};
    const int index =
        std::clamp(static_cast<int>(std::lround(x / s.resolution)), 0, LastPlotIndex(s.resolution));
    QStringList parts{QString::number(double(FrequencyOfPoint(s, index)), 'f', 3) + QStringLiteral(" MHz")};
    const QString unit = UnitText(s, s.levelUnit);
    const struct {
        BoundaryTrace trace;
        bool shown;
    } traces[] = {{BoundaryTrace::Actual, bool(s.showActual)},
                  {BoundaryTrace::Average, bool(s.showAverage)},
                  {BoundaryTrace::Peak, bool(s.showPeak)}};
    for (const auto& t : traces) {
        if (!t.shown) continue;
        const PeakRow row = PointRow(model, t.trace, index);
        QString part =
            QStringLiteral("%1 %2 %3").arg(TraceTitle(t.trace), QString::number(row.level, 'f', 1), unit);
        if (row.marginDb)
            part +=
                QStringLiteral(" (boundary %1, margin %2 dB)")
                    .arg(QString::number(*row.boundaryLevel, 'f', 1), QString::number(*row.marginDb, 'f', 1));
        parts << part;
    }
    return parts.join(QStringLiteral("\n"));
}

std::vector<PeakRow> PeakTable(const MeasurementModel& model, BoundaryTrace trace,
                               const PeakOptions& options) {
    const MeasurementSettings& s = model.settings;
    if (s.resolution <= 0) return {};
    const int points = std::min(4000 / s.resolution, TRACE_LAST_INDEX + 1);
    const TraceArray& levels = TraceOf(model, trace);
    const std::vector<int> peaks =
        FindPeaks(std::span<const std::int16_t>(levels.data(), std::size_t(points)),
                  NoiseFloor(s, model.graphLevelMin), options);
    std::vector<PeakRow> rows;
    rows.reserve(peaks.size());
    for (int i : peaks) rows.push_back(PointRow(model, trace, i));
    // The peaks come highest first; a stable sort keeps that order among equal margins.
    if (BoundaryOn(s, trace))
        std::stable_sort(rows.begin(), rows.end(), [](const PeakRow& l, const PeakRow& r) {
            if (l.marginDb && r.marginDb) return *l.marginDb < *r.marginDb;
            return l.marginDb.has_value() && !r.marginDb.has_value();
        });
    for (std::size_t k = 0; k < rows.size(); ++k) rows[k].number = static_cast<int>(k) + 1;
    return rows;
}

QStringList PeakTableHeader(const MeasurementSettings& settings) {
    const QString unit = UnitText(settings, settings.levelUnit);
    return {QStringLiteral("No"),
            QStringLiteral("Frequency (MHz)"),
            QStringLiteral("Level (%1)").arg(unit),
            QStringLiteral("Boundary (%1)").arg(unit),
            QStringLiteral("Margin (dB)"),
            QStringLiteral("Reached")};
}

QStringList PeakRowFields(const PeakRow& r) {
    return {QString::number(r.number),
            FormatNumber(r.frequencyMHz, u"0.000"),
            FormatNumber(r.level, u"0.0"),
            r.boundaryLevel ? FormatNumber(*r.boundaryLevel, u"0.0") : QString(),
            r.marginDb ? FormatNumber(*r.marginDb, u"0.0") : QString(),
            r.reached ? QStringLiteral("*") : QString()};
}

QString PeakTableText(const MeasurementSettings& settings, const std::vector<PeakRow>& rows,
                      QChar separator) {
    const auto line = [separator](const QStringList& fields) {
        QStringList out;
        for (const QString& f : fields) out << Field(f, separator);
        return out.join(separator) + QLatin1Char('\n');
    };
    QString text = line(PeakTableHeader(settings));
    for (const PeakRow& r : rows) text += line(PeakRowFields(r));
    return text;
}

void DrawPeakMarkers(const MeasurementModel& model, Canvas& canvas, BoundaryTrace trace,
                     const std::vector<PeakRow>& rows, PeakLabels* labels) {
    PeakLabels own;
    PeakLabels& placed = labels ? *labels : own;
    const int resolution = model.settings.resolution;
    const int levelMin = model.graphLevelMin;
    const int levelMax = model.graphLevelMax;
    const double d = LabelUnitHeight(levelMin, levelMax);
    const TraceArray& levels = TraceOf(model, trace);
    const int colour = canvas.penColour();
    canvas.setPenColour(TraceColour(trace));
    for (const PeakRow& r : rows) {
        const std::optional<double> shownAt = GraphX(model, static_cast<double>(r.index) * resolution);
        if (!shownAt) continue;  // outside a logarithmic view
        const double x = *shownAt;
        const double y = std::clamp<double>(levels[static_cast<std::size_t>(r.index)], levelMin, levelMax);
        canvas.line(x, y + 3.0 * d, x, y + 9.0 * d);
        const QString number = QString::number(r.number);
        // A number that would cover one drawn before goes a line higher, as often as it needs.
        QRectF box(x - 25.0, y + 22.0 * d, PEAK_LABEL_DIGIT_WIDTH * number.size(), PEAK_LABEL_HEIGHT_D * d);
        while (std::any_of(placed.taken.begin(), placed.taken.end(),
                           [&](const QRectF& t) { return t.intersects(box); }))
            box.translate(0.0, PEAK_LABEL_HEIGHT_D * d);
        placed.taken.push_back(box);
        canvas.text(box.x(), box.y(), number);
    }
    canvas.setPenColour(colour);
}

}  // namespace tk
