#pragma once

#include "ByteCodec.h"
#include "MeasurementModel.h"

namespace tk {

// The three boundary lines as the boundaries and measurement files hold them: ten 30-byte groups, group i
// holding point i of the actual, average and peak lines (frequency, level, logarithmic flag each). Entry 10
// of the arrays is neither read nor written.
constexpr int BOUNDARY_GROUP_COUNT = 10;
constexpr qsizetype BOUNDARY_GROUPS_SIZE = 300;

void ReadBoundaryGroups(ByteReader& reader, MeasurementModel& model);
void WriteBoundaryGroups(ByteWriter& writer, const MeasurementModel& model);

}  // namespace tk
