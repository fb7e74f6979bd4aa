#include "LineOutput.h"

#include <algorithm>

namespace tk::emu {

// Arrival times are sums of bit times; a byte counts as arrived a hair before its computed time so that a
// clock stepped to exactly that time sees it.
constexpr double TIME_EPSILON = 1e-9;

void LineOutput::send(const QByteArray& bytes, double notBefore, int baud) {
    double t = std::max(notBefore, m_freeAt);
    const double step = m_pacing ? ByteTime(baud) : 0.0;
    for (const char c : bytes) {
        t += step;
        m_queue.push_back({t, baud, c});
    }
    m_freeAt = t;
}

std::optional<double> LineOutput::nextArrival() const {
    if (m_queue.empty()) return std::nullopt;
    return m_queue.front().arrival;
}

QByteArray LineOutput::take(double t, std::optional<int> receiverBaud) {
    QByteArray out;
    while (!m_queue.empty() && m_queue.front().arrival <= t + TIME_EPSILON) {
        const Byte b = m_queue.front();
        m_queue.pop_front();
        if (!receiverBaud || *receiverBaud == b.baud) out.append(b.value);
    }
    return out;
}

void LineOutput::clear() {
    m_queue.clear();
}

}  // namespace tk::emu
