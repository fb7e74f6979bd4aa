#include "AutoConfigure.h"

#include "Units.h"

namespace tk {

namespace {
constexpr int FIRST_PORT = 1;
constexpr int LAST_PORT = 4;
constexpr int FIRST_RATE = 1;
constexpr int LAST_RATE = 5;
constexpr int MAX_TRANSMISSIONS = 4;
}  // namespace

AutoConfigure::AutoConfigure(AnalyzerLink& link, const PortMap& portMap, AutoConfigureView& view)
    : m_link(link), m_portMap(portMap), m_view(view) {}

QString AutoConfigure::SearchLineSettings(int baudIndex) {
    return QStringLiteral("%1,n,8,1").arg(BaudRateOfIndex(baudIndex).value_or(0));
}

QString AutoConfigure::FoundMessage(int portNumber, int baudRate) {
    // The port number is written the way a number is turned into text with room for its sign.
    return QStringLiteral("Analyzer connected") + QStringLiteral(" Com: ") +
           QStringLiteral(" %1").arg(portNumber) + QStringLiteral(" Baud: ") + QString::number(baudRate);
}

std::optional<char> AutoConfigure::AskForInterface() {
    SerialPort& port = m_link.Port();
    const double timeout = m_link.Model().parameters.replyTimeout;
    int transmissions = 0;
    for (;;) {
        port.clearBuffers();
        port.write(QByteArray(1, 'i'));
        ++transmissions;
        const double start = m_link.WaitStart();
        for (;;) {
            if (m_link.Aborted()) return std::nullopt;
            if (port.bytesWaiting() < 1) m_link.WaitForData();
            if (port.bytesWaiting() >= 1) {
                const QByteArray reply = port.read(1);
                if (reply.isEmpty()) return std::nullopt;
                return reply.at(0);
            }
            if (m_link.Elapsed(start) > timeout) break;  // transmit again
            // Silence after the last transmission is no failure here: the next rate is tried.
            if (transmissions >= MAX_TRANSMISSIONS) return std::nullopt;
        }
    }
}

bool AutoConfigure::Cancelled() {
    // Closed by the user, or the program is going away: the search ends without a message.
    if (!m_view.SearchCancelled() && !m_link.Aborted()) return false;
    m_link.Port().close();
    m_link.View().SetOnlineChecked(false);
    m_view.SearchEnded();
    return true;
}

std::optional<AutoConfigureResult> AutoConfigure::Run() {
    SerialPort& port = m_link.Port();
    for (int p = FIRST_PORT; p <= LAST_PORT; ++p) {
        if (Cancelled()) return std::nullopt;
        m_view.SelectPort(p);
        // A port left open by the link would make this port look unavailable, so it is let go first.
        if (port.isOpen()) port.close();
        if (port.open(m_portMap.deviceFor(p))) {
            for (int k = FIRST_RATE; k <= LAST_RATE; ++k) {
                const int rate = BaudRateOfIndex(k).value_or(0);
                m_view.SelectBaud(k);
                m_view.ShowProgress(p, rate);
                port.setLineSettings(SearchLineSettings(k));
                if (Cancelled()) return std::nullopt;
                const std::optional<char> reply = AskForInterface();
                if (Cancelled()) return std::nullopt;
                if (reply && *reply == 'I') {
                    port.close();
                    m_link.View().SetOnlineChecked(port.isOpen());
                    m_view.SearchEnded();
                    m_link.Dialogs().message(FoundMessage(p, rate), QStringLiteral("Auto config"));
                    return AutoConfigureResult{p, k};
                }
            }
        }
        port.close();
    }
    m_link.View().SetOnlineChecked(port.isOpen());
    m_view.SearchEnded();
    m_link.Dialogs().message(QStringLiteral("No access to analyzer"), QStringLiteral("Auto config"));
    m_view.DeselectBaud(3);
    m_view.DeselectPort(4);
    m_link.View().CloseInformation();
    return std::nullopt;
}

}  // namespace tk
