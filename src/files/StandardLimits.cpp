#include "StandardLimits.h"

#include <initializer_list>

namespace tk {
namespace {

// The standard states its limits in dBuV; at 50 ohm 0 dBm is 107 dBuV.
constexpr float DBUV_TO_DBM = -107.0f;

struct Point {
    float freqMHz;
    float levelDbuv;
    bool logToNext;  // the limit falls linearly with the logarithm of frequency up to the next point
};

BoundaryLine LineOf(std::initializer_list<Point> points) {
    BoundaryLine line;
    std::size_t i = 0;
    for (const Point& p : points) {
        line.freqMHz[i] = p.freqMHz;
        line.levelDbm[i] = p.levelDbuv + DBUV_TO_DBM;
        line.logSegment[i] = p.logToNext ? VbBool::TRUE_VALUE : VbBool::FALSE_VALUE;
        ++i;
    }
    return line;
}

}  // namespace

std::vector<StandardLimits> CisprConductedLimits() {
    // A jump of the limit is two points at the same frequency; the check takes the higher level there.
    return {
        {QStringLiteral("cispr32-class-a-mains.grn"),
         LineOf({{0.15f, 79, false}, {0.5f, 79, false}, {0.5f, 73, false}, {30.0f, 73, false}}),
         LineOf({{0.15f, 66, false}, {0.5f, 66, false}, {0.5f, 60, false}, {30.0f, 60, false}})},
        {QStringLiteral("cispr32-class-b-mains.grn"),
         LineOf({{0.15f, 66, true},
                 {0.5f, 56, false},
                 {5.0f, 56, false},
                 {5.0f, 60, false},
                 {30.0f, 60, false}}),
         LineOf({{0.15f, 56, true},
                 {0.5f, 46, false},
                 {5.0f, 46, false},
                 {5.0f, 50, false},
                 {30.0f, 50, false}})},
    };
}

void ApplyStandardLimits(const StandardLimits& limits, MeasurementModel& model) {
    model.boundaryActual = limits.quasiPeak;
    model.boundaryPeak = limits.quasiPeak;
    model.boundaryAverage = limits.average;
}

}  // namespace tk
