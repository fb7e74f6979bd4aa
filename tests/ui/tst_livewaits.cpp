#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "EmulatorAppRig.h"
#include "MainWindow.h"

using namespace tk;
using namespace tk::test;

namespace {

// The main window on the emulated interface at 2400 baud and 4000 points, where one trace takes about 17 s
// of simulated time. The window's events are stood in for by `during`, which runs in every wait of the
// line, as the window's events do.
struct Live : EmulatorAppRig {
    std::function<void(double sinceStart)> during;
    double start = 0.0;
    QByteArray writtenWhileReading;  // what the interface got from the first request to that read's end
    bool firstReadOver = false;

    Live() {
        window->EnableLiveWaits();  // the busy pointer; the window's events are stood in for below
        window->link().Line().SetPump([this] {
            firstReadOver = firstReadOver || model.blockIndex >= 40;
            if (model.actualBusy && !firstReadOver) writtenWhileReading = received();
            if (during) during(clock.seconds() - start);
        });
        model.settings.resolution = 1;
        model.settings.showPeak = model.settings.showAverage = false;
        model.autoMeasurement = false;
        window->link().ConnectInterface();
        clock.advance(1.0);
        emulator.forgetReceived();
        start = clock.seconds();
    }
    QByteArray received() const { return emulator.device().received(); }
    // Runs f once, the first time the read has gone on for at least `at` seconds.
    void once(double at, std::function<void()> f) {
        during = [this, at, f, done = false](double t) mutable {
            if (done || t < at) return;
            done = true;
            f();
        };
    }
    int pointsRead() const {
        int n = 0;
        while (n < 4001 && model.traceActual[static_cast<std::size_t>(n)] != 0) ++n;
        return n;
    }
};

}  // namespace

class TestLiveWaits : public QObject {
    Q_OBJECT
private slots:
    // A menu command, a tick, a toolbar command and a script step that come while a trace is read run after
    // it, in the order asked; nothing of them reaches the interface before the read's last block.
    void commandsWaitForTheReadInOrder() {
        Live r;
        r.trigger("mnugenscript");
        QStringList status;
        bool busyPointer = false;
        r.once(3.0, [&] {
            r.trigger("mnurechen");  // "bn"
            r.model.autoMeasurement = true;
            r.model.fastMode = true;
            r.window->Tick();                             // reads the actual trace again
            r.window->Tick();                             // a tick already waiting is not queued twice
            r.find<QToolButton>("Command4")->click();     // "Erase": the resolution command "bc"
            r.find<QPushButton>("scriptstart")->click();  // step 0 connects anew: "i" and the rate digit
            status << r.find<QLabel>("uhr")->text();
            busyPointer = r.find<QWidget>("grafik")->cursor().shape() == Qt::BusyCursor;
        });
        r.find<QToolButton>("Command1")->click();  // "Single"
        QCOMPARE(r.writtenWhileReading, QByteArray("a"));
        QCOMPARE(r.received().left(8), QByteArray("abnabci1"));
        QCOMPARE(r.model.blockIndex, 40);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY2(status.value(0).startsWith(" Reading the actual trace: "), qPrintable(status.value(0)));
        QVERIFY(busyPointer);
        QCOMPARE(r.find<QWidget>("grafik")->cursor().shape(), Qt::ArrowCursor);
    }

    // Unchecking automatic measurement ends a long read at the next block: the points received are kept,
    // the rest of the answer is let pass, and the next read is whole.
    void uncheckingAutoMeasurementStopsARead() {
        Live r;
        r.model.autoMeasurement = true;
        r.model.fastMode = true;
        r.window->action(QStringLiteral("mnuauto"))->setChecked(true);
        r.once(5.0, [&] { r.trigger("mnuauto"); });
        r.window->Tick();
        const int points = r.pointsRead();
        QVERIFY2(points >= 1100 && points <= 1300 && points % 100 == 0, qPrintable(QString::number(points)));
        QVERIFY(!r.model.autoMeasurement);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.window->link().IsOpen());
        r.during = nullptr;
        r.find<QToolButton>("Command1")->click();
        QCOMPARE(r.model.blockIndex, 40);
        QCOMPARE(r.received(), QByteArray("aa"));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // Closing the main window in the middle of a read, or of an auto configuration, ends the program once
    // the exchange has ended (without the parameter file, as a close by the frame does).
    void closingDuringAnExchange() {
        for (const bool search : {false, true}) {
            const double at = search ? 0.0 : 2.0;
            Live r;
            bool closedDuring = false;
            r.once(at, [&] {
                r.window->close();
                closedDuring = r.window->link().Line().Busy() && r.window->isVisible();
            });
            if (search) {
                r.trigger("mnuconfig");
                r.find<QPushButton>("cbautoconfig")->click();
            } else {
                r.find<QToolButton>("Command1")->click();
            }
            QVERIFY(closedDuring);
            QVERIFY(!r.window->isVisible());
            r.trigger("mopen");  // nothing uses the line any more
            QCOMPARE(r.window->link().Line().Waiting(), 0);
        }
    }
};

QTEST_MAIN(TestLiveWaits)
#include "tst_livewaits.moc"
