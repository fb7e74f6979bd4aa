#include <QEventLoop>
#include <QFile>
#include <QTest>
#include <QTimer>

#include "LineGuard.h"

using namespace tk;

namespace {

// The line with its exchanges made of waits, in either way the program runs them: blocking, with the pump
// standing in for the events, or on the event loop, where the test resumes the line by hand.
struct Line {
    double now = 0.0;
    LineGuard guard{[this] { return now; }};
    QStringList log;
    std::function<void(int wait)> events;  // what arrives at a wait
    int waitsAside = 0;
    bool busy = false;

    explicit Line(bool onEventLoop) {
        guard.SetBusyChanged([this](bool b) { busy = b; });
        if (onEventLoop) guard.SetWaker([this](int, bool) { ++waitsAside; });
        guard.SetPump([this] { Events(); });
    }
    int wait = 0;
    void Events() {
        if (events) events(wait);
    }
    // An exchange of `waits` waits, each of which the events may come to.
    std::function<void()> Exchange(const QString& name, int waits = 2) {
        return [this, name, waits] {
            log << name;
            for (int i = 0; i < waits && !guard.Aborting(); ++i) {
                ++wait;
                now += 0.01;
                if (guard.StepAside(10, true)) {
                    Events();  // on the event loop the events come while the line is aside
                } else {
                    guard.PumpEvents();
                }
                if (guard.StopRequested()) {
                    log << name + QStringLiteral(" stopped");
                    return;
                }
            }
            log << name + QStringLiteral(" end");
        };
    }
    // Resumes the line until it is free (on the event loop; blocking, it is free already).
    void Finish() {
        for (int i = 0; i < 1000 && guard.Busy(); ++i) guard.Resume();
    }
};

}  // namespace

class TestLineGuard : public QObject {
    Q_OBJECT
private slots:
    void modes_data() {
        QTest::addColumn<bool>("onEventLoop");
        QTest::newRow("blocking") << false;
        QTest::newRow("event loop") << true;
    }

    // What comes while an exchange runs waits and runs after it in the order asked, a tick at most once;
    // between the reads of one command, what waits runs but another tick keeps waiting; a stop ends the
    // running exchange only.
    void queueOrderStopAndTicks_data() { modes_data(); }
    void queueOrderStopAndTicks() {
        QFETCH(bool, onEventLoop);
        Line l(onEventLoop);
        l.events = [&](int wait) {
            if (wait == 1) {
                l.guard.Run(l.Exchange(QStringLiteral("menu")));
                l.guard.Run(l.Exchange(QStringLiteral("tick")), QStringLiteral("tick"));
                l.guard.Run(l.Exchange(QStringLiteral("tick again")), QStringLiteral("tick"));
                l.guard.Run(l.Exchange(QStringLiteral("remote")));
            }
            if (wait == 3) l.guard.RequestStop();
        };
        l.guard.Run([&] {
            l.Exchange(QStringLiteral("read 1"), 1)();
            l.guard.RunWaiting(QStringLiteral("tick"));
            l.Exchange(QStringLiteral("read 2"), 1)();
        });
        QCOMPARE(l.busy, onEventLoop);
        l.Finish();
        QVERIFY(!l.busy && !l.guard.Busy());
        QCOMPARE(l.log, (QStringList{"read 1", "read 1 end", "menu", "menu stopped", "remote", "remote end",
                                     "read 2", "read 2 end", "tick", "tick end"}));
        QVERIFY(!l.guard.StopRequested());
        QCOMPARE(l.waitsAside, onEventLoop ? 8 : 0);
    }

    // An abort ends the running exchange and drops what waits; nothing runs after the line is closed. An
    // exchange that must run to its end is not stopped.
    void abortCloseAndUnstoppable_data() { modes_data(); }
    void abortCloseAndUnstoppable() {
        QFETCH(bool, onEventLoop);
        Line l(onEventLoop);
        l.events = [&](int wait) {
            if (wait == 1) {
                l.guard.Run(l.Exchange(QStringLiteral("waiting")));
                l.guard.RequestStop();
            }
            if (wait == 2) l.guard.Abort();
        };
        l.guard.Run([&] {
            LineGuard::Unstoppable keep(l.guard);
            l.Exchange(QStringLiteral("correction"), 5)();
        });
        l.Finish();
        QCOMPARE(l.log, (QStringList{"correction", "correction stopped"}));
        QCOMPARE(l.wait, 2);
        QVERIFY(!l.guard.Busy() && !l.guard.Aborting());
        l.guard.Run(l.Exchange(QStringLiteral("after")));
        QCOMPARE(l.log.size(), 2);
        QCOMPARE(l.guard.Waiting(), 0);
    }

    // On the event loop: a wait inside a box the exchange itself opened waits in place (the box's loop is
    // on the line's stack); what the end of an exchange lets run may start the next one.
    void eventLoopSpecifics() {
        Line l(true);
        bool asideInBox = true;
        l.guard.Run([&] {
            QEventLoop box;
            QTimer::singleShot(0, &box, [&] {
                asideInBox = l.guard.StepAside(10, true);
                box.quit();
            });
            box.exec();
        });
        QVERIFY(!asideInBox);
        QVERIFY(!l.guard.Busy());
        l.guard.SetBusyChanged([&](bool busy) {
            if (!busy && l.log.size() == 2) l.guard.Run(l.Exchange(QStringLiteral("next"), 0));
        });
        l.guard.Run(l.Exchange(QStringLiteral("first"), 1));
        QVERIFY(l.guard.Busy());
        l.guard.Resume();
        QCOMPARE(l.log, (QStringList{"first", "first end", "next", "next end"}));
        QVERIFY(!l.guard.Busy());
    }

    // A fiber's stack goes back to the system with it.
    void fiberStacksAreReturned() {
        const auto mapped = [](quintptr address) {
            QFile maps(QStringLiteral("/proc/self/maps"));
            if (!maps.open(QIODevice::ReadOnly)) return true;
            for (const QByteArray& line : maps.readAll().split('\n')) {
                const QList<QByteArray> range = line.split(' ').value(0).split('-');
                if (range.size() == 2 && range[0].toULongLong(nullptr, 16) <= address &&
                    address < range[1].toULongLong(nullptr, 16))
                    return true;
            }
            return false;
        };
        quintptr onStack = 0;
        {
            Fiber fiber;
            int steps = 0;
            fiber.Start([&] {
                int local = ++steps;
                onStack = reinterpret_cast<quintptr>(&local);
                fiber.Yield();
                steps += local;
            });
            fiber.Resume();
            QVERIFY(fiber.Suspended() && mapped(onStack));
            fiber.Resume();
            QCOMPARE(steps, 2);
            QVERIFY(!fiber.UnderWay());
        }
        QVERIFY(!mapped(onStack));
    }
};

QTEST_GUILESS_MAIN(TestLineGuard)
#include "tst_lineguard.moc"
