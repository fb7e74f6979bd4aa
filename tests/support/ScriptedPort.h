#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>

#include "FakeClock.h"
#include "SerialPort.h"

namespace tk::test {

// A serial port whose far end is a function of what is written: each written byte may queue an answer,
// which arrives after a delay in simulated time. Waiting advances the fake clock. Records everything.
class ScriptedPort final : public SerialPort {
public:
    using Responder = std::function<QByteArray(char written, int countOfThisChar)>;

    explicit ScriptedPort(FakeClock& clock) : m_clock(clock) {}

    Responder responder = [](char, int) { return QByteArray(); };
    double replyDelay = 0.005;  // s from transmission to arrival
    double bytesPerSecond = 0;  // when set, an answer arrives byte by byte at this rate
    bool openFails = false;
    QStringList deniedDevices;  // there, but this user may not open them

    QByteArray written;           // every byte transmitted, in order
    QList<double> writeTimes;     // the simulated time of each transmitted byte
    QStringList openedDevices;    // every device opened
    QStringList settingsHistory;  // every line setting given
    int clearCount = 0;

    bool open(const QString& deviceName) override {
        openedDevices.append(deviceName);
        if (openFails || deniedDevices.contains(deviceName)) return false;
        m_open = true;
        m_rx.clear();
        m_pending.clear();
        return true;
    }
    void close() override {
        m_open = false;
        m_rx.clear();
        m_pending.clear();
    }
    bool isOpen() const override { return m_open; }
    bool accessDenied(const QString& deviceName) const override { return deniedDevices.contains(deviceName); }
    void setLineSettings(const QString& s) override {
        m_settings = s;
        settingsHistory.append(s);
    }
    QString lineSettings() const override { return m_settings; }
    int bytesWaiting() override {
        deliver();
        return static_cast<int>(m_rx.size());
    }
    bool waitForData(int ms) override {
        deliver();
        const double until = m_clock.seconds() + ms / 1000.0;
        if (!m_pending.isEmpty() && m_pending.first().nextArrival() <= until) {
            const double next = m_pending.first().nextArrival();
            if (next > m_clock.seconds()) m_clock.advance(next - m_clock.seconds());
            deliver();
            return true;
        }
        m_clock.advance(ms / 1000.0);
        return false;
    }
    QByteArray read(int n) override {
        deliver();
        QByteArray out;
        if (n >= m_rx.size()) {
            out.swap(m_rx);
            return out;
        }
        out = m_rx.left(n);
        m_rx.remove(0, out.size());
        return out;
    }
    void write(const QByteArray& bytes) override {
        if (!m_open) return;
        for (char c : bytes) {
            written.append(c);
            writeTimes.append(m_clock.seconds());
            const int count = static_cast<int>(written.count(c));
            const QByteArray answer = responder(c, count);
            if (answer.isEmpty()) continue;
            // A paced answer stays one entry; its bytes come due one by one.
            m_pending.append({m_clock.seconds() + replyDelay, bytesPerSecond, answer});
        }
    }
    void clearBuffers() override {
        ++clearCount;
        deliver();
        m_rx.clear();
    }
    int bytesToWrite() override { return 0; }

private:
    // An answer sent at `sentAt`: all at once, or at `rate` bytes per second, byte k (from 0) arriving
    // (k + 1) / rate after `sentAt`.
    struct Pending {
        double sentAt;
        double rate;
        QByteArray bytes;
        qsizetype delivered = 0;
        double arrivalOf(qsizetype k) const {
            return rate <= 0 ? sentAt : sentAt + static_cast<double>(k + 1) / rate;
        }
        double nextArrival() const { return arrivalOf(delivered); }
    };
    void deliver() {
        const double now = m_clock.seconds();
        while (!m_pending.isEmpty()) {
            Pending& p = m_pending.first();
            qsizetype due = p.delivered;
            while (due < p.bytes.size() && p.arrivalOf(due) <= now) ++due;
            m_rx.append(p.bytes.constData() + p.delivered, due - p.delivered);
            p.delivered = due;
            if (due < p.bytes.size()) return;
            m_pending.removeFirst();
        }
    }
    FakeClock& m_clock;
    bool m_open = false;
    QString m_settings = QStringLiteral("2400,N,8,1");
    QByteArray m_rx;
    QList<Pending> m_pending;
};

}  // namespace tk::test
