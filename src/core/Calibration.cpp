#include "Calibration.h"

#include <algorithm>

namespace tk {

float InterpolateCurve(const CalibrationCurve& curve, float f) {
    if (f < 0.0f) return 0.0f;
    const int n = std::clamp<int>(curve.pointCount, 0, static_cast<int>(curve.freqMHz.size()));
    float loF = 0.0f, loDb = 0.0f, hiF = 0.0f, hiDb = 0.0f;
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (curve.freqMHz[k] >= 0.0f && curve.freqMHz[k] <= f) {
            loF = curve.freqMHz[k];
            loDb = curve.offsetDb[k];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        if (curve.freqMHz[k] >= f) {
            hiF = curve.freqMHz[k];
            hiDb = curve.offsetDb[k];
        }
    }
    if (hiF < loF) return 0.0f;
    if (loDb == hiDb || loF == hiF) return loDb;
    const float slope = (loDb - hiDb) / (hiF - loF);
    return loDb - (f - loF) * slope;
}

float CorrectionAt(MeasurementModel& model, float frequency) {
    model.correctionValue = InterpolateCurve(model.calibrationCurve, frequency);
    return model.correctionValue;
}

}  // namespace tk
