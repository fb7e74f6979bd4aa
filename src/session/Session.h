#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "AnalyzerLink.h"
#include "BoundaryFileCommands.h"
#include "ConfinedScriptActions.h"
#include "FileCommands.h"
#include "LineWaker.h"
#include "MeasurementCycle.h"
#include "ModuleCommands.h"
#include "ParallelPort.h"
#include "QtSerialPort.h"
#include "ScriptFileActions.h"
#include "ScriptRunner.h"
#include "StartUp.h"
#include "TraceReader.h"

namespace tk {

struct SessionContext {
    MeasurementModel& model;
    SerialPort& port;
    Clock& clock;
    UserDialogs& dialogs;
    const PortMap& portMap;
};

// The program without windows: the line to the interface, the trace reads, the measurement cycle with its
// 100 ms tick `Timer1`, the module states, the measurement switches, the start-up sequence and the script
// runner with its control outputs. Menus, windows, scripts, the tick
// and remote clients hand it commands; those that need the line run one at a time, in the order given, each
// after the exchange that has the line. Views hear of every change through the signals and never keep a
// state of their own: the model holds it, and the session is the one that changes the switches.
class Session final : public QObject, private LinkView, private CycleView, private StartupHooks {
    Q_OBJECT
public:
    explicit Session(const SessionContext& context, QObject* parent = nullptr);
    ~Session() override;

    MeasurementModel& Model() { return m_model; }
    AnalyzerLink& Link() { return m_link; }
    TraceReader& Reader() { return m_reader; }
    LineGuard& Line() { return m_link.Line(); }
    QTimer& Timer() { return m_timer; }
    Clock& TheClock() { return m_clock; }
    ScriptRunner& Scripts() { return *m_runner; }
    // The file commands of the menus (and of remote clients): each asks for its file through the dialogs.
    FileCommands& Files() { return m_files; }
    BoundaryFileCommands& BoundaryFiles() { return m_boundaryFiles; }
    // "&Load Data" > "C&alibration Curve", once the line is free: calibrationFileNamed when the name is
    // taken, calibrationLoaded when the curve was read.
    void LoadCalibrationCurveFile();
    // "&Load Data" > "S&cript", once the line is free (a step may be running: the new steps replace the
    // table after it): scriptLoaded when its steps were read, all or some.
    void LoadScriptFile();
    // The model was set anew (defaults, or values changed from outside the windows): modelReset.
    void ShowModelAgain() { emit modelReset(); }
    // What a script step does with files, the printer and the link, unless other actions were given.
    ScriptFileActions& FileActions() { return m_fileActions; }
    // Other control outputs, or other step actions, in place of the real ones (tests, the headless run).
    void UsePorts(SerialPort& control, ParallelPort& parallel);
    void UseActions(ScriptActions& actions);

    // The line runs on the event loop from now on: each wait of an exchange returns to it, so that boxes,
    // dialogs and remote clients never hold the line. simulated: the clock is a simulated one.
    void RunLineOnEventLoop(bool simulated = false);

    // What follows the reads of a tick or of "Single" (the peak table's capture).
    void SetAfterReads(std::function<void()> afterReads) { m_afterReads = std::move(afterReads); }

    // The start-up sequence: the line's start settings, the parameter file, the start script; then the
    // tick runs. Returns whether a valid parameter file was read (start scripts start only then).
    bool Load(const QString& parameterPath, const QString& commandLineScript);
    // Loads the script `scriptFileName` and, when every step was read, starts it (after the running
    // exchange); scriptStartedAtProgramStart tells the views.
    void StartScriptAtProgramStart();
    // Starts the loaded script once the line is free.
    void StartLoadedScript();
    // SCR:RUN: starts the loaded script now, with its files taken beside it and held inside folder until a
    // script is started another way.
    void StartScriptInside(const QString& folder);

    // Runs a command that needs the line now, or after the exchange that has it, in the order given.
    void OnLine(std::function<void()> command, const QString& key = {});

    // The tick of `Timer1`: while the line is busy it waits, at most once (ticks are not made good).
    void Tick();
    void Single();
    // "&Erase display".
    void Erase();
    // "M&odule online" switched on (the port opens, the interface wakes) or off (the running read ends at its
    // next block, the rest of its answer is let pass, and the port closes).
    void SetOnline(bool on);
    // The interface's version block, read over an open port (as the serial setup reads it).
    void ReadInterfaceVersion();
    void ToggleSleeping();
    void ToggleCalculating();

    // "&Auto measurement" and "&Fast-Mode"; fast mode on switches automatic measurement on too. Automatic
    // measurement off ends a running read at its next block. During the correction run, which switches them
    // itself and puts them back at its end, the change waits for the run.
    void SetAutoMeasurement(bool on);
    void SetFastMode(bool on);
    // Tells the views the switches as the model holds them (after a load, a script step, the start-up).
    void ShowSwitches();

    // "&Exit": the running exchange ends as it would, what still waits is dropped, then the shutdown runs
    // on a quiet line; `ended` is called when the program may end.
    void Exit(const QString& parameterPath, std::function<void()> ended);
    // The program goes away now (closed by its frame): the running exchange ends at once, even in the middle
    // of a block, and what waits is dropped.
    void Abort();
    // The program has ended: nothing more uses the line and the tick stops.
    void Close();

signals:
    void captionChanged(const QString& caption);
    void onlineChanged(bool online);
    void sleepingChanged(bool sleeping);
    void calculatingChanged(bool calculating);
    void switchesChanged(bool autoMeasurement, bool fastMode);
    void statusChanged(const QString& text);
    void graphChanged();
    void tracesErased();
    void traceRead(TraceKind kind);
    void informationShown(const QString& text);
    void informationClosed();
    void readProgress(const QString& trace, int blocks, int of);
    void readStopped(const QString& trace);
    void busyChanged(bool busy);
    void calibrationFileNamed();
    void calibrationLoaded();
    void scriptLoaded();
    void modelReset();
    void helpFileSelected(const QString& helpFileName);
    void scriptStartedAtProgramStart();
    // A file was loaded ("settings", "measurement", "boundaries", "calibration curve"), by a menu or a step.
    void fileLoaded(const QString& kind, const QString& name);
    // A script step (from 0) starts.
    void scriptStepStarted(int step);

private:
    // Drops the commands still waiting and says so in the status line.
    void DropWaiting();
    // Runs the command after the correction run when one runs, else returns false.
    bool AfterCorrection(std::function<void()> command);

    // LinkView
    void SetMainCaption(const QString& caption) override { emit captionChanged(caption); }
    void SetOnlineChecked(bool checked) override { emit onlineChanged(checked); }
    void SetSleepingChecked(bool checked) override { emit sleepingChanged(checked); }
    void SetCalculatingChecked(bool checked) override { emit calculatingChanged(checked); }
    void TracesErased() override { emit tracesErased(); }
    void RedrawGraph() override { emit graphChanged(); }
    void TraceRead(TraceKind kind) override { emit traceRead(kind); }
    void ShowInformation(const QString& text) override { emit informationShown(text); }
    void CloseInformation() override { emit informationClosed(); }
    void ShowReadProgress(const QString& trace, int blocks, int of) override {
        emit readProgress(trace, blocks, of);
    }
    void ReadStopped(const QString& trace) override;

    // CycleView
    void SetStatusText(const QString& text) override { emit statusChanged(text); }
    void SetAutoMeasurementChecked(bool) override { ShowSwitches(); }
    bool IsScriptStepDue() override { return m_runner->IsScriptStepDue(); }
    void RunScriptStep() override { m_runner->RunScriptStep(); }
    bool ScriptRunning() const override { return m_model.scriptRunning; }
    int ScriptStepIndex() const override { return m_model.scriptStepIndex; }
    int DueHour() const override { return m_model.dueHour; }
    int DueMinute() const override { return m_model.dueMinute; }
    void BetweenReads() override;

    // StartupHooks
    void HelpFileSelected(const QString& helpFileName) override { emit helpFileSelected(helpFileName); }
    void StartScript() override;
    void RebuildRunner();

    MeasurementModel& m_model;
    AnalyzerLink m_link;
    TraceReader m_reader{m_link};
    MeasurementCycle m_cycle;
    ModuleCommands m_modules{m_link};
    QTimer m_timer;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    const PortMap& m_portMap;
    SerialPort& m_port;
    QtSerialPort m_ownControl;
    DeviceParallelPort m_ownParallel;
    ScriptFileActions m_fileActions;
    FileCommands m_files{m_model, m_link, m_clock, m_dialogs};
    BoundaryFileCommands m_boundaryFiles{m_model, m_dialogs};
    SerialPort* m_control = &m_ownControl;
    ParallelPort* m_parallel = &m_ownParallel;
    ConfinedScriptActions m_scriptActions{m_fileActions};
    std::unique_ptr<ScriptRunner> m_runner;
    std::unique_ptr<LineWaker> m_waker;
    std::function<void()> m_afterReads;
    bool m_inTick = false;
};

}  // namespace tk
