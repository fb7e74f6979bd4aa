#include "BoundaryMargins.h"

#include <algorithm>

#include "BoundaryLevels.h"
#include "Format.h"
#include "Units.h"

namespace tk {

std::vector<BoundaryMargin> SmallestBoundaryMargins(const MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    struct Checked {
        BoundaryTrace kind;
        bool on;
        const TraceArray& trace;
        std::int16_t BoundaryLevels::*level;
    };
    const Checked checked[] = {
        {BoundaryTrace::Actual, bool(s.limitActual), model.traceActual, &BoundaryLevels::boundaryLevelActual},
        {BoundaryTrace::Average, bool(s.limitAverage), model.traceAverage,
         &BoundaryLevels::boundaryLevelAverage},
        {BoundaryTrace::Peak, bool(s.limitPeak), model.tracePeak, &BoundaryLevels::boundaryLevelPeak},
    };
    std::vector<BoundaryMargin> margins;
    for (const Checked& c : checked)
        if (c.on) margins.push_back({c.kind, false, std::nullopt, 0.0f});
    if (margins.empty() || s.resolution <= 0) return margins;

    // The points the violation list walks: those the interface sends, 4000 / resolution of them.
    const int points = std::min(4000 / s.resolution, TRACE_LAST_INDEX + 1);
    for (int i = 0; i < points; ++i) {
        const float f = FrequencyOfPoint(s, i);
        const BoundaryLevels levels = BoundaryLevelsAt(model, f);
        std::size_t m = 0;
        for (const Checked& c : checked) {
            if (!c.on) continue;
            BoundaryMargin& margin = margins[m++];
            const std::int16_t boundary = levels.*c.level;
            if (boundary == BOUNDARY_NOT_COVERED) continue;
            // The trace's level in dBm in single precision, as the violation list takes it.
            const float level =
                ToSingle(RawToDb(c.trace[static_cast<std::size_t>(i)]) - 107.0 + s.attenuation);
            const double distance = static_cast<double>(boundary) - static_cast<double>(level);
            if (ReachesBoundary(level, boundary)) margin.reached = true;
            if (!margin.marginDb || distance < *margin.marginDb) {
                margin.marginDb = distance;
                margin.frequencyMHz = f;
            }
        }
    }
    return margins;
}

bool ShownTraceReachesBoundary(const MeasurementModel& model, BoundaryTrace trace) {
    const MeasurementSettings& s = model.settings;
    struct Checked {
        bool shown;
        bool on;
        const TraceArray& levels;
        const BoundaryLine& boundary;
    };
    const Checked c =
        trace == BoundaryTrace::Actual
            ? Checked{bool(s.showActual), bool(s.limitActual), model.traceActual, model.boundaryActual}
        : trace == BoundaryTrace::Average
            ? Checked{bool(s.showAverage), bool(s.limitAverage), model.traceAverage, model.boundaryAverage}
            : Checked{bool(s.showPeak), bool(s.limitPeak), model.tracePeak, model.boundaryPeak};
    if (!c.shown || !c.on || s.resolution <= 0) return false;
    const int points = std::min(4000 / s.resolution, TRACE_LAST_INDEX + 1);
    for (int i = 0; i < points; ++i) {
        const std::int16_t limit = BoundaryLevelAt(c.boundary, FrequencyOfPoint(s, i));
        const float level = ToSingle(RawToDb(c.levels[static_cast<std::size_t>(i)]) - 107.0 + s.attenuation);
        if (ReachesBoundary(level, limit)) return true;
    }
    return false;
}

}  // namespace tk
