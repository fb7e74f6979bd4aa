#include <QtTest>
#include <limits>
#include <optional>

#include "AutoConfigure.h"
#include "FileBytes.h"
#include "LineGuard.h"
#include "LinkRig.h"
#include "MeasurementCycle.h"
#include "ModuleCommands.h"
#include "ParameterFile.h"
#include "PortMapFile.h"
#include "Rows.h"
#include "StartUp.h"
#include "TraceBlocks.h"
#include "TraceReader.h"

using namespace tk;
using namespace tk::test;
using Message = ScriptedDialogs::Message;
using Found = std::optional<AutoConfigureResult>;

namespace {

const Message kIgnored{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};

// As the search selects a port, makes it fail to open when it is listed in `absent`.
class AbsentPortsView final : public QuietSearchView {
public:
    explicit AbsentPortsView(ScriptedPort& port) : m_port(port) {}
    QList<int> absent;

private:
    void SelectPort(int portNumber) override { m_port.openFails = absent.contains(portNumber); }
    ScriptedPort& m_port;
};

struct Rig : LinkRig {
    AbsentPortsView searchView{port};

    void openPort() {
        QVERIFY(link.OpenPort());
        view.online = true;
    }
    // "bv" is the version query, "i3" the rate command with its digit, anything else a command.
    void send(const QByteArray& command) {
        if (command == "bv")
            link.ReadVersion();
        else
            command[0] == 'i' ? link.SendBaudCommand(command[1]) : link.SendCommand(command);
    }
    // The device answers "i" with the byte given for a rate, such as "9600=X 38400=I"; all else is silent.
    void interfaceAt(const QString& device, const QString& answers) {
        QHash<QString, char> byRate;
        for (const QString& a : answers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            byRate.insert(a.section(QLatin1Char('='), 0, 0) + QStringLiteral(",n,8,1"), a.back().toLatin1());
        port.responder = [this, device, byRate](char c, int) {
            const char answer = byRate.value(port.lineSettings());
            const bool there = c == 'i' && answer && port.openedDevices.last() == device;
            return there ? QByteArray(1, answer) : QByteArray();
        };
    }
    Found run() { return AutoConfigure(link, portMap, searchView).Run(); }
};

class RecordingCycleView final : public CycleView {
public:
    void SetStatusText(const QString& t) override { status.append(t); }
    void SetAutoMeasurementChecked(bool c) override { autoChecked = c; }
    void RedrawGraph() override { ++redraws; }
    bool ScriptRunning() const override { return running; }
    int ScriptStepIndex() const override { return 3; }
    int DueHour() const override { return 7; }
    int DueMinute() const override { return 5; }
    bool IsScriptStepDue() override { return due; }
    void RunScriptStep() override { ++scriptSteps; }

    QStringList status;
    bool autoChecked = true;
    int redraws = 0;
    bool running = false;
    bool due = false;
    int scriptSteps = 0;
};

// Online and awake; the interface answers each request letter with a whole trace at the current resolution.
struct TraceRig : LinkRig {
    TraceReader reader{link};
    RecordingCycleView cycleView;
    MeasurementCycle cycle{model, reader, clock, cycleView};

    TraceRig() {
        model.moduleSleeping = false;
        link.OpenPort();
        view.online = true;
        answerTraces();
    }
    void answerTraces(int salt = 0) {
        port.responder = [this, salt](char c, int) -> QByteArray {
            const int blocks = 40 / model.settings.resolution;
            if (c == 'a') return TraceBytes('A', blocks, salt);
            if (c == 's') return TraceBytes('S', blocks, salt + 1);
            if (c == 'm') return TraceBytes('M', blocks, salt + 2);
            return {};
        };
    }
    // Ticks until the first byte is sent; returns the number of ticks.
    int ticksUntilSent() {
        for (int i = 1; i <= 2000; ++i) {
            cycle.Tick();
            if (!port.written.isEmpty()) return i;
        }
        return -1;
    }
};

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

class TestLink : public QObject {
    Q_OBJECT
private slots:
    // The far end answers each transmitted byte with the next of `replies` (nothing when they ran out).
    void exchange_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("ok");
        using B = QByteArray;
        using L = QByteArrayList;
        Row("echoed", B("bo"), L{"B", "O"}, B("bo"), true);
        Row("fourth try", B("bo"), L{"", "", "", "B", "O"}, B("bbbbo"), true);
        Row("second in lower case", B("bo"), L{"B", "o"}, B("bo"), false);
        Row("first answered wrongly", B("bo"), L{"X"}, B("b"), false);
        Row("rate digit echoed", B("i3"), L{"I", "3"}, B("i3"), true);
        Row("rate digit minus 32", B("i3"), L{"I", "\x13"}, B("i3"), false);
        Row("lower-case i", B("i3"), L{"i", "3"}, B("i"), false);
    }
    void exchange() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArrayList, replies);
        QFETCH(bool, ok);
        Rig r;
        r.openPort();
        r.port.responder = [&replies](char, int) {
            return replies.isEmpty() ? QByteArray() : replies.takeFirst();
        };
        r.send(command);
        QTEST(r.port.written, "written");
        QCOMPARE(r.port.isOpen(), ok);
        QCOMPARE(r.view.online, ok);
        QCOMPARE(r.dialogs.messages, ok ? QList<Message>() : QList<Message>{kIgnored});
    }

    void neverAnsweringInterface() {
        Rig r;
        r.openPort();
        // Whatever runs while the message is shown finds the link already closed.
        bool openDuringMessage = true;
        r.dialogs.duringMessage = [&] {
            openDuringMessage = r.port.isOpen();
            r.link.SendCommand("bn");
        };
        const double t0 = r.clock.seconds();
        r.link.SendCommand("bo");
        QVERIFY(!openDuringMessage);
        // Three full reply timeouts of about a second each, then the fourth transmission fails at once.
        QVERIFY(r.clock.seconds() - t0 > 2.5 && r.clock.seconds() - t0 < 3.6);
        // Every later exchange does nothing.
        r.link.SendCommand("bo");
        r.link.SendBaudCommand('2');
        r.link.ReadVersion();
        r.link.SetLinkBaud();
        QCOMPARE(r.port.written, QByteArray("bbbb"));
        QCOMPARE(r.dialogs.messages.size(), 1);
    }

    // The receive buffer is cleared before each transmission of the first character and once before the
    // second, whose retransmissions keep what has arrived (the opening of the port cleared it once). The
    // version query clears once before its "b" and keeps what arrives across that letter's retransmissions.
    void buffersClearedBeforeTransmissions_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("seen");
        Row("command", QByteArray("bo"), QByteArray("b2b3o4o4o4"));
        Row("rate", QByteArray("i5"), QByteArray("i2i3545454"));
        Row("version", QByteArray("bv"), QByteArray("b2b2v3v3v3"));
    }
    void buffersClearedBeforeTransmissions() {
        QFETCH(QByteArray, command);
        Rig r;
        r.openPort();
        QByteArray seen;  // each transmitted character with the count of clears before it
        r.port.responder = [&](char c, int n) {
            seen += c + QByteArray::number(r.port.clearCount);
            return (c == command[0] && n < 2) || (c == command[1] && n < 3) ? QByteArray()
                                                                            : GoodInterface(c, n);
        };
        r.send(command);
        QTEST(seen, "seen");
        QVERIFY(r.port.isOpen());
    }

    void waitStartIsRoundedToWholeSecond_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("gap");
        Row("half to even, down", 100.5, 0.5);
        Row("half to even, up", 101.5, 1.5);
    }
    void waitStartIsRoundedToWholeSecond() {
        QFETCH(double, start);
        QFETCH(double, gap);
        Rig r;
        r.openPort();
        r.clock.advance(start - r.clock.seconds());
        r.link.SendCommand("bo");
        QCOMPARE(r.port.writeTimes.size(), 4);
        // The retransmission follows the first poll that finds elapsed strictly above the timeout.
        const double measured = r.port.writeTimes[1] - r.port.writeTimes[0];
        QVERIFY2(measured > gap && measured <= gap + 0.011, qPrintable(QString::number(measured)));
    }

    void readVersion_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("version");
        Row("V in the middle", VersionBlock(40, "V1.23"), "V1.23");
        Row("first V wins", VersionBlock(10, "Vabcd").replace(50, 5, "V9.99"), "Vabcd");
        Row("exactly 89 bytes", VersionBlock(0, "V0.01", 89), "V0.01");
        Row("V beyond the first 80 bytes", VersionBlock(85, "V1.00"), "");
    }
    void readVersion() {
        QFETCH(QByteArray, block);
        QFETCH(QString, version);
        Rig r;
        r.openPort();
        r.port.responder = [&](char c, int n) { return c == 'v' ? block : GoodInterface(c, n); };
        r.link.ReadVersion();
        QCOMPARE(r.port.written, QByteArray("bv"));
        if (version.isEmpty()) {
            QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
            QVERIFY(!r.port.isOpen());
        } else {
            QVERIFY(r.dialogs.messages.isEmpty());
            QCOMPARE(r.model.interfaceVersion, version);
            QCOMPARE(r.view.caption, QStringLiteral("TK820-2E V2-68     Interface: ") + version);
        }
    }

    // Without a known resolution no resolution command is sent; the sequence with one, the device and the
    // line settings are the serial setup's test.
    void connectSendsTheFullSequence() {
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 2;
        r.model.settings.resolution = 3;
        r.model.moduleCalculating = false;
        r.view.calculating = false;
        r.model.traceActual[10] = 99;
        const double t0 = r.clock.seconds();
        r.link.ConnectInterface();
        QCOMPARE(r.port.written, QByteArray("i2bvbobobr"));
        QVERIFY(r.dialogs.messages.isEmpty() && r.view.online && !r.view.sleeping);
        QCOMPARE(r.view.erased, 1);
        QCOMPARE(r.model.traceActual[10], 0);
        QVERIFY(r.model.moduleCalculating && r.view.calculating);  // the check mark follows the model
        QVERIFY(!r.model.moduleSleeping);
        // "bo" follows the version query once the settle delay of 2 s has passed since the whole second the
        // wait started at (t0 here), and not a poll later.
        const double settled = r.port.writeTimes.at(4) - t0;
        QVERIFY2(settled >= 2.0 && settled < 2.001, qPrintable(QString::number(settled)));
    }

    void moduleCommands() {
        Rig r;
        ModuleCommands commands(r.link);
        // Sleeping and calculating do nothing while the port is closed; "M&odule online" says nothing when
        // the port cannot open.
        commands.ToggleSleeping();
        commands.ToggleCalculating();
        QVERIFY(r.model.moduleSleeping && r.model.moduleCalculating);
        r.port.openFails = true;
        commands.ToggleOnline(false);
        QVERIFY(r.dialogs.messages.isEmpty() && r.port.written.isEmpty());
        r.port.openFails = false;

        r.port.responder = GoodInterface;
        commands.ToggleOnline(false);
        QVERIFY(r.view.online);
        QVERIFY(!r.model.moduleSleeping);
        QCOMPARE(r.port.written, QByteArray("bo"));
        commands.ToggleSleeping();
        QVERIFY(r.model.moduleSleeping && r.view.sleeping);
        QCOMPARE(r.model.timeActual.rightTrimmed(), r.clock.timeText());
        commands.ToggleSleeping();
        QVERIFY(!r.model.moduleSleeping && !r.view.sleeping);
        commands.ToggleCalculating();
        commands.ToggleCalculating();
        QCOMPARE(r.port.written, QByteArray("bobpbobnbr"));
        // Erasing clears the traces on screen, restarts the sweep at the resolution and redraws.
        r.model.traceActual[7] = 9;
        EraseDisplay(r.link);
        QCOMPARE(r.model.traceActual[7], 0);
        QCOMPARE(r.port.written, QByteArray("bobpbobnbrbf"));
        QCOMPARE(r.view.erased, 1);
        QCOMPARE(r.view.redraws, 1);
        commands.ToggleOnline(true);
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
    }

    // The parameter file is written, measuring stops and the interface goes back to 2400 baud and sleeps.
    void shutdown() {
        QTemporaryDir dir;
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 4;
        r.port.setLineSettings(QStringLiteral("38400,N,8,1"));
        r.openPort();
        QVERIFY(RunShutdown(r.link, dir.filePath(PARAMETER_FILE_NAME)));
        QCOMPARE(r.port.written, QByteArray("bfi1bvbobp"));
        QCOMPARE(QFileInfo(dir.filePath(PARAMETER_FILE_NAME)).size(), PARAMETER_FILE_SIZE);
        QVERIFY(!r.model.autoMeasurement);
        QCOMPARE(r.model.settings.baudIndex, 1);
        QCOMPARE(r.port.lineSettings(), QStringLiteral("2400,N,8,1"));
    }

    void autoConfigure_data() {
        QTest::addColumn<QList<int>>("absent");  // ports that cannot be opened
        QTest::addColumn<QString>("device");     // where the interface is
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("portNumber");  // found, or 0
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("transmissions");  // four at each silent rate, one where an answer came
        const char* none = "No access to analyzer";
        // clang-format off
        Row("COM1 2400", QList<int>{}, "/dev/ttyS0", "2400=I", 1, 1, "Analyzer connected Com:  1 Baud: 2400", 1);
        Row("another byte skips the rate", QList<int>{}, "/dev/ttyS0", "9600=X 38400=I", 1, 4,
            "Analyzer connected Com:  1 Baud: 38400", 4 + 1 + 4 + 1);
        Row("lower case is no interface", QList<int>{}, "/dev/ttyS0", "2400=i", 0, 0, none, 1 + 19 * 4);
        Row("ports that fail to open are skipped", QList<int>{1, 3}, "/dev/ttyUSB3", "115200=I", 4, 5,
            "Analyzer connected Com:  4 Baud: 115200", 5 * 4 + 4 * 4 + 1);
        Row("nothing answers", QList<int>{}, "", "", 0, 0, none, 4 * 5 * 4);
        Row("no port opens", QList<int>{1, 2, 3, 4}, "", "", 0, 0, none, 0);
        // clang-format on
    }
    void autoConfigure() {
        QFETCH(QList<int>, absent);
        QFETCH(QString, device);
        QFETCH(QString, answers);
        QFETCH(int, portNumber);
        QFETCH(int, baudIndex);
        QFETCH(QString, message);
        QFETCH(int, transmissions);
        Rig r;
        r.openPort();  // COM2, as the link left it
        r.portMap.set(4, QStringLiteral("/dev/ttyUSB3"));
        r.searchView.absent = absent;
        r.interfaceAt(device, answers);
        QCOMPARE(r.run(), portNumber ? Found(AutoConfigureResult{portNumber, baudIndex}) : Found());
        QCOMPARE(r.dialogs.messages, (QList<Message>{{message, QStringLiteral("Auto config")}}));
        // The transmissions show the ports and rates tried in order up to the one found.
        QCOMPARE(r.port.written, QByteArray(transmissions, 'i'));
        // The port is let go, and shown so; the choice and the interface are left for the user's "&OK".
        QVERIFY(!r.port.isOpen() && !r.view.online);
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
    }

    void portMapFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PORT_MAP_FILE_NAME);
        QVERIFY(WriteBytes(
            path, "COM2 = /dev/ttyUSB0\nnonsense\nCOM9=/dev/x\ncom4=/dev/pts/7\nlpt4=/dev/usb/lp0\n"));
        PortMap map;
        map.load(path);
        map.set(5, QStringLiteral("/dev/x"));  // there is no fifth port to map
        map.setParallel(5, QStringLiteral("/dev/x"));
        QStringList devices;
        for (int n = 1; n <= 5; ++n) devices << map.deviceFor(n) << map.parallelDeviceFor(n);
        QCOMPARE(devices, (QStringList{"/dev/ttyS0", "/dev/lp0", "/dev/ttyUSB0", "/dev/lp1", "/dev/ttyS2",
                                       "/dev/lp2", "/dev/pts/7", "/dev/usb/lp0", "/dev/ttyS4", "/dev/lp4"}));
        // A run's --port overrides an entry of the file and leaves the others.
        const PortMap run = LoadPortMap(path, {{2, QStringLiteral("/dev/pts/9")}});
        QCOMPARE(run.deviceFor(2), QStringLiteral("/dev/pts/9"));
        QCOMPARE(run.deviceFor(4), QStringLiteral("/dev/pts/7"));
    }

    void leadingNoiseAndHeaderLettersInData() {
        TraceRig r;
        QByteArray trace = TraceBytes('A', 5);
        trace[10] = 'A';  // a header letter among the levels is a level
        r.port.responder = [&](char c, int) {
            return c == 'a' ? QByteArray("\x01zz?\x00") + trace : QByteArray();
        };
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.traceActual[8], std::int16_t{'A'});
        QCOMPARE(r.model.traceActual[499], std::int16_t{TraceLevel(499)});
        QCOMPARE(r.model.invalidTransferCount, 0);
        QCOMPARE(r.view.redraws, 1);
    }

    // The blocks before the skipped one are kept and counted as a transfer not valid, with the port left
    // open: the fault matrix's test. Here what the user sees, the count held at its largest value, and what
    // comes after.
    void skippedBlockNumberIsNotValid() {
        TraceRig r;
        r.model.invalidTransferCount = 32767;
        r.port.responder = [](char c, int) {
            return c == 'a' ? TraceBlock('A', 0) + TraceBlock('A', 2) + TraceBlock('A', 3) : QByteArray();
        };
        const double t0 = r.clock.seconds();
        r.reader.ReadActualTrace();
        QCOMPARE(r.view.information, QStringLiteral("Transmission error - data not valid"));
        QCOMPARE(r.model.invalidTransferCount, std::int16_t(32767));
        QCOMPARE(r.view.redraws, 0);
        // The line is drained for at least one reply timeout.
        QVERIFY(r.clock.seconds() - t0 >= 0.5);
        // The next read closes the information window and starts clean.
        r.answerTraces();
        r.reader.ReadActualTrace();
        QVERIFY(r.view.information.isEmpty());
        QCOMPARE(r.model.traceActual[100], std::int16_t{TraceLevel(100)});
    }

    void noAnswerFailsAfterFourRequests() {
        TraceRig r;
        r.port.responder = [](char, int) { return QByteArray(); };
        r.reader.ReadAverageTrace();
        QCOMPARE(r.port.written, QByteArray("mmmm"));
        QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
        QVERIFY(!r.model.averageBusy);
        r.reader.ReadAverageTrace();
        QCOMPARE(r.port.written, QByteArray("mmmm"));
    }

    void busyReturnsAtOnce() {
        TraceRig r;
        r.model.actualBusy = true;
        r.reader.ReadActualTrace();
        QVERIFY(r.port.written.isEmpty());
    }

    // A read stamps its trace with the time and the date of its request, unless the module sleeps.
    void readTimeOnlyWhileAwake() {
        TraceRig r;
        r.model.moduleSleeping = true;
        r.model.readDate.set(QStringLiteral("old"));
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.timeActual.rightTrimmed(), QStringLiteral("--:--:--"));
        QCOMPARE(r.model.readDate.rightTrimmed(), QStringLiteral("old"));
        QCOMPARE(r.view.redraws, 1);
        r.model.moduleSleeping = false;
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.timeActual.rightTrimmed(), QStringLiteral("10:00:00"));
        QCOMPARE(r.model.readDate.rightTrimmed(), QStringLiteral("06.12.2026"));
    }

    // A sloped curve, 0 dB at 0 MHz to 20 dB at 1000 MHz: each point of the sweep gets the correction of its
    // own frequency, from the left edge of the axis in steps of one point's width, up to the walked end
    // point.
    void correctionFollowsTheFrequencyOfEachPoint_data() {
        QTest::addColumn<float>("centre");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("level");
        Row("200 MHz, 4 dB, rounded down", 500.0f, 8, 100, 12);
        Row("right edge, 1000 MHz", 500.0f, 8, 500, 63);
        Row("past the walked end", 500.0f, 8, 501, 0);
        Row("4000 points, 500 MHz", 500.0f, 1, 2000, 31);
        Row("left edge at 100 MHz", 600.0f, 8, 0, 6);
        Row("centre 600, 1000 MHz", 600.0f, 8, 450, 63);
        // A damaged curve whose offset is not a number leaves the level at 0 rather than garbage.
        Row("offset not a number", -1.0f, 8, 250, 0);
    }
    void correctionFollowsTheFrequencyOfEachPoint() {
        QFETCH(float, centre);
        QFETCH(int, resolution);
        QFETCH(int, index);
        MeasurementModel m;
        m.settings.calibrationOn = true;
        m.settings.centerFreq = centre < 0 ? 500.0f : centre;
        m.settings.resolution = static_cast<std::int16_t>(resolution);
        m.calibrationCurve.pointCount = 2;
        m.calibrationCurve.freqMHz[1] = 1000.0f;
        m.calibrationCurve.offsetDb[1] = centre < 0 ? std::numeric_limits<float>::quiet_NaN() : 20.0f;
        TraceArray t{};
        TraceReader::ApplyCorrection(m, t);
        QTEST(int(t[index]), "level");
    }

    // Bytes left on the line after the last block of one trace are no part of the next.
    void strayBytesAfterATraceDoNotSpoilTheNext() {
        TraceRig r;
        r.port.responder = [](char c, int n) {
            return c == 'a' ? TraceBytes('A', 5, n) + QByteArray(n == 1 ? "A\x07xyz" : "") : QByteArray();
        };
        r.reader.ReadActualTrace();
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.invalidTransferCount, std::int16_t(0));
        QVERIFY(r.view.information.isEmpty());
        QCOMPARE(r.view.redraws, 2);
        QCOMPARE(r.model.traceActual[300], std::int16_t{TraceLevel(300, 2)});
    }

    void referenceCalculation_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("trace");
        QTest::addColumn<int>("ref");
        QTest::addColumn<int>("expected");
        Row("ref - act", 0, 0, 50, 30, -20);
        Row("act - ref", 1, 0, 50, 30, 20);
        Row("act + ref", 2, 0, 50, 30, 80);
        Row("act > ref, below", 3, 0, 29, 30, 0);
        Row("act > ref, equal", 3, 0, 30, 30, 30);
        Row("selector off", 0, 3, 50, 30, 50);
        Row("unknown mode", 7, 0, 50, 30, 50);
        // Each selector picks its own curve: actual 30, average 20, peak 10.
        Row("average reference", 1, 1, 50, 20, 30);
        Row("peak reference", 1, 2, 50, 10, 40);
        Row("sum saturates", 2, 0, 30000, 30000, 32767);
        Row("difference saturates", 0, 0, 30000, -30000, -32768);
    }
    void referenceCalculation() {
        QFETCH(int, mode);
        QFETCH(int, selector);
        QFETCH(int, trace);
        QFETCH(int, ref);
        MeasurementModel m;
        m.refMode = static_cast<std::int16_t>(mode);
        TraceArray t{};
        t.fill(static_cast<std::int16_t>(trace));
        m.refActual.fill(30);
        m.refAverage.fill(20);
        m.refPeak.fill(10);
        (selector == 1 ? m.refAverage : selector == 2 ? m.refPeak : m.refActual).fill(std::int16_t(ref));
        TraceReader::ApplyReferenceCalc(m, t, selector);
        QTEST(int(t[0]), "expected");
        QTEST(int(t[500]), "expected");
        QCOMPARE(t[501], std::int16_t(trace));  // only the sweep of resolution 8 is walked
    }

    void intervalsCountTicksInSinglePrecision_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("4 s") << 4 << 41;
        QTest::newRow("1 s") << 1 << 10;
        QTest::newRow("0 s reads on every tick") << 0 << 1;
    }
    void intervalsCountTicksInSinglePrecision() {
        QFETCH(int, interval);
        TraceRig r;
        r.model.settings.actualInterval = interval;
        r.model.settings.peakInterval = r.model.settings.averageInterval = 100000;
        QTEST(r.ticksUntilSent(), "ticks");
        QCOMPARE(r.port.written, QByteArray("a"));
        QCOMPARE(r.model.actualElapsed, 0.0f);
    }

    void fastModeReadsAllInOrder() {
        TraceRig r;
        r.model.fastMode = true;
        r.model.actualElapsed = 1.0f;
        r.cycle.Tick();
        QCOMPARE(r.port.written, QByteArray("asm"));
        QCOMPARE((QList<float>{r.model.actualElapsed, r.model.peakElapsed, r.model.averageElapsed}),
                 QList<float>(3, 0.0f));
        QCOMPARE(r.view.redraws, 3);
    }

    void hiddenTraceStillResetsItsCounter() {
        TraceRig r;
        r.model.settings.showPeak = false;
        r.model.settings.actualInterval = r.model.settings.averageInterval = 100000;
        r.model.settings.peakInterval = 1;
        for (int i = 0; i < 10; ++i) r.cycle.Tick();
        QVERIFY(r.port.written.isEmpty());
        QCOMPARE(r.model.peakElapsed, 0.0f);
    }

    void offDoesNothing() {
        TraceRig r;
        r.model.autoMeasurement = false;
        r.model.fastMode = true;
        r.cycle.Tick();
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(r.cycleView.status.isEmpty());
        QCOMPARE(r.model.actualElapsed, 0.0f);
    }

    void redrawPendingAndScriptStep() {
        TraceRig r;
        r.link.ClosePort();
        r.model.redrawPending = true;
        r.cycleView.due = true;
        r.cycle.Tick();
        QCOMPARE(r.cycleView.redraws, 1);
        QCOMPARE(r.cycleView.scriptSteps, 1);
    }

    void statusText() {
        TraceRig r;
        QCOMPARE(r.cycle.StatusText(), QStringLiteral(" Time: 10:00:00"));
        r.cycleView.running = true;
        QCOMPARE(r.cycle.StatusText(), QStringLiteral(" Time: 10:00:00    Script: 3 -  07:05"));
    }

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

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
