#include "AnalyzerLink.h"

#include <algorithm>

#include "Format.h"
#include "StartUp.h"
#include "Units.h"

namespace tk {

AnalyzerLink::AnalyzerLink(MeasurementModel& model, SerialPort& port, Clock& clock, UserDialogs& dialogs,
                           LinkView& view, const PortMap& portMap)
    : m_model(model), m_port(port), m_clock(clock), m_dialogs(dialogs), m_view(view), m_portMap(portMap) {}

double AnalyzerLink::LineSeconds() {
    return m_clock.seconds() - m_line.SecondsAway();
}

double AnalyzerLink::WaitStart() {
    return RoundHalfEven(LineSeconds());
}

double AnalyzerLink::Elapsed(double start) {
    return LineSeconds() - start;
}

void AnalyzerLink::WaitForData() {
    if (m_line.StepAside(POLL_SLICE_MS, true)) return;
    m_port.waitForData(POLL_SLICE_MS);
    m_line.PumpEvents();
}

void AnalyzerLink::SleepMs(int ms) {
    if (m_line.StepAside(ms, false)) return;
    m_clock.sleepMs(ms);
    m_line.PumpEvents();
}

void AnalyzerLink::Fail() {
    // The port is closed before the message: while the message box waits for the user, the measurement
    // timer keeps ticking, and its reads must find the link closed rather than fail a second time.
    m_port.close();
    m_dialogs.message(QStringLiteral("Command ignored"), QStringLiteral("Transmission Error"));
    m_view.SetOnlineChecked(m_port.isOpen());
}

bool AnalyzerLink::OpenPort() {
    if (m_port.isOpen()) m_port.close();
    if (!m_port.open(m_portMap.deviceFor(m_model.settings.portNumber))) return false;
    // Whatever came in while the port was closed belongs to no exchange of this program.
    m_port.clearBuffers();
    // The interface is taken to sweep at the resolution the program shows, as it did when the port closed.
    m_resolutionSent = m_model.settings.resolution;
    return true;
}

void AnalyzerLink::SendResolution() {
    const auto cmd = ResolutionCommand(m_model.settings.resolution);
    if (!cmd || !m_port.isOpen()) return;
    SendCommand(*cmd);
    if (m_port.isOpen()) m_resolutionSent = m_model.settings.resolution;
}

void AnalyzerLink::SendChangedResolution() {
    if (m_port.isOpen() && m_resolutionSent != m_model.settings.resolution) SendResolution();
}

void AnalyzerLink::ClosePort() {
    m_port.close();
}

bool AnalyzerLink::TransmitUntilReply(char c, bool clearBeforeEachTransmission, int bytesNeeded) {
    const double timeout = m_model.parameters.replyTimeout;
    int attempts = 0;
    for (;;) {
        if (clearBeforeEachTransmission) m_port.clearBuffers();
        m_port.write(QByteArray(1, c));
        ++attempts;
        const double start = WaitStart();
        for (;;) {
            if (Aborted()) return false;
            // The poll lets the line have one short slice before it looks, so even the last transmission
            // gets a moment for its answer.
            if (m_port.bytesWaiting() < bytesNeeded) WaitForData();
            if (m_port.bytesWaiting() >= bytesNeeded) return true;
            if (Elapsed(start) > timeout) break;  // transmit again
            if (attempts > 3) {
                Fail();
                return false;
            }
        }
    }
}

bool AnalyzerLink::ExchangeChar(char c, char expectedAck, bool clearBeforeEachTransmission) {
    if (!TransmitUntilReply(c, clearBeforeEachTransmission, 1)) return false;
    const QByteArray reply = m_port.read(1);
    if (reply.size() != 1 || reply.at(0) != expectedAck) {
        Fail();
        return false;
    }
    return true;
}

void AnalyzerLink::SendCommand(const QByteArray& text) {
    if (!m_port.isOpen() || text.size() < 2) return;
    const char c1 = text.at(0);
    const char c2 = text.at(1);
    if (!ExchangeChar(c1, static_cast<char>(c1 - 32), true)) return;
    m_port.clearBuffers();
    ExchangeChar(c2, static_cast<char>(c2 - 32), false);
}

QByteArray AnalyzerLink::ReadBytes(int n) {
    // One read takes up to n of the bytes already received; it never waits for more.
    return n > 0 ? m_port.read(n) : QByteArray();
}

void AnalyzerLink::SendBaudCommand(char digit) {
    if (!m_port.isOpen()) return;
    if (!ExchangeChar('i', 'I', true)) return;
    m_port.clearBuffers();
    ExchangeChar(digit, digit, false);
}

void AnalyzerLink::SetLinkBaud() {
    if (!m_port.isOpen()) return;
    const auto settings = LineSettingsOfIndex(m_model.settings.baudIndex);
    if (!settings) return;
    SendBaudCommand(static_cast<char>('0' + m_model.settings.baudIndex));
    m_port.setLineSettings(*settings);
    // After a failed switch the port is closed and nothing below would reach the interface.
    if (!m_port.isOpen()) return;
    while (m_port.bytesWaiting() > 0) m_port.clearBuffers();
    ReadVersion();
    m_model.moduleSleeping = false;
    m_view.SetSleepingChecked(false);
    Pause();
    SendCommand("bo");
}

void AnalyzerLink::ReadVersion() {
    if (!m_port.isOpen()) return;
    m_port.clearBuffers();
    if (!ExchangeChar('b', 'B', false)) return;
    m_port.clearBuffers();
    if (!TransmitUntilReply('v', false, 89)) return;
    const QByteArray block = ReadBytes(80);
    const qsizetype v = block.indexOf('V');
    if (v < 0) {
        Fail();
        return;
    }
    m_model.interfaceVersion = QString::fromLatin1(block.mid(v, 5));
    m_view.SetMainCaption(QString::fromLatin1(MAIN_CAPTION) + m_model.interfaceVersion);
}

void AnalyzerLink::Pause() {
    const double start = WaitStart();
    const double delay = m_model.parameters.settleDelay;
    while (Elapsed(start) < delay && !Aborted()) {
        const double left = delay - Elapsed(start);
        SleepMs(std::max(1, std::min(POLL_SLICE_MS, static_cast<int>(left * 1000.0) + 1)));
    }
}

void AnalyzerLink::ConnectInterface() {
    int attempts = 2;
    for (;;) {
        const bool opened = OpenPort();
        m_view.SetOnlineChecked(m_port.isOpen());
        if (!opened) {
            m_dialogs.message(QStringLiteral("No access to analyzer"), QStringLiteral("Configuration"));
            m_view.SetOnlineChecked(m_port.isOpen());
            return;
        }
        SetLinkBaud();
        if (!m_port.isOpen() && attempts == 2) {
            attempts = 1;
            continue;
        }
        break;
    }
    if (!m_port.isOpen()) {
        m_dialogs.message(QStringLiteral("No access to analyzer"), QStringLiteral("Configuration"));
        m_view.SetOnlineChecked(m_port.isOpen());
        return;
    }
    ClearMeasuredTraces(m_model);
    m_view.TracesErased();
    SendResolution();
    SendCommand("bo");
    SendCommand("br");
    m_model.moduleCalculating = true;
    m_model.moduleSleeping = false;
    m_view.SetCalculatingChecked(true);
    m_view.SetSleepingChecked(false);
}

}  // namespace tk
