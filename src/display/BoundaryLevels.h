#pragma once

#include <cstdint>

#include "MeasurementModel.h"

namespace tk {

// The level that stands for "this boundary does not cover the frequency"; no trace level reaches it.
constexpr std::int16_t BOUNDARY_NOT_COVERED = 32000;

// The three boundaries' levels at one frequency, in whole dBm.
struct BoundaryLevels {
    std::int16_t boundaryLevelActual = BOUNDARY_NOT_COVERED;
    std::int16_t boundaryLevelAverage = BOUNDARY_NOT_COVERED;
    std::int16_t boundaryLevelPeak = BOUNDARY_NOT_COVERED;
};

// The level of one boundary at F MHz, rounded to whole dBm (halves to even). Points 0..9 are taken in index
// order as they stand: the lower point is the last one in use at or below F, the upper point the first one
// at or above F. At a vertical step (F on two points) the higher level counts. A frequency at or below 0,
// one before the first or after the last point in use, or a level that is not a number gives
// BOUNDARY_NOT_COVERED; levels beyond the 16-bit range are held at its ends.
std::int16_t BoundaryLevelAt(const BoundaryLine& boundary, float F);

// BoundaryLevelAt for boundaryActual, boundaryAverage and boundaryPeak.
BoundaryLevels BoundaryLevelsAt(const MeasurementModel& model, float F);

// The level at f on a segment from (f0, level0) to (f1, level1) that runs straight in log10 of the
// frequency. The frequencies are above 0 and f0 differs from f1.
double LogSegmentLevel(double f, double f0, double level0, double f1, double level1);

// True when a trace level (dBm) reaches a boundary level: at or above it, and the boundary covers the point.
inline bool ReachesBoundary(float levelDbm, std::int16_t boundaryLevel) {
    return boundaryLevel != BOUNDARY_NOT_COVERED && levelDbm >= static_cast<float>(boundaryLevel);
}

}  // namespace tk
