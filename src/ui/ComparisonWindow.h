#pragma once

#include <QWidget>

#include "MeasurementModel.h"

namespace tk {

class CalibrationCommands;

// `boxvergl`, "Comparative measurement": takes a trace as the comparison curve, shows or hides it and runs
// the correction.
class ComparisonWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ComparisonWindow(CalibrationCommands& commands, QWidget* parent = nullptr);
};

}  // namespace tk
