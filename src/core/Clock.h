#pragma once

#include <QDate>
#include <QString>

namespace tk {

// Time as the program sees it. Waits on the serial line are measured with seconds(), which never jumps back
// (a wait across midnight ends on time); the texts and the hour and minute are the wall clock's.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds with fractions on a steady scale that starts at the time of day when the program started.
    virtual double seconds() = 0;
    // The wall clock's local date and time in seconds, on a scale of its own that jumps with the wall clock
    // (a suspended PC, a daylight-saving change) as its hour and minute do. Clocks whose time of day never
    // jumps keep it on the steady scale.
    virtual double wallSeconds() { return seconds(); }
    // Lets the given milliseconds pass without using the processor.
    virtual void sleepMs(int ms) = 0;
    virtual int hour() = 0;
    virtual int minute() = 0;
    // The current time of day as text, "hh:mm:ss".
    virtual QString timeText() = 0;
    // Today in the short date format.
    virtual QString dateText() = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    double seconds() override;
    double wallSeconds() override;
    void sleepMs(int ms) override;
    int hour() override;
    int minute() override;
    QString timeText() override;
    QString dateText() override;

private:
    double m_startOfDay;
    qint64 m_startNs;
};

// Time that moves only when the program waits or the caller moves it on: a run against the emulated
// interface goes through the minutes between its script steps at once, and the same run always sees the
// same times.
class SimulatedClock final : public Clock {
public:
    // secondsOfDay: the time of day to start at; the date is that of day 0.
    SimulatedClock(double secondsOfDay, const QDate& date) : m_now(secondsOfDay), m_date(date) {}
    // At the start of the wall clock's current minute, so that a script step armed with a delay of one minute
    // waits a whole minute.
    static SimulatedClock AtStartOfCurrentMinute();

    double seconds() override { return m_now; }
    void sleepMs(int ms) override;
    int hour() override;
    int minute() override;
    QString timeText() override;
    QString dateText() override;

    void advance(double s);

private:
    double m_now;
    QDate m_date;
};

}  // namespace tk
