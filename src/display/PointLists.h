#pragma once

// The rows of the level window and of the violation list: eleven consecutive sweep points around a marked
// point, one text row per point, each ending with carriage return and line feed.

#include <QString>
#include <array>
#include <optional>

#include "MeasurementModel.h"

namespace tk {

// The lists' scroll positions run from -5 to ListScrollMaximum; position p marks point p + 5.
constexpr int LIST_SCROLL_MINIMUM = -5;
int ListScrollMaximum(int resolution);
// The x of the marked point's cursor line on the graph.
std::int16_t ListCursorX(int p, int resolution);
// The sweep point nearest to x on the graph (halves to even), held within the sweep's points.
int PointAtX(double x, int resolution);
// The scroll position that marks the point.
inline int ListScrollOfPoint(int point) {
    return point - 5;
}

// Makes the unit the only one chosen (unit numbers of Units.h).
void ChooseListUnit(std::array<VbBool, 4>& units, int unit);
// The chosen unit, tested in the order dBm, dBuV, dBpW, user unit; nothing when none is chosen.
std::optional<int> ChosenListUnit(const std::array<VbBool, 4>& units);

// A level already in the unit, as the lists write it ("-050.0 dBm", "0012.5 Name").
QString ListValueText(const MeasurementSettings& settings, double value, int unit);

// Blanks standing for a trace that does not reach its boundary: as wide as an entry in dBm, and in the
// user unit twelve blanks and one per character of the name.
QString LimitFiller(const MeasurementSettings& settings, int unit);

// The level window's rows for scroll position p in levelWindowUnit (no rows when no unit is chosen).
QString LevelWindowText(const MeasurementModel& model, int p);
// The violation list's rows for scroll position p in limitListUnit: every trace that reaches its boundary
// at a point is named with its level.
QString ViolationListText(const MeasurementModel& model, int p);

}  // namespace tk
