#include "Clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

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

}  // namespace tk
