#pragma once

#include <QList>
#include <QPair>

#include "MeasurementModel.h"

namespace tk::test {

// A calibration curve as (frequency, offset) pairs, and back.
using Points = QList<QPair<float, float>>;

inline CalibrationCurve CurveOf(const Points& points) {
    CalibrationCurve c;
    for (int i = 0; i < points.size(); ++i) {
        c.freqMHz[i] = points[i].first;
        c.offsetDb[i] = points[i].second;
    }
    c.pointCount = static_cast<std::int16_t>(points.size());
    return c;
}

inline Points PointsOf(const CalibrationCurve& c) {
    Points p;
    for (int i = 0; i < c.pointCount; ++i) p.append({c.freqMHz[i], c.offsetDb[i]});
    return p;
}

}  // namespace tk::test
