#include "LineWaker.h"

namespace tk {

LineWaker::LineWaker(LineGuard& line, SerialPort& port, Clock& clock, bool simulated)
    : m_line(line), m_port(port), m_clock(clock), m_simulated(simulated) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_line.Resume(); });
    m_line.SetWaker([this](int ms, bool forData) { Wait(ms, forData); });
    if (!m_simulated)
        m_port.setDataArrived([this] {
            if (m_timer.isActive()) m_timer.start(0);
        });
}

LineWaker::~LineWaker() {
    m_port.setDataArrived({});
    m_line.SetWaker({});
}

void LineWaker::Wait(int ms, bool forData) {
    if (!m_simulated) {
        m_timer.start(forData ? m_port.msUntilData(ms) : ms);
        return;
    }
    if (forData)
        m_port.waitForData(ms);
    else
        m_clock.sleepMs(ms);
    m_timer.start(0);
}

}  // namespace tk
