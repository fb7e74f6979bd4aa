#include "LineGuard.h"

#include <QThread>
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
    if (m_waker) {
        m_fiber.Start([this, exchange = std::move(exchange)] {
            exchange();
            RunQueue();
        });
        Resume();
        return;
    }
    exchange();
    RunQueue();
    Ended();
}

void LineGuard::RunQueue() {
    while (!m_waiting.empty() && !m_closed) {
        m_stop = false;
        Request next = std::move(m_waiting.front());
        m_waiting.pop_front();
        next.exchange();
    }
}

void LineGuard::Ended() {
    m_stop = false;
    m_drain = true;
    m_aborting = false;
    --m_depth;
    if (m_busyChanged) m_busyChanged(false);
}

LineGuard::~LineGuard() {
    // An exchange still waiting for its turn on the event loop is ended here, its waits at once.
    if (m_fiber.Suspended()) Abort();
}

void LineGuard::SetWaker(Waker waker) {
    if (!Busy()) m_waker = std::move(waker);
}

bool LineGuard::StepAside(int ms, bool forData) {
    if (!m_waker || !m_fiber.Inside() || m_aborting) return false;
    if (QThread::currentThread()->loopLevel() != m_resumeLevel) return false;
    m_waker(ms, forData);
    m_fiber.Yield();
    return true;
}

void LineGuard::Resume() {
    if (!m_fiber.UnderWay() || m_fiber.Inside()) return;
    m_resumeLevel = QThread::currentThread()->loopLevel();
    m_fiber.Resume();
    // Its bookkeeping ends outside the fiber, so that what the end of the exchange lets run may start the
    // next one.
    if (!m_fiber.UnderWay()) Ended();
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
    // An exchange waiting on the event loop ends now; one that is itself running (it opened a box) ends
    // when it comes back.
    while (m_fiber.Suspended()) Resume();
}

void LineGuard::Close() {
    m_closed = true;
    m_waiting.clear();
}

}  // namespace tk
