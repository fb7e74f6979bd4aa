#pragma once

#include <QString>

#include "MeasurementModel.h"

namespace tk::test {

// A boundary from points "freq:level" (MHz, dBm) apart by spaces; a trailing L marks a log segment to the
// next point, stored as `logFlag` (the program writes -1; a file may hold any value but 0).
inline BoundaryLine BoundaryOf(const QString& points, std::int16_t logFlag = -1) {
    BoundaryLine b;
    std::size_t i = 0;
    for (const QString& p : points.split(u' ', Qt::SkipEmptyParts)) {
        QString level = p.section(u':', 1);
        if (level.endsWith(u'L')) {
            b.logSegment[i] = logFlag;
            level.chop(1);
        }
        b.freqMHz[i] = p.section(u':', 0, 0).toFloat();
        b.levelDbm[i++] = level.toFloat();
    }
    return b;
}

}  // namespace tk::test
