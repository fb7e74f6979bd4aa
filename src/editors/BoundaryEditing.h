#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

#include "MeasurementModel.h"

namespace tk {

constexpr int BOUNDARY_EDIT_ROWS = 10;

// The line the boundary editor works on, by editBoundaryIndex (0 actual, 1 average, 2 peak; any other value
// counts as the actual line).
BoundaryLine& EditedBoundary(MeasurementModel& model);

// The dB the editor adds to a dBm level to show it in unit option 0 dBm, 1 dBpW, 2 dBuV, 3 user unit: the
// unit's distance from dBm, for the user unit userUnitOffset + 107 rounded half to even (held within 16
// bits).
std::int16_t EditUnitOffset(const MeasurementSettings& settings, int option);

// A typed frequency held within 0..2000 MHz, and a typed level held within -300..300 in the shown unit.
double TypedBoundaryFrequency(QStringView text);
double TypedBoundaryLevel(QStringView text);

// One row as the editor shows it.
struct BoundaryRow {
    QString frequency;
    QString level;
    bool log = false;
};

BoundaryRow ShowBoundaryRow(const BoundaryLine& line, int i, int unitOffset);
// Takes a row's texts as they stand (no limits). A text that is still the one shown (when given) keeps the
// stored value exactly, even one finer than the text can say; a log flag that stays set keeps its value.
void StoreBoundaryRow(BoundaryLine& line, int i, const BoundaryRow& row, int unitOffset,
                      const BoundaryRow* shown = nullptr);

}  // namespace tk
