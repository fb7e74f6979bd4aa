#pragma once

#include <optional>
#include <vector>

#include "MeasurementModel.h"

namespace tk {

enum class BoundaryTrace { Actual, Average, Peak };

// How close one trace came to its boundary over the sweep.
struct BoundaryMargin {
    BoundaryTrace trace = BoundaryTrace::Actual;
    // The boundary reached at some point, as the violation list would name the trace there.
    bool reached = false;
    // Boundary level minus trace level in dB at the closest point (0 or less where reached), and that
    // point's frequency; nothing when the boundary covers no point of the sweep.
    std::optional<double> marginDb;
    float frequencyMHz = 0.0f;
};

// For each trace whose boundary is switched on (actual, average, peak, in this order): its smallest margin
// over the points of the sweep. The first point wins among equal margins.
std::vector<BoundaryMargin> SmallestBoundaryMargins(const MeasurementModel& model);

// The trace is shown, its boundary is switched on, and at some point of the sweep the trace reaches it.
bool ShownTraceReachesBoundary(const MeasurementModel& model, BoundaryTrace trace);

}  // namespace tk
