#pragma once

#include <QJsonObject>
#include <QString>

#include "DataFile.h"

namespace tk {

// The JSON form of a data file: "file" names the kind, "tag" the version the data came from, and every
// field of that version stands under the program's own name (traceActual, userUnitName, ...). Fields an
// older version does not hold are left out; read back, they keep their start-up values, as when the
// program loads such a file.
QJsonObject DataFileToJson(const DataFile& file);
// False and the reason ("userUnitOffset: expected a number ...") when the JSON does not describe a file.
bool DataFileFromJson(const QJsonObject& json, DataFile& file, QString& error);

}  // namespace tk
