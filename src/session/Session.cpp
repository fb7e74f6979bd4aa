#include "Session.h"

namespace tk {

Session::Session(const SessionContext& context, QObject* parent)
    : QObject(parent),
      m_model(context.model),
      m_link(context.model, context.port, context.clock, context.dialogs, *this, context.portMap),
      m_cycle(context.model, m_reader, context.clock, *this) {
    setObjectName(QStringLiteral("session"));
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &Session::Tick);
    Line().SetBusyChanged([this](bool busy) { emit busyChanged(busy); });
}

Session::~Session() {
    m_timer.stop();
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
            if (m_hooks.afterReads) m_hooks.afterReads();
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
        if (m_hooks.afterReads) m_hooks.afterReads();
    });
}

void Session::Erase() {
    OnLine([this] { EraseDisplay(m_link); });
}

void Session::SetOnline(bool on) {
    if (!on) Line().RequestStop();
    OnLine([this, on] { m_modules.ToggleOnline(!on); });
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
        QStringLiteral(" The %1 trace read was stopped; the trace keeps its last complete read").arg(trace.toLower()));
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
