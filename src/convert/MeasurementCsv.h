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
// The unit of a command-line name: "dBpW", "dBm", "dBuV" or "user" (letter case ignored).
std::optional<int> UnitOfName(const QString& name);

}  // namespace tk
