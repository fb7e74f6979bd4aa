#include "BoundaryLevels.h"

#include <cmath>
#include <limits>

#include "Format.h"

namespace tk {
namespace {

constexpr std::size_t BOUNDARY_POINTS = 10;  // entry 10 is carried in the files only

std::int16_t WholeDbm(double level) {
    if (std::isnan(level)) return BOUNDARY_NOT_COVERED;
    const double rounded = RoundHalfEven(level);
    if (rounded <= std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    if (rounded >= std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

double LogSegmentLevel(double f, double f0, double level0, double f1, double level1) {
    const double logF0 = std::log10(f0);
    const double slope = (level0 - level1) / (logF0 - std::log10(f1));
    return level0 + (std::log10(f) - logF0) * slope;
}

std::int16_t BoundaryLevelAt(const BoundaryLine& b, float F) {
    // A frequency at or below 0 has no logarithm and lies before every point in use.
    if (!(F > 0.0f)) return BOUNDARY_NOT_COVERED;

    bool lowerFound = false;
    float fLo = 0.0f;
    float levelLo = 0.0f;
    std::int16_t flag = 0;
    for (std::size_t i = 0; i < BOUNDARY_POINTS; ++i) {
        if (b.freqMHz[i] > 0.0f && b.freqMHz[i] <= F) {
            lowerFound = true;
            fLo = b.freqMHz[i];
            levelLo = b.levelDbm[i];
            flag = b.logSegment[i];
        }
    }
    bool upperFound = false;
    float fHi = 0.0f;
    float levelHi = 0.0f;
    for (std::size_t j = BOUNDARY_POINTS; j-- > 0;) {
        if (b.freqMHz[j] >= F) {
            upperFound = true;
            fHi = b.freqMHz[j];
            levelHi = b.levelDbm[j];
        }
    }
    // Points out of order can put the upper point below the lower one: F then lies outside the line.
    if (!lowerFound || !upperFound || fHi < fLo) return BOUNDARY_NOT_COVERED;

    if (fHi == fLo) {
        const std::int16_t lo = WholeDbm(levelLo);
        const std::int16_t hi = WholeDbm(levelHi);
        return lo < hi ? hi : lo;
    }
    if (levelLo == levelHi) return WholeDbm(levelLo);
    const double f = F;
    const double f0 = fLo;
    const double f1 = fHi;
    const double l0 = levelLo;
    const double l1 = levelHi;
    if (flag == 0) return WholeDbm(l0 - (f - f0) * (l0 - l1) / (f1 - f0));
    return WholeDbm(LogSegmentLevel(f + 1e-6, f0, l0, f1, l1));
}

BoundaryLevels BoundaryLevelsAt(const MeasurementModel& model, float F) {
    return {BoundaryLevelAt(model.boundaryActual, F), BoundaryLevelAt(model.boundaryAverage, F),
            BoundaryLevelAt(model.boundaryPeak, F)};
}

}  // namespace tk
