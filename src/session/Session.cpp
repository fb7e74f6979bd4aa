#include "Session.h"

#include "CalibrationEditor.h"
#include "ScriptFile.h"
#include "Units.h"

namespace tk {

Session::Session(const SessionContext& context, QObject* parent)
    : QObject(parent),
      m_model(context.model),
      m_link(context.model, context.port, context.clock, context.dialogs, *this, context.portMap),
      m_cycle(context.model, m_reader, context.clock, *this),
      m_clock(context.clock),
      m_dialogs(context.dialogs),
      m_portMap(context.portMap),
      m_port(context.port),
      m_fileActions(context.model, m_link, [this](bool) { ShowSwitches(); }) {
    setObjectName(QStringLiteral("session"));
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &Session::Tick);
    Line().SetBusyChanged([this](bool busy) { emit busyChanged(busy); });
    m_files.SetLoaded([this](const QString& kind, const QString& name) { emit fileLoaded(kind, name); });
    m_boundaryFiles.SetLoaded(
        [this](const QString& name) { emit fileLoaded(QStringLiteral("boundaries"), name); });
    RebuildRunner();
}

void Session::RebuildRunner() {
    m_runner = std::make_unique<ScriptRunner>(m_model, m_clock, m_dialogs, m_scriptActions, *m_control,
                                              *m_parallel, m_portMap);
    m_runner->SetStepStarted([this](int step) { emit scriptStepStarted(step); });
    m_runner->SetFileLoaded(
        [this](const QString& kind, const QString& name) { emit fileLoaded(kind, name); });
}

void Session::UsePorts(SerialPort& control, ParallelPort& parallel) {
    m_control = &control;
    m_parallel = &parallel;
    RebuildRunner();
}

void Session::UseActions(ScriptActions& actions) {
    m_scriptActions.Use(actions);
}

bool Session::Load(const QString& parameterPath, const QString& commandLineScript) {
    // The line gets its start settings before the sequence: a start script opens the port at its own rate,
    // which must not be reset afterwards.
    m_port.setLineSettings(*LineSettingsOfIndex(1));
    const bool valid = RunStartUp(m_model, parameterPath, commandLineScript, m_clock, m_dialogs, *this);
    ShowSwitches();
    m_timer.start();
    return valid;
}

void Session::StartScript() {
    StartScriptAtProgramStart();
}

void Session::StartScriptAtProgramStart() {
    OnLine([this] {
        // Only a script read whole is started: after a refused file the table is the one from before, which
        // may be another script whose control outputs would be sent again.
        if (LoadScript(m_model, m_dialogs) != ScriptLoad::Loaded) return;
        emit scriptStartedAtProgramStart();
        m_scriptActions.Release();
        m_runner->StartScript();
    });
}

void Session::LoadCalibrationCurveFile() {
    OnLine([this] {
        const FileDialogRequest request =
            OpenFileRequest(QStringLiteral("Eichkurve (*.eic);;Alle Dateien (*.*)"), QStringLiteral("eic"));
        const auto name = m_dialogs.openFileName(request);
        if (!name) return;
        m_model.fileNames.calibration = *name;
        emit calibrationFileNamed();
        if (!LoadCalibrationCurve(m_model, *name, m_dialogs)) return;
        emit calibrationLoaded();
        emit fileLoaded(QStringLiteral("calibration curve"), *name);
    });
}

void Session::LoadScriptFile() {
    OnLine([this] {
        const FileDialogRequest r =
            OpenFileRequest(QStringLiteral("Script (*.scp);;Alle Dateien (*.*)"), QStringLiteral("scp"));
        const auto name = m_dialogs.openFileName(r);
        if (!name) return;
        m_model.scriptFileName = *name;
        const ScriptLoad result = LoadScript(m_model, m_dialogs);
        if (result == ScriptLoad::Loaded || result == ScriptLoad::ShortRead) emit scriptLoaded();
    });
}

void Session::StartLoadedScript() {
    OnLine([this] {
        m_scriptActions.Release();
        m_runner->StartScript();
    });
}

void Session::StartScriptInside(const QString& folder) {
    m_scriptActions.Confine(folder, m_model.scriptFileName);
    m_runner->StartScript();
}

Session::~Session() {
    m_timer.stop();
    // An exchange waiting on the event loop ends before what it uses goes.
    if (Line().Busy()) Line().Abort();
    m_waker.reset();
}

void Session::RunLineOnEventLoop(bool simulated) {
    if (!m_waker) m_waker = std::make_unique<LineWaker>(Line(), m_port, m_clock, simulated);
}

void Session::OnLine(std::function<void()> command, const QString& key) {
    Line().Run(std::move(command), key);
}

void Session::Tick() {
    OnLine(
        [this] {
            const bool outer = !m_inTick;
            m_inTick = true;
            m_cycle.Tick();
            m_inTick = !outer;
            if (m_afterReads) m_afterReads();
        },
        QStringLiteral("tick"));
}

void Session::BetweenReads() {
    // A command given during one of the reads runs before the next; inside a tick, a tick that came
    // meanwhile waits for this one to end.
    Line().RunWaiting(m_inTick ? QStringLiteral("tick") : QString());
}

void Session::Single() {
    OnLine([this] {
        m_cycle.Single();
        if (m_afterReads) m_afterReads();
    });
}

void Session::Erase() {
    OnLine([this] { EraseDisplay(m_link); });
}

void Session::SetOnline(bool on) {
    if (!on) Line().RequestStop();
    OnLine([this, on] { m_modules.ToggleOnline(!on); });
}

void Session::ReadInterfaceVersion() {
    OnLine([this] { m_link.ReadVersion(); });
}

void Session::ToggleSleeping() {
    OnLine([this] { m_modules.ToggleSleeping(); });
}

void Session::ToggleCalculating() {
    OnLine([this] { m_modules.ToggleCalculating(); });
}

bool Session::AfterCorrection(std::function<void()> command) {
    if (!Line().IsUnstoppable()) return false;
    Line().Run(std::move(command));
    ShowSwitches();  // the views show the switches as they are until then
    return true;
}

void Session::SetAutoMeasurement(bool on) {
    if (AfterCorrection([this, on] { SetAutoMeasurement(on); })) return;
    m_model.autoMeasurement = on;
    ShowSwitches();
    if (!on) Line().RequestStop();
}

void Session::SetFastMode(bool on) {
    if (AfterCorrection([this, on] { SetFastMode(on); })) return;
    m_model.fastMode = on;
    if (on) m_model.autoMeasurement = true;
    ShowSwitches();
}

void Session::ShowSwitches() {
    emit switchesChanged(m_model.autoMeasurement, m_model.fastMode);
}

void Session::ReadStopped(const QString& trace) {
    emit statusChanged(
        QStringLiteral(" The %1 trace read was stopped; the trace keeps its last complete read")
            .arg(trace.toLower()));
    emit graphChanged();
}

void Session::DropWaiting() {
    if (const int dropped = Line().DropWaiting())
        emit statusChanged(QStringLiteral(" %1 waiting command(s) dropped").arg(dropped));
}

void Session::Exit(const QString& parameterPath, std::function<void()> ended) {
    // The running exchange ends as it would (a read is let finish), so that the shutdown starts on a quiet
    // line; what still waits is dropped.
    DropWaiting();
    OnLine([this, parameterPath, ended = std::move(ended)] {
        if (RunShutdown(m_link, parameterPath) && ended) ended();
    });
}

void Session::Abort() {
    DropWaiting();
    Line().Abort();
    m_timer.stop();
}

void Session::Close() {
    Line().Close();
    m_timer.stop();
}

}  // namespace tk
