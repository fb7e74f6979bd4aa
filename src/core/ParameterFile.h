#pragma once

#include <QIODevice>

#include "MeasurementModel.h"

namespace tk {

constexpr int PARAMETER_FILE_SIZE = 169;
inline constexpr char PARAMETER_SIGNATURE[] = "par01";

enum class ParameterReadResult { Ok, BadSignature, ReadFailed };

// Reads the parameter file from its first byte. Fields read before a short read keep their new values.
ParameterReadResult ReadParameterFile(QIODevice& device, ParameterFields& fields);
// Writes the 169 bytes from the first byte; a longer existing file is not shortened.
bool WriteParameterFile(QIODevice& device, const ParameterFields& fields);

}  // namespace tk
