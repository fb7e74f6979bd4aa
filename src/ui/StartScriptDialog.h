#pragma once

#include <QDialog>
#include <QLineEdit>

#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// `boxstartscp`, "Start script": names the script started at program start (startScriptName, written to
// the parameter file at exit).
class StartScriptDialog final : public QDialog {
    Q_OBJECT
public:
    StartScriptDialog(MeasurementModel& model, UserDialogs& dialogs, QWidget* parent = nullptr);

private:
    void Select();

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    QLineEdit* m_name = nullptr;
};

}  // namespace tk
