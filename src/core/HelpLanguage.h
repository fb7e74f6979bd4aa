#pragma once

#include <QString>

#include "MeasurementModel.h"

namespace tk {

inline constexpr char HELP_FILE_GERMAN[] = "TK820_2D.hlp";
inline constexpr char HELP_FILE_ENGLISH[] = "TK820_2E.hlp";

// The help file name for the model's language; any value other than 0 means English and is set to 1.
QString SelectHelpFile(ParameterFields& parameters);

}  // namespace tk
