#include "Clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>

namespace tk {
namespace {
QElapsedTimer& SteadyTimer() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
}  // namespace

SystemClock::SystemClock()
    : m_startOfDay(QTime::currentTime().msecsSinceStartOfDay() / 1000.0),
      m_startNs(SteadyTimer().nsecsElapsed()) {}

double SystemClock::seconds() {
    return m_startOfDay + static_cast<double>(SteadyTimer().nsecsElapsed() - m_startNs) / 1e9;
}

double SystemClock::wallSeconds() {
    const QDateTime now = QDateTime::currentDateTime();
    return static_cast<double>(now.date().toJulianDay()) * 86400.0 +
           now.time().msecsSinceStartOfDay() / 1000.0;
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

int SystemClock::hour() {
    return QTime::currentTime().hour();
}
int SystemClock::minute() {
    return QTime::currentTime().minute();
}
QString SystemClock::timeText() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}
QString SystemClock::dateText() {
    return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

SimulatedClock SimulatedClock::AtStartOfCurrentMinute() {
    const QDateTime now = QDateTime::currentDateTime();
    const int minuteStart = now.time().msecsSinceStartOfDay() / 60000 * 60;
    return SimulatedClock(minuteStart, now.date());
}

void SimulatedClock::sleepMs(int ms) {
    if (ms > 0) advance(ms / 1000.0);
}

void SimulatedClock::advance(double s) {
    if (s > 0.0) m_now += s;
}

int SimulatedClock::hour() {
    return static_cast<int>(std::fmod(std::floor(m_now / 3600.0), 24.0));
}

int SimulatedClock::minute() {
    return static_cast<int>(std::fmod(std::floor(m_now / 60.0), 60.0));
}

QString SimulatedClock::timeText() {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::fmod(std::floor(m_now), 86400.0)) * 1000)
        .toString(QStringLiteral("HH:mm:ss"));
}

QString SimulatedClock::dateText() {
    return m_date.addDays(static_cast<qint64>(std::floor(m_now / 86400.0)))
        .toString(QStringLiteral("dd.MM.yyyy"));
}

}  // namespace tk
