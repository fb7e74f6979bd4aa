#include "BoundaryEditing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "EditorNumbers.h"
#include "Format.h"
#include "VbBool.h"

namespace tk {
namespace {

double Clamped(double v, double lo, double hi) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, lo, hi);
}

std::size_t RowIndex(int i) {
    return static_cast<std::size_t>(std::clamp(i, 0, BOUNDARY_EDIT_ROWS - 1));
}

}  // namespace

BoundaryLine& EditedBoundary(MeasurementModel& model) {
    switch (model.editBoundaryIndex) {
        case 1:
            return model.boundaryAverage;
        case 2:
            return model.boundaryPeak;
        default:
            return model.boundaryActual;
    }
}

std::int16_t EditUnitOffset(const MeasurementSettings& settings, int option) {
    switch (option) {
        case 1:
            return 90;
        case 2:
            return 107;
        case 3: {
            const double offset = RoundHalfEven(static_cast<double>(settings.userUnitOffset) + 107.0);
            return static_cast<std::int16_t>(Clamped(offset, std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
        }
        default:
            return 0;
    }
}

double TypedBoundaryFrequency(QStringView text) {
    return Clamped(LeadingNumber(text), 0.0, 2000.0);
}

double TypedBoundaryLevel(QStringView text) {
    return Clamped(LeadingNumber(text), -300.0, 300.0);
}

BoundaryRow ShowBoundaryRow(const BoundaryLine& line, int i, int unitOffset) {
    const std::size_t k = RowIndex(i);
    return {EditorNumberText(line.freqMHz[k]), EditorNumberText(line.levelDbm[k], unitOffset),
            line.logSegment[k] != 0};
}

void StoreBoundaryRow(BoundaryLine& line, int i, const BoundaryRow& row, int unitOffset,
                      const BoundaryRow* shown) {
    const std::size_t k = RowIndex(i);
    if (!shown || row.frequency != shown->frequency) line.freqMHz[k] = ToSingle(LeadingNumber(row.frequency));
    if (!shown || row.level != shown->level)
        line.levelDbm[k] = ToSingle(LeadingNumber(row.level) - unitOffset);
    if (!row.log)
        line.logSegment[k] = VbBool::FALSE_VALUE;
    else if (line.logSegment[k] == 0)
        line.logSegment[k] = VbBool::TRUE_VALUE;
}

}  // namespace tk
