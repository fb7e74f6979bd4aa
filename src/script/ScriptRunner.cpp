#include "ScriptRunner.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "ByteList.h"

namespace tk {
namespace {

const QString kFileHandling = QStringLiteral("File handling");
const QString kScriptInfo = QStringLiteral("Script info");
constexpr int DRAIN_POLL_MS = 10;

bool ValidBaud(int baud) {
    for (int b : {300, 600, 1200, 2400, 4800, 9600, 14400, 19200})
        if (baud == b) return true;
    return false;
}

// A step's file or output field as it is used: without its trailing blanks.
QString Used(const ScriptText& field) {
    return field.rightTrimmed();
}

// Resets a flag on every way out of a step.
class Flag {
public:
    explicit Flag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Flag() { m_flag = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& m_flag;
};

// "run.mes" -> "run.pdf"; a name without an extension gets one.
QString WithPdfExtension(const QString& name) {
    const QFileInfo info(name);
    return (info.suffix().isEmpty() ? name : name.chopped(info.suffix().size() + 1)) + QStringLiteral(".pdf");
}

}  // namespace

ScriptRunner::ScriptRunner(MeasurementModel& model, Clock& clock, UserDialogs& dialogs,
                           ScriptActions& actions, SerialPort& controlPort, ParallelPort& parallelPort,
                           const PortMap& portMap)
    : m_model(model),
      m_clock(clock),
      m_dialogs(dialogs),
      m_actions(actions),
      m_control(controlPort),
      m_parallel(parallelPort),
      m_portMap(portMap) {}

void ScriptRunner::StartScript() {
    if (m_executing) return;
    m_model.autoMeasurement = true;
    m_actions.SetAutoMeasurementChecked(true);
    m_model.scriptStepIndex = 0;
    m_printouts.clear();
    m_completed = false;
    RunScriptStep();
}

bool ScriptRunner::IsScriptStepDue() {
    return !m_executing && m_model.scriptRunning && m_clock.wallSeconds() >= m_model.dueSeconds;
}

void ScriptRunner::RunScriptStep() {
    // The control output lets events run, and a message box may too: a tick or a start in the middle of a
    // step must not begin another.
    if (m_executing) return;
    Flag executing(m_executing);
    Execute(std::clamp<int>(m_model.scriptStepIndex, 0, SCRIPT_END_POSITION));
}

void ScriptRunner::Execute(int s) {
    ScriptTable& table = m_model.scriptTable;
    if (s > 0) {
        const ScriptStep& previous = table[static_cast<std::size_t>(s - 1)];
        QString stored;
        if (IsUsed(previous.measurementFile)) {
            m_model.readDate.set(m_clock.dateText());
            const FileSave saved = m_actions.SaveMeasurement(Used(previous.measurementFile));
            if (saved == FileSave::Ok) stored = Used(previous.measurementFile);
            if (saved != FileSave::Ok) {
                m_dialogs.message(QStringLiteral("File error"), kFileHandling);
                m_model.scriptRunning = false;
                if (saved == FileSave::CannotOpen) return;
            }
        }
        if (previous.printMeasurement) m_actions.Print(PrintoutName(s - 1, previous), stored);
    }

    const ScriptStep& step = table[static_cast<std::size_t>(s)];
    // The end position ends the run whatever it holds.
    const int delay = s == SCRIPT_END_POSITION ? 0 : std::clamp<int>(step.delayMinutes, 0, SCRIPT_MAX_DELAY);
    if (delay == 0 || !m_model.scriptRunning) {
        if (delay > 0) {
            m_model.scriptRunning = true;
        } else if (s > 0) {
            m_model.scriptRunning = false;
            m_completed = true;
            m_dialogs.notice(QStringLiteral("Script done"), kScriptInfo, MessageIcon::Information);
            return;
        }
    }

    if (m_stepStarted) m_stepStarted(s);
    if (IsUsed(step.messageText))
        m_dialogs.notice(step.messageText.text(), kScriptInfo, MessageIcon::Information);
    if (!LoadStepFile(step.settingsFile, &ScriptActions::LoadSettings, QStringLiteral("settings"))) return;
    m_actions.ConnectInterface();
    if (!m_actions.LinkOpen()) {
        m_model.scriptRunning = false;
        return;
    }
    if (!LoadStepFile(step.boundariesFile, &ScriptActions::LoadBoundaries, QStringLiteral("boundaries")))
        return;
    if (!LoadStepFile(step.calibrationFile, &ScriptActions::LoadCalibration,
                      QStringLiteral("calibration curve")))
        return;
    ParallelOutput(step);
    SerialOutput(step);

    if (delay == 0) {  // step 0 without a delay runs once
        m_model.scriptRunning = false;
        return;
    }
    Arm(delay);
    m_model.scriptStepIndex = static_cast<std::int16_t>(s + 1);
}

bool ScriptRunner::LoadStepFile(const ScriptText& field, FileLoad (ScriptActions::*load)(const QString&),
                                const QString& kind) {
    if (!IsUsed(field)) return true;
    const FileLoad result = (m_actions.*load)(Used(field));
    if (result == FileLoad::Ok) {
        if (m_fileLoaded) m_fileLoaded(kind, Used(field));
        return true;
    }
    m_dialogs.message(QStringLiteral("Cannot open file"), kFileHandling);
    m_model.scriptRunning = false;
    return result == FileLoad::ReadFailed;
}

void ScriptRunner::ParallelOutput(const ScriptStep& step) {
    if (!IsUsed(step.parallelOutput) || step.parallelPort < 1 || step.parallelPort > 4) return;
    const QString device = m_portMap.parallelDeviceFor(step.parallelPort);
    // A value outside 0..255 is skipped, as on the serial output: repeating the byte before it could switch
    // the wrong relay.
    for (const auto& value : ReadByteList(Used(step.parallelOutput)))
        if (value) m_parallel.WriteByte(device, *value);
}

void ScriptRunner::SerialOutput(const ScriptStep& step) {
    if (!IsUsed(step.serialOutput)) return;
    const QString device = ConfigureControlPort(step);
    if (device.isEmpty() || !m_control.open(device)) return;
    m_control.clearBuffers();
    for (const auto& value : ReadByteList(Used(step.serialOutput)))
        if (value && !SendControlByte(*value)) break;
}

QString ScriptRunner::ConfigureControlPort(const ScriptStep& step) {
    // The port stays open after a step; every later step opens it anew with its own settings.
    m_control.close();
    const QString device =
        step.controlPort >= 1 && step.controlPort <= 4 ? m_portMap.deviceFor(step.controlPort) : QString();
    const char parity = step.controlParity.bytes().at(0);
    if (!ValidBaud(step.controlBaud) || (parity != 'N' && parity != 'O' && parity != 'E') ||
        (step.controlDataBits != 7 && step.controlDataBits != 8) ||
        (step.controlStopBits != 1 && step.controlStopBits != 2)) {
        m_dialogs.message(QStringLiteral("Invalid property value"), QString::fromLatin1(PROGRAM_TITLE),
                          MessageIcon::Warning);
        return device;
    }
    m_control.setLineSettings(QStringLiteral("%1,%2,%3,%4")
                                  .arg(step.controlBaud)
                                  .arg(QLatin1Char(parity))
                                  .arg(step.controlDataBits)
                                  .arg(step.controlStopBits));
    const bool known = step.controlHandshake >= 0 && step.controlHandshake <= 3;
    if (!known || !m_control.setFlowControl(static_cast<FlowControl>(step.controlHandshake)))
        m_dialogs.message(QStringLiteral("Invalid property value"), QString::fromLatin1(PROGRAM_TITLE),
                          MessageIcon::Warning);
    return device;
}

bool ScriptRunner::SendControlByte(std::uint8_t byte) {
    m_control.write(QByteArray(1, static_cast<char>(byte)));
    const double start = m_clock.seconds();
    while (m_control.bytesToWrite() > 0) {
        if (m_clock.seconds() - start >= m_model.parameters.traceTimeout) {
            m_control.clearBuffers();
            return false;
        }
        m_actions.ProcessEvents();
        m_clock.sleepMs(DRAIN_POLL_MS);
    }
    return true;
}

QString ScriptRunner::PrintoutName(int step, const ScriptStep& finished) {
    QString name =
        IsUsed(finished.measurementFile) ? WithPdfExtension(Used(finished.measurementFile)) : QString();
    if (name.isEmpty() || m_printouts.contains(name)) {
        // Beside the script; a script never saved is still called "*.scp".
        const QFileInfo script(m_model.scriptFileName);
        QString base = script.completeBaseName();
        if (base.isEmpty() || base.contains(QLatin1Char('*'))) base = QStringLiteral("script");
        const QDate date = QDate::fromString(m_clock.dateText(), QStringLiteral("dd.MM.yyyy"));
        const QString stamp =
            (date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : m_clock.dateText()) +
            QLatin1Char('-') + m_clock.timeText().remove(QLatin1Char(':'));
        name = script.dir().filePath(QStringLiteral("%1-step%2-%3.pdf").arg(base).arg(step).arg(stamp));
    }
    m_printouts.insert(name);
    return name;
}

void ScriptRunner::Arm(int delay) {
    int hour = m_clock.hour();
    int minute = m_clock.minute() + delay;
    while (minute > 59) {
        minute -= 60;
        hour += 1;
    }
    m_model.dueHour = static_cast<std::int16_t>(hour);
    m_model.dueMinute = static_cast<std::int16_t>(minute);
    // Second 0 of the due minute on the wall scale, which runs on across midnight and follows the wall clock
    // where it jumps.
    const double now = m_clock.wallSeconds();
    m_model.dueSeconds = std::floor(now / 60.0) * 60.0 + delay * 60.0;
}

}  // namespace tk
