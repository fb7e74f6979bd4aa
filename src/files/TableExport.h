#pragma once

#include <QByteArray>

#include "MeasurementModel.h"

namespace tk {

// The value table (*.tab) of the three traces in a level unit (coded like levelUnit): a header line, then
// one line per trace point with the frequency and the actual, average and peak levels, separated by tabs,
// each line ending with CR LF, in the 8-bit code page.
QByteArray TableText(const MeasurementModel& model, int unit);

}  // namespace tk
