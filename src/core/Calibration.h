#pragma once

#include "MeasurementModel.h"

namespace tk {

// The offset in dB of a curve at a frequency: linear between neighbouring points, from 0 dB at 0 MHz up to
// the first point, 0 dB above the last point and for negative frequencies.
float InterpolateCurve(const CalibrationCurve& curve, float frequency);

// InterpolateCurve on the curve in use; the result is also kept in correctionValue.
float CorrectionAt(MeasurementModel& model, float frequency);

}  // namespace tk
