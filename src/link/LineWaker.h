#pragma once

#include <QObject>
#include <QTimer>

#include "Clock.h"
#include "LineGuard.h"
#include "SerialPort.h"

namespace tk {

// Brings the line back from the event loop: after the time a wait may last, or at once when the port says
// bytes came. With a simulated clock the port's own wait passes that time (it costs nothing), and the line
// goes on once the events that came meanwhile have run.
class LineWaker final : public QObject {
public:
    LineWaker(LineGuard& line, SerialPort& port, Clock& clock, bool simulated);
    ~LineWaker() override;

private:
    void Wait(int ms, bool forData);

    LineGuard& m_line;
    SerialPort& m_port;
    Clock& m_clock;
    bool m_simulated;
    QTimer m_timer;
};

}  // namespace tk
