#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "MeasurementModel.h"

namespace tk {

// A measurement's stored points as comma-separated values: a header line, then one line per point with
// its frequency in MHz and the actual, average and peak levels in the unit (coded like levelUnit), in
// UTF-8 with LF line ends.
QByteArray MeasurementCsv(const MeasurementModel& model, int unit);
// A field that holds a separator, a quote or a line end (a user unit may be called anything) is quoted.
QString CsvField(const QString& text);
// The shortest decimal that reads back to the same float.
QString ShortestFloat(float value);

// The unit of a command-line name: "dBpW", "dBm", "dBuV" or "user" (letter case ignored).
std::optional<int> UnitOfName(const QString& name);

}  // namespace tk
