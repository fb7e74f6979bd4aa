#pragma once

#include <QString>
#include <vector>

#include "MeasurementModel.h"

namespace tk {

// The limit lines shipped with the program as boundaries files.
struct StandardLimits {
    QString fileName;  // under examples/limits
    BoundaryLine quasiPeak;
    BoundaryLine average;
};

// CISPR 32 conducted emission limits on the AC mains port, 0.15-30 MHz, class A and class B, in dBm at
// 50 ohm.
std::vector<StandardLimits> CisprConductedLimits();

// The quasi-peak line on the actual and the peak trace, the average line on the average trace: a peak
// reading at or under the quasi-peak limit passes it.
void ApplyStandardLimits(const StandardLimits& limits, MeasurementModel& model);

}  // namespace tk
