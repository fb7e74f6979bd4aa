#include "ProgramRemoteTarget.h"

#include <QAction>
#include <QCoreApplication>
#include <algorithm>

#include "BoundaryMargins.h"
#include "Version.h"

namespace tk {

ProgramRemoteTarget::ProgramRemoteTarget(MainWindow& window, MeasurementModel& model, Clock& clock,
                                         RemoteDialogs& dialogs, std::function<void()> exit)
    : m_window(window), m_model(model), m_clock(clock), m_dialogs(dialogs), m_exit(std::move(exit)) {}

void ProgramRemoteTarget::WhenLineFree(std::function<void()> step) {
    m_window.session().OnLine(std::move(step));
}

QString ProgramRemoteTarget::ProgramVersion() const {
    return QCoreApplication::applicationVersion().isEmpty() ? QString::fromLatin1(PROGRAM_VERSION)
                                                            : QCoreApplication::applicationVersion();
}

void ProgramRemoteTarget::Trigger(const char* action) {
    m_window.action(QString::fromUtf8(action))->trigger();
}

void ProgramRemoteTarget::Reset() {
    SetModelDefaults(m_model, m_clock.dateText());
    m_model.redrawPending = true;
    m_window.ShowModelAgain();
}

bool ProgramRemoteTarget::Online() {
    return m_window.action(QStringLiteral("mopen"))->isChecked();
}

void ProgramRemoteTarget::SetOnline(bool on) {
    if (Online() != on) Trigger("mopen");
}

void ProgramRemoteTarget::Single() {
    m_window.session().Single();
}

void ProgramRemoteTarget::SetAutoMeasurement(bool on) {
    if (bool(m_model.autoMeasurement) != on) Trigger("mnuauto");
}

void ProgramRemoteTarget::SetFastMode(bool on) {
    if (bool(m_model.fastMode) != on) Trigger("mnufastmode");
}

void ProgramRemoteTarget::Load(RemoteFile kind, const QString& path) {
    m_dialogs.AnswerNextFileDialog(path);
    switch (kind) {
        case RemoteFile::Settings:
            return Trigger("mnusetload");
        case RemoteFile::Boundaries:
            return Trigger("mnugrenzenload");
        case RemoteFile::Calibration:
            return Trigger("mnueichload");
        case RemoteFile::Measurement:
            return Trigger("mnumessload");
        case RemoteFile::Script:
            return Trigger("mnuscriptload");
        case RemoteFile::Table:
            break;
    }
}

void ProgramRemoteTarget::Store(RemoteFile kind, const QString& path, int unit) {
    m_dialogs.AnswerNextFileDialog(path);
    static const char* const tables[] = {"mnutabpW", "mnutabmW", "mnutabuV", "mnutabuser"};
    switch (kind) {
        case RemoteFile::Settings:
            return Trigger("mnusetsave");
        case RemoteFile::Boundaries:
            return Trigger("mnugrenzensave");
        case RemoteFile::Measurement:
            return Trigger("mnumesssave");
        case RemoteFile::Table:
            return Trigger(tables[std::clamp(unit, 0, 3)]);
        case RemoteFile::Calibration:
        case RemoteFile::Script:
            break;
    }
}

std::vector<RemoteMargin> ProgramRemoteTarget::Margins() {
    std::vector<RemoteMargin> margins;
    for (const BoundaryMargin& m : SmallestBoundaryMargins(m_model))
        margins.push_back({static_cast<int>(m.trace), m.reached, m.marginDb, m.frequencyMHz});
    return margins;
}

void ProgramRemoteTarget::RunScript() {
    m_window.scripts().runner().StartScript();
}

void ProgramRemoteTarget::StopScript() {
    m_window.scripts().runner().StopScript();
}

bool ProgramRemoteTarget::Exit() {
    if (!m_exit) return false;
    m_exit();
    return true;
}

}  // namespace tk
