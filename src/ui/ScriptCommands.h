#pragma once

#include <QObject>
#include <QPointer>
#include <QStatusBar>
#include <functional>
#include <memory>

#include "AnalyzerLink.h"
#include "ParallelPort.h"
#include "QtSerialPort.h"
#include "ScriptFileActions.h"
#include "ScriptRunner.h"
#include "ScriptWindow.h"

namespace tk {

// The script commands of the main window: load, save, the script window, the start-script dialog and the
// start at program start; and the runner that the measurement cycle asks at each tick.
class PrintCommands;

class ScriptCommands final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(QWidget*)> showChild;   // shows a child window in the work area
        std::function<void(bool)> setAutoChecked;  // "&Auto measurement" and `mdiauto`
    };
    ScriptCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs, AnalyzerLink& link,
                   const PortMap& portMap, Hooks hooks, QWidget* dialogParent);
    ~ScriptCommands() override;

    // Puts other control outputs in place of the real serial port and device files.
    void UsePorts(SerialPort& control, ParallelPort& parallel);
    // Puts other file, printer and link actions in place of the real ones.
    void UseActions(ScriptActions& actions);
    // A step's page goes where "&Print" sends it; where it went shows in the status bar.
    void UsePrinter(PrintCommands& print, QStatusBar* statusBar);
    ScriptRunner& runner() { return *m_runner; }
    ScriptWindow* editor() const { return m_editor; }

    void LoadCommand();
    void SaveCommand();
    void ShowEditor();
    void ShowStartScriptDialog();
    // Loads scriptFileName and, when every step was read, starts it with the script window minimised.
    void StartAtProgramStart();

private:
    void Rebuild();
    void Load();
    void StartLoaded();
    // After a load the window shows the new steps, unless it is minimised.
    void RefreshEditor();

    MeasurementModel& m_model;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    const PortMap& m_portMap;
    Hooks m_hooks;
    QWidget* m_dialogParent;
    LineGuard& m_line;
    QtSerialPort m_ownControl;
    DeviceParallelPort m_ownParallel;
    ScriptFileActions m_ownActions;
    SerialPort* m_control = &m_ownControl;
    ParallelPort* m_parallel = &m_ownParallel;
    ScriptActions* m_actions = &m_ownActions;
    std::unique_ptr<ScriptRunner> m_runner;
    QPointer<ScriptWindow> m_editor;
};

}  // namespace tk
