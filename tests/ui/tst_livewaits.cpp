#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <optional>

#include "EmulatorAppRig.h"
#include "FileOperations.h"
#include "GraphWindow.h"

using namespace tk;
using namespace tk::test;

namespace {

// The main window on the emulated interface at 2400 baud, where a trace of 4000 points takes about 17 s of
// simulated time. connect() brings it online at the given resolution, the actual trace alone and no
// automatic measurement, and starts the test's count of time with the interface's log empty.
struct Rig : EmulatorAppRig {
    double start = 0.0;
    explicit Rig(const QStringList& emulatorArgs = {}) : EmulatorAppRig(emulatorArgs) {
        window->EnableLiveWaits(false);  // the busy pointer; the window's events are stood in for
    }
    void connect(int resolution) {
        model.settings.resolution = static_cast<std::int16_t>(resolution);
        model.settings.showPeak = model.settings.showAverage = false;
        model.autoMeasurement = false;
        window->SetAutoMeasurementChecked(false);
        window->link().ConnectInterface();
        clock.advance(1.0);
        emulator.forgetReceived();
        start = clock.seconds();
    }
    QByteArray received() const { return emulator.device().received(); }
    double since() { return clock.seconds() - start; }
    void single() { find<QToolButton>("Command1")->click(); }
    int pointsRead() const {
        int n = 0;
        while (n < 4001 && model.traceActual[static_cast<std::size_t>(n)] != 0) ++n;
        return n;
    }
};

// The window's events are stood in for by `during`, which runs in every wait of the line.
struct Live : Rig {
    std::function<void(double sinceStart)> during;
    QByteArray writtenWhileReading;  // what the interface got from the first request to that read's end
    bool firstReadOver = false;

    explicit Live(const QStringList& emulatorArgs = {}, int resolution = 1) : Rig(emulatorArgs) {
        window->link().Line().SetPump([this] {
            firstReadOver = firstReadOver || model.blockIndex >= 40;
            if (model.actualBusy && !firstReadOver) writtenWhileReading = received();
            if (during) during(since());
        });
        connect(resolution);
    }
    // Runs f once, the first time the read has gone on for at least `at` seconds.
    void once(double at, std::function<void()> f) {
        during = [at, f, done = false](double t) mutable {
            if (done || t < at) return;
            done = true;
            f();
        };
    }
};

// The line on the event loop, as the program runs it, in simulated time: each wait of an exchange returns to
// the event loop, and the port's own wait passes the simulated time.
struct OnEventLoop : Rig {
    OnEventLoop() {
        window->session().RunLineOnEventLoop(true);
        window->session().Timer().stop();  // ticks are given by the test
        connect(1);
    }
    // Runs the event loop until `step`, called every time round with the simulated seconds since the
    // start, says so.
    void RunUntil(const std::function<bool(double)>& step) {
        bool done = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] { done = done || step(since()); });
        poll.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
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
            r.model.autoMeasurement = r.model.fastMode = true;
            r.window->Tick();                             // reads the actual trace again
            r.window->Tick();                             // a tick already waiting is not queued twice
            r.find<QToolButton>("Command4")->click();     // "Erase": the resolution command "bc"
            r.find<QPushButton>("scriptstart")->click();  // step 0 connects anew: "i" and the rate digit
            status << r.find<QLabel>("uhr")->text();
            busyPointer = r.find<QWidget>("grafik")->cursor().shape() == Qt::BusyCursor;
        });
        r.single();
        QCOMPARE(r.writtenWhileReading, QByteArray("a"));
        QCOMPARE(r.received().left(8), QByteArray("abnabci1"));
        QCOMPARE(r.model.blockIndex, 40);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY2(status.value(0).startsWith(" Reading the actual trace: "), qPrintable(status.value(0)));
        QVERIFY(busyPointer);
        QCOMPARE(r.find<QWidget>("grafik")->cursor().shape(), Qt::ArrowCursor);
    }

    // A command given during the tick's first read runs before the tick's next read, not after the tick.
    void aCommandDuringATickRunsBeforeItsNextRead() {
        Live r({}, 8);
        r.model.settings.showPeak = r.model.settings.showAverage = true;
        r.model.autoMeasurement = r.model.fastMode = true;
        // A tick that comes meanwhile waits for this one to end.
        r.once(0.5, [&] {
            r.trigger("mnurechen");  // "bn"
            r.window->Tick();
        });
        r.window->Tick();
        QCOMPARE(r.received(), QByteArray("abnsmasm"));
    }

    // Unchecking automatic measurement ends a long read at the next block: the trace keeps its last
    // complete read and its time, the status line says so, the rest of the answer is let pass, and the
    // next read is whole.
    void uncheckingAutoMeasurementStopsARead() {
        Live r;
        r.model.autoMeasurement = r.model.fastMode = true;
        r.window->action(QStringLiteral("mnuauto"))->setChecked(true);
        r.model.timeActual.set(QStringLiteral("before"));
        r.once(5.0, [&] { r.trigger("mnuauto"); });
        r.window->Tick();
        QCOMPARE(r.pointsRead(), 0);
        QCOMPARE(r.model.timeActual.text().trimmed(), QStringLiteral("before"));
        QCOMPARE(
            r.find<QLabel>("uhr")->text(),
            QStringLiteral(" The actual trace read was stopped; the trace keeps its last complete read"));
        QVERIFY(!r.model.autoMeasurement);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.window->link().IsOpen());
        r.during = nullptr;
        r.single();
        QCOMPARE(r.model.blockIndex, 40);
        QCOMPARE(r.pointsRead(), 4000);
        QCOMPARE(r.received(), QByteArray("aa"));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // Closing the main window in the middle of a read (with two more asked for), in the middle of a block
    // that never ends, or during an auto configuration ends the exchange and the program within a second;
    // nothing more is sent and nothing waits. "&Exit" during a read lets it end, drops what waits, and
    // returns the interface to 500 points, 2400 baud and sleeping on a quiet line. Both with the line's waits
    // stood in for and on the event loop.
    void closeOrExitDuringAnExchange_data() {
        QTest::addColumn<bool>("eventLoop");
        QTest::addColumn<QString>("action");  // "close", "exit", or "search" closed during auto configuration
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<double>("at");  // seconds into the read
        QTest::newRow("close mid-read") << false << "close" << QStringList() << 16.95;
        QTest::newRow("close in a stuck block")
            << false << "close" << QStringList{QStringLiteral("--emu-fault=partial-block:30")} << 16.95;
        QTest::newRow("close during a search") << false << "search" << QStringList() << 0.0;
        QTest::newRow("exit mid-read") << false << "exit" << QStringList() << 3.0;
        QTest::newRow("event loop: close mid-read") << true << "close" << QStringList() << 5.0;
        QTest::newRow("event loop: exit mid-read") << true << "exit" << QStringList() << 5.0;
    }
    void closeOrExitDuringAnExchange() {
        QFETCH(bool, eventLoop);
        QFETCH(QString, action);
        QFETCH(QStringList, faults);
        QFETCH(double, at);
        const bool search = action == QStringLiteral("search"), exit = action == QStringLiteral("exit");
        double closedAt = -1.0;
        QByteArray sentBefore;
        const auto act = [&](Rig& r) {
            closedAt = r.since();
            sentBefore = r.received();
            if (!search) {  // dropped
                r.single();
                r.single();
            }
            if (exit)
                r.trigger("mnuexit");
            else
                r.window->close();
        };
        std::optional<Live> live;
        std::optional<OnEventLoop> onLoop;
        Rig* rig = nullptr;
        if (eventLoop) {
            rig = &onLoop.emplace();
            onLoop->single();
            onLoop->RunUntil([&](double t) {
                if (t >= at && closedAt < 0.0) act(*onLoop);
                return closedAt >= 0.0 && !onLoop->window->link().Line().Busy();
            });
        } else {
            rig = &live.emplace(faults);
            live->once(at, [&] { act(*live); });
            if (search) {
                live->trigger("mnuconfig");
                live->find<QPushButton>("cbautoconfig")->click();
            } else {
                live->single();
            }
        }
        Rig& r = *rig;
        QVERIFY(closedAt >= 0.0);
        QVERIFY(!r.window->isVisible());
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.window->link().Line().Waiting(), 0);
        if (exit) {
            QCOMPARE(r.received(), QByteArray("abfi1bvbobp"));
            QCOMPARE(r.pointsRead(), 4000);
            const emu::DeviceModel& device = r.emulator.device();
            QCOMPARE(device.acquisition().resolution(), 8);
            QVERIFY(device.acquisition().sleeping());
            QCOMPARE(device.baudAt(r.clock.seconds()), 2400);
        } else {
            QVERIFY2(r.since() - closedAt < 1.0, qPrintable(QString::number(r.since() - closedAt)));
            QCOMPARE(r.received(), sentBefore);
        }
    }

    // "Ac-m" given during a read takes the comparison curve from that read once it is whole; a measurement
    // saved meanwhile holds the last complete read with its time.
    void copiesAndStoresDuringAReadAreWhole() {
        Live r;
        r.single();
        const TraceArray first = r.model.traceActual;
        const QString firstTime = r.model.timeActual.text();
        r.clock.advance(5.0);
        const QString path = r.home.filePath(QStringLiteral("during.mes"));
        r.dialogs.saveAnswers.enqueue(path);
        r.start = r.clock.seconds();
        r.once(8.0, [&] {
            r.find<QToolButton>("Command8")->click();
            r.trigger("mnumesssave");
        });
        r.single();
        QVERIFY(r.model.traceActual != first);
        QCOMPARE(r.model.traceComparison, r.model.traceActual);
        MeasurementModel stored;
        QCOMPARE(LoadMeasurementFile(path, stored, r.dialogs), LoadResult::Loaded);
        // The file holds points 1..4000 of the sweep.
        for (int i = 1; i <= 4000; ++i) QCOMPARE(stored.traceActual[i], first[i]);
        QCOMPARE(stored.timeActual.text(), firstTime);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // Settings of another resolution loaded during a read come after it, and the interface hears the new
    // resolution before the next read, which is whole.
    void aLoadedResolutionReachesTheInterface() {
        Live r;
        MeasurementModel other = r.model;
        other.settings.resolution = 8;
        const QString path = r.home.filePath(QStringLiteral("r8.set"));
        QVERIFY(SaveSettingsFile(path, other, r.dialogs));
        r.dialogs.openAnswers.enqueue(path);
        r.once(3.0, [&] { r.trigger("mnusetload"); });
        r.single();
        QCOMPARE(r.model.settings.resolution, 8);
        r.during = nullptr;
        r.single();
        QCOMPARE(r.received(), QByteArray("abfa"));
        QCOMPARE(r.model.blockIndex, 5);
        QCOMPARE(r.model.invalidTransferCount, 0);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // "&OK" or "&Init ser. I/F" pressed while auto configuration searches acts after it, on the port and
    // rate it found.
    void okDuringAutoConfigurationTakesWhatItFound_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("&OK") << "cbok";
        QTest::newRow("&Init ser. I/F") << "cbinitport";
    }
    void okDuringAutoConfigurationTakesWhatItFound() {
        QFETCH(QString, button);
        Live r;
        r.model.settings.baudIndex = 4;
        r.window->link().ConnectInterface();  // the interface now runs at 38400 baud
        r.trigger("mopen");                   // offline: the search starts from a closed port
        r.model.settings.portNumber = 1;
        r.model.settings.baudIndex = 1;
        // Pressed while the search tries COM2 at 2400 baud.
        r.once(0.0, [&] { r.find<QPushButton>(qPrintable(button))->click(); });
        r.trigger("mnuconfig");
        r.find<QPushButton>("cbautoconfig")->click();
        QCOMPARE(r.model.settings.portNumber, 2);
        QCOMPARE(r.model.settings.baudIndex, 4);
        QVERIFY(r.window->link().IsOpen());
        QVERIFY2(r.window->windowTitle().contains(QStringLiteral("Interface: V")),
                 qPrintable(r.window->windowTitle()));
    }

    // The correction run goes to its end when "Auto" is clicked during it: all its reads are whole, and the
    // click takes effect after the run; the menu and the toolbar show the switches the run restored.
    void correctionRunIsNotStopped() {
        Live r({}, 8);
        r.single();
        r.find<QToolButton>("Command9")->click();  // "Av-m": the comparison curve
        QVERIFY(!r.find<QCheckBox>("mdiauto")->isChecked());
        r.dialogs.inputAnswers.enqueue(QStringLiteral("100"));
        r.emulator.forgetReceived();
        r.start = r.clock.seconds();
        r.model.fastMode = true;
        r.once(3.0, [&] { r.find<QCheckBox>("mdiauto")->click(); });
        r.find<QToolButton>("Command13")->click();
        QVERIFY(r.dialogs.inputAnswers.isEmpty());
        QCOMPARE(r.received().count('m'), 65);
        QVERIFY(r.model.settings.calibrationOn);
        const CalibrationCurve& curve = r.model.calibrationCurve;
        QVERIFY(curve.pointCount > 10);
        for (int i = 0; i < curve.pointCount; ++i) QVERIFY(std::abs(curve.offsetDb[i]) < 80.0f);
        QVERIFY(r.model.autoMeasurement);  // off before the run, clicked on during it
        QVERIFY(r.window->action(QStringLiteral("mnufastmode"))->isChecked() &&
                r.find<QCheckBox>("mdifast")->isChecked());
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // On the event loop, a box the user holds open for 30 s from the start of a 4000-point read at 2400
    // baud holds neither the read nor the tick: the read ends whole, and the next ticks read on.
    void aBoxHeldOpenHoldsNeitherTheLineNorTheTick() {
        OnEventLoop r;
        r.model.autoMeasurement = r.model.fastMode = true;
        int whole = 0;
        QObject::connect(&r.window->session(), &Session::traceRead, [&](TraceKind) {
            if (r.model.blockIndex == 40 && r.model.invalidTransferCount == 0) ++whole;
        });
        double nextTick = r.start;
        int wholeWhileOpen = -1;
        QMessageBox box(QMessageBox::Information, QStringLiteral("Box"), QStringLiteral("held open"));
        QTimer::singleShot(0, &box, [&] { box.exec(); });
        r.RunUntil([&](double t) {
            if (r.clock.seconds() >= nextTick) {  // the tick, in simulated time
                nextTick = r.clock.seconds() + 0.1;
                r.window->Tick();
            }
            if (t < 30.0) return false;
            wholeWhileOpen = whole;
            box.done(0);
            return true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(!r.window->link().Line().Busy(), 20000);
        QVERIFY2(wholeWhileOpen >= 1 && whole > wholeWhileOpen, qPrintable(QString::number(wholeWhileOpen)));
        QVERIFY(r.model.traceActual[3999] != 0 && r.model.traceActual[4000] == 0);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.window->link().IsOpen());
    }

    // On the event loop the graph of a read is drawn at the loop's next turn, after the exchange; a picture
    // taken before that, inside the exchange, already shows the read.
    void theGraphOfAReadIsDrawnAfterItsExchange() {
        OnEventLoop r;
        r.model.settings.resolution = 8;
        auto* graph = r.find<GraphWindow>("grafik");
        const QImage before = graph->image();
        QImage atTheEnd;
        QImage copied;
        QObject::connect(&r.window->session(), &Session::traceRead, [&](TraceKind) {
            atTheEnd = graph->image();
            r.trigger("mnuzwischenab");
            copied = QGuiApplication::clipboard()->image();
        });
        r.single();
        r.RunUntil([&](double) { return !copied.isNull() && !r.window->link().Line().Busy(); });
        QVERIFY(atTheEnd != before);          // the progress of the read
        QVERIFY(atTheEnd != graph->image());  // the read itself comes after the exchange
        QCOMPARE(copied.convertToFormat(graph->image().format()), graph->image());
    }
};

QTEST_MAIN(TestLiveWaits)
#include "tst_livewaits.moc"
