#pragma once

#include <QString>
#include <functional>

#include "AnalyzerLink.h"
#include "Clock.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// What the file commands ask of the main window. Each may be left empty.
struct FileCommandHooks {
    // Each closes and opens again its windows, unless minimised, so that they show the loaded values and
    // store no stale ones over them: the control box with the other windows of values a settings file holds
    // (user unit, printer setup); the boundary editor.
    std::function<void()> reopenSettingsWindows;
    std::function<void()> reopenBoundaryEditor;
    // The three user-unit menu entries take the unit's name.
    std::function<void()> userUnitChanged;
    std::function<void(const QString&)> setGraphCaption;
};

// The menu commands of the data files: load and store settings and measurements, and the table export.
// Each asks for the file name, runs the shared file operation and refreshes what shows the loaded values.
class FileCommands {
public:
    FileCommands(MeasurementModel& model, AnalyzerLink& link, Clock& clock, UserDialogs& dialogs,
                 FileCommandHooks hooks = {});
    // The windows that show the loaded values.
    void SetHooks(FileCommandHooks hooks) { m_hooks = std::move(hooks); }
    // Told of each file loaded: its kind ("settings", "measurement") and name.
    void SetLoaded(std::function<void(const QString& kind, const QString& name)> loaded) {
        m_loaded = std::move(loaded);
    }

    void LoadSettings();     // mnusetload
    void SaveSettings();     // mnusetsave
    void LoadMeasurement();  // mnumessload
    void SaveMeasurement();  // mnumesssave
    // mnutabpW, mnutabmW, mnutabuV, mnutabuser: the unit is coded like levelUnit.
    void ExportTable(int unit);

private:
    void LoadSettingsNow();
    void LoadMeasurementNow();
    std::optional<QString> AskSaveName(const QString& filter, const QString& initialName,
                                       const QString& extension);
    void Run(const std::function<void()>& hook) const {
        if (hook) hook();
    }

    MeasurementModel& m_model;
    AnalyzerLink& m_link;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    FileCommandHooks m_hooks;
    std::function<void(const QString&, const QString&)> m_loaded;
};

}  // namespace tk
