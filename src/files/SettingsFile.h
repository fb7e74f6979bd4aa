#pragma once

#include <QByteArray>

#include "LoadResult.h"
#include "MeasurementModel.h"

namespace tk {

// The settings file (*.set): the analyzer settings, the port choice, the level unit with the user unit and
// the print setup in one fixed record. The writer writes "set4 "; the loader also reads the four older
// layouts, each ending with the same 46-byte tail. Fields an older layout lacks keep their values.
constexpr qsizetype SETTINGS_FILE_SIZE = 201;

// Loads a settings file's bytes into the model field by field. An out-of-range port, resolution, baud,
// unit or bandwidth keeps the current value and makes the load Incomplete.
LoadResult ReadSettings(const QByteArray& bytes, MeasurementModel& model);
// The "set4 " record of the model's settings.
QByteArray WriteSettings(const MeasurementModel& model);

}  // namespace tk
