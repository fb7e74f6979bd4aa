#include "EmulatorPort.h"

#include <algorithm>
#include <cmath>

namespace tk {

EmulatorPort::EmulatorPort(Clock& clock, const EmulatorOptions& options)
    : m_clock(clock), m_device(ToDeviceConfig(options), clock.seconds()) {}

bool EmulatorPort::open(const QString&) {
    if (m_device.vanished()) return false;
    m_open = false;
    pull();  // what arrived while closed is gone
    m_open = true;
    return true;
}

void EmulatorPort::close() {
    m_open = false;
    m_rx.clear();
}

bool EmulatorPort::isOpen() const {
    return m_open && !m_device.vanished();
}

void EmulatorPort::setLineSettings(const QString& settings) {
    // Bytes that arrived before the change were received at the old rate.
    pull();
    m_settings = settings;
    LineSettings parsed;
    if (ParseLineSettings(settings, parsed)) m_baud = parsed.baud;
}

void EmulatorPort::pull() {
    if (m_device.vanished()) {
        m_open = false;
        m_rx.clear();
        return;
    }
    const QByteArray arrived = m_device.takeOutput(m_clock.seconds(), m_baud);
    if (m_device.vanished()) {
        m_open = false;
        m_rx.clear();
    } else if (m_open) {
        m_rx.append(arrived);
    }
}

int EmulatorPort::bytesWaiting() {
    pull();
    return static_cast<int>(m_rx.size());
}

bool EmulatorPort::waitForData(int ms) {
    const double end = m_clock.seconds() + std::max(ms, 0) / 1000.0;
    if (!isOpen()) {
        m_clock.sleepMs(ms);
        return false;
    }
    pull();
    const qsizetype before = m_rx.size();
    for (;;) {
        const double now = m_clock.seconds();
        if (now >= end) return false;
        const auto next = m_device.nextOutputTime();
        const double until = next ? std::min(*next, end) : end;
        // Sleep to the whole millisecond at or after the next arrival; never less than one, never a spin.
        m_clock.sleepMs(std::max(1, static_cast<int>(std::ceil((until - now) * 1000.0 - 1e-6))));
        pull();
        if (m_rx.size() > before) return true;
        if (!isOpen()) return false;
    }
}

int EmulatorPort::msUntilData(int ms) {
    if (!isOpen()) return ms;
    pull();
    const auto next = m_device.nextOutputTime();
    if (!next) return ms;
    // The whole millisecond at or after the next arrival, as a wait would sleep.
    const double left = (*next - m_clock.seconds()) * 1000.0;
    return std::clamp(static_cast<int>(std::ceil(left - 1e-6)), 0, std::max(ms, 0));
}

QByteArray EmulatorPort::read(int n) {
    pull();
    if (!isOpen() || n <= 0) return {};
    const QByteArray out = m_rx.left(n);
    m_rx.remove(0, out.size());
    return out;
}

void EmulatorPort::write(const QByteArray& bytes) {
    if (!isOpen()) return;
    const double byteTime = m_device.config().pacing ? emu::LineOutput::ByteTime(m_baud) : 0.0;
    for (const char c : bytes) {
        m_txFreeAt = std::max(m_clock.seconds(), m_txFreeAt) + byteTime;
        m_device.receive(c, m_txFreeAt, m_baud);
        if (m_device.vanished()) {
            close();
            return;
        }
    }
}

void EmulatorPort::clearBuffers() {
    pull();
    m_rx.clear();
}

int EmulatorPort::bytesToWrite() {
    if (!isOpen() || !m_device.config().pacing) return 0;
    const double left = m_txFreeAt - m_clock.seconds();
    return left > 0 ? static_cast<int>(std::ceil(left / emu::LineOutput::ByteTime(m_baud))) : 0;
}

}  // namespace tk
