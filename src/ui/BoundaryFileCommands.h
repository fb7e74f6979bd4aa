#pragma once

#include <QString>
#include <functional>

#include "MeasurementModel.h"
#include "UserDialogs.h"

class QAction;
class QObject;

namespace tk {

// "&Load Data" > "&Boundaries" and "&Store Data" > "&Boundaries": the boundaries file through the file
// dialogs, with the file name the boundaries remember.
class BoundaryFileCommands {
public:
    using ActionLookup = std::function<QAction*(const QString&)>;

    // afterLoad shows the loaded lines in the open windows (closing and opening them again).
    BoundaryFileCommands(MeasurementModel& model, UserDialogs& dialogs, std::function<void()> afterLoad);

    void Connect(const ActionLookup& action, QObject* context);

    void LoadCommand();
    void SaveCommand();

private:
    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    std::function<void()> m_afterLoad;
};

}  // namespace tk
