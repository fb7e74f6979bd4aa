#pragma once

#include <cmath>

#include "Clock.h"

namespace tk::test {

// Simulated time: it moves only when something waits or the test advances it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(double startSeconds = 36000.0) : m_now(startSeconds) {}
    double seconds() override { return m_now; }
    double wallSeconds() override { return m_now + m_wallAhead; }
    void sleepMs(int ms) override { advance(ms / 1000.0); }
    int hour() override { return static_cast<int>(std::fmod(wallSeconds() / 3600.0, 24.0)); }
    int minute() override { return static_cast<int>(std::fmod(wallSeconds() / 60.0, 60.0)); }
    QString timeText() override {
        const int s = static_cast<int>(std::fmod(wallSeconds(), 86400.0));
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600, 2, 10, QLatin1Char('0'))
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    QString dateText() override { return m_date; }

    void advance(double s) { m_now += s; }
    // The wall clock jumps while the steady scale does not: a suspended PC, a daylight-saving change.
    void jumpWall(double s) { m_wallAhead += s; }
    void setDate(const QString& d) { m_date = d; }

private:
    double m_now;
    double m_wallAhead = 0.0;
    QString m_date = QStringLiteral("06.12.2026");
};

}  // namespace tk::test
