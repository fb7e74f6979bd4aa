#pragma once

#include <QString>
#include <functional>

#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// "&Load Data" > "&Boundaries" and "&Store Data" > "&Boundaries": the boundaries file through the file
// dialogs, with the file name the boundaries remember.
class BoundaryFileCommands {
public:
    BoundaryFileCommands(MeasurementModel& model, UserDialogs& dialogs) : m_model(model), m_dialogs(dialogs) {}

    // Shows the loaded lines in the open windows (closing and opening them again).
    void SetAfterLoad(std::function<void()> afterLoad) { m_afterLoad = std::move(afterLoad); }
    // Told of each boundaries file loaded.
    void SetLoaded(std::function<void(const QString& name)> loaded) { m_loaded = std::move(loaded); }

    void LoadCommand();
    void SaveCommand();

private:
    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    std::function<void()> m_afterLoad;
    std::function<void(const QString&)> m_loaded;
};

}  // namespace tk
