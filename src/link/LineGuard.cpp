#include "LineGuard.h"

#include <algorithm>

namespace tk {

void LineGuard::Run(std::function<void()> exchange, const QString& key) {
    if (m_closed) return;
    if (Busy()) {
        const bool waiting = !key.isEmpty() && std::any_of(m_waiting.begin(), m_waiting.end(),
                                                           [&](const Request& r) { return r.key == key; });
        if (!waiting) m_waiting.push_back({std::move(exchange), key});
        return;
    }
    ++m_depth;
    if (m_busyChanged) m_busyChanged(true);
    exchange();
    // What was asked meanwhile runs now, in order; a stop asked for one exchange ends with it.
    while (!m_waiting.empty() && !m_closed) {
        m_stop = false;
        Request next = std::move(m_waiting.front());
        m_waiting.pop_front();
        next.exchange();
    }
    m_stop = false;
    m_drain = true;
    m_aborting = false;
    --m_depth;
    if (m_busyChanged) m_busyChanged(false);
}

void LineGuard::PumpEvents() {
    if (!m_pump || m_pumping) return;
    // While bytes stream in, the waits return after every few of them: the events need not run that often.
    const double before = m_now();
    if (before - m_lastPump < PUMP_INTERVAL_S && before >= m_lastPump) return;
    m_pumping = true;
    m_pump();
    const double after = m_now();
    m_away += std::max(0.0, after - before);
    m_lastPump = after;
    m_pumping = false;
}

void LineGuard::RequestStop(bool drain) {
    if (!Busy() || IsUnstoppable()) return;
    m_stop = true;
    m_drain = m_drain && drain;
}

void LineGuard::RunWaiting(const QString& skip) {
    // A stop asked for during the running command goes on skipping its own reads after these.
    const bool stop = m_stop;
    const bool drain = m_drain;
    std::deque<Request> kept;
    while (!m_waiting.empty() && !m_closed) {
        Request next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!skip.isEmpty() && next.key == skip) {
            kept.push_back(std::move(next));
            continue;
        }
        m_stop = false;
        m_drain = true;
        next.exchange();
    }
    if (!m_aborting) {
        m_stop = stop;
        m_drain = drain;
    }
    // What came while these ran waits behind the skipped ones, in its order.
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) m_waiting.push_front(std::move(*it));
}

int LineGuard::DropWaiting() {
    const int dropped = Waiting();
    m_waiting.clear();
    return dropped;
}

void LineGuard::Abort() {
    m_aborting = Busy();
    m_stop = Busy();
    m_drain = false;
    Close();
}

void LineGuard::Close() {
    m_closed = true;
    m_waiting.clear();
}

}  // namespace tk
