#include "SessionRemoteTarget.h"

#include <QCoreApplication>
#include <algorithm>

#include "SessionRecording.h"
#include "BoundaryMargins.h"
#include "Units.h"
#include "Version.h"

namespace tk {

QString SessionRemoteTarget::ProgramVersion() const {
    return QCoreApplication::applicationVersion().isEmpty() ? QString::fromLatin1(PROGRAM_VERSION)
                                                            : QCoreApplication::applicationVersion();
}

void SessionRemoteTarget::Reset() {
    // A reset leaves the program quiet: no read of its own until the client asks for one.
    Abort();
    MeasurementModel& m = m_session.Model();
    SetModelDefaults(m, m_session.TheClock().dateText());
    m.autoMeasurement = false;
    m.redrawPending = true;
    m_session.ShowModelAgain();
    m_session.ShowSwitches();
}

void SessionRemoteTarget::Abort() {
    m_session.SetAutoMeasurement(false);
}

void SessionRemoteTarget::SetOnline(bool on) {
    if (Online() != on) m_session.SetOnline(on);
    // *IDN? names the interface's version: it is read once the port is open, unless a setup has read it.
    if (on && m_session.Model().interfaceVersion.trimmed().isEmpty()) m_session.ReadInterfaceVersion();
}

void SessionRemoteTarget::SetAutoMeasurement(bool on) {
    if (bool(m_session.Model().autoMeasurement) != on) m_session.SetAutoMeasurement(on);
}

void SessionRemoteTarget::SetFastMode(bool on) {
    if (bool(m_session.Model().fastMode) != on) m_session.SetFastMode(on);
}

void SessionRemoteTarget::Load(RemoteFile kind, const QString& path) {
    m_dialogs.AnswerNextFileDialog(path);
    switch (kind) {
        case RemoteFile::Settings:
            return m_session.Files().LoadSettings();
        case RemoteFile::Boundaries:
            return m_session.BoundaryFiles().LoadCommand();
        case RemoteFile::Calibration:
            return m_session.LoadCalibrationCurveFile();
        case RemoteFile::Measurement:
            return m_session.Files().LoadMeasurement();
        case RemoteFile::Script:
            return m_session.LoadScriptFile();
        case RemoteFile::Table:
            break;
    }
}

void SessionRemoteTarget::Store(RemoteFile kind, const QString& path, int unit) {
    m_dialogs.AnswerNextFileDialog(path);
    static constexpr int tables[] = {UNIT_DBPW, UNIT_DBM, UNIT_DBUV, UNIT_USER};
    switch (kind) {
        case RemoteFile::Settings:
            return m_session.Files().SaveSettings();
        case RemoteFile::Boundaries:
            return m_session.BoundaryFiles().SaveCommand();
        case RemoteFile::Measurement:
            return m_session.Files().SaveMeasurement();
        case RemoteFile::Table:
            return m_session.Files().ExportTable(tables[std::clamp(unit, 0, 3)]);
        case RemoteFile::Calibration:
        case RemoteFile::Script:
            break;
    }
}

std::vector<RemoteMargin> SessionRemoteTarget::Margins() {
    std::vector<RemoteMargin> margins;
    for (const BoundaryMargin& m : SmallestBoundaryMargins(m_session.Model()))
        margins.push_back({static_cast<int>(m.trace), m.reached, m.marginDb, m.frequencyMHz});
    return margins;
}

bool SessionRemoteTarget::Exit() {
    if (!m_exit) return false;
    m_exit();
    return true;
}

QString SessionRemoteTarget::StartRecording(const QString& path) {
    if (!m_recording) return QStringLiteral("this program records nothing");
    m_recording->Stop();
    QString error;
    return m_recording->Start(path, &error) ? QString() : error;
}

void SessionRemoteTarget::StopRecording() {
    if (m_recording) m_recording->Stop();
}

std::optional<std::pair<QString, qint64>> SessionRemoteTarget::Recording() {
    if (!m_recording || !m_recording->recording()) return std::nullopt;
    return std::make_pair(m_recording->fileName(), m_recording->written());
}

}  // namespace tk
