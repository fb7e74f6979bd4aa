#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QtTest>
#include <thread>

#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "DeviceModel.h"
#include "EmulatorLinkRig.h"
#include "EmulatorOptionsOf.h"
#include "FakeClock.h"
#include "MeasurementCycle.h"
#include "PtyServer.h"
#include "QtSerialPort.h"
#include "RecordingLinkView.h"
#include "Rows.h"
#include "ScriptedDialogs.h"
#include "Signal.h"

using namespace tk;
using namespace tk::emu;
using namespace tk::test;
using Message = ScriptedDialogs::Message;
using Messages = QList<Message>;

namespace {

DeviceConfig Instant() {
    DeviceConfig c;
    c.pacing = false;
    c.latency = 0.0;
    return c;
}

// Sends the bytes at time t at the interface's own rate and returns everything it queued in answer.
QByteArray Talk(DeviceModel& d, const QByteArray& bytes, double t = 0.0) {
    for (const char c : bytes) d.receive(c, t, std::nullopt);
    return d.takeOutput(t + 1e6, std::nullopt);
}

// Reads until n bytes came or the real time ran out.
QByteArray ReadFor(SerialPort& port, int n, int ms) {
    QElapsedTimer timer;
    timer.start();
    QByteArray got;
    while (got.size() < n && timer.elapsed() < ms) {
        if (port.bytesWaiting() == 0) port.waitForData(10);
        got += port.read(n - static_cast<int>(got.size()));
    }
    return got;
}

// A bare pseudo-terminal: the port opens its slave side, the test keeps the master and a second handle on
// the slave to look at its settings and to hold its output.
struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QString slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                        ? QString::fromLocal8Bit(::ptsname(master))
                        : QString();
    int observer = slave.isEmpty() ? -1 : ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ~Pty() {
        if (observer >= 0) ::close(observer);
        if (master >= 0) ::close(master);
    }
};

const Message IGNORED{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
const Message NO_ACCESS{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")};
constexpr std::int16_t UNTOUCHED = -1;  // never a level on the wire

class QuietCycleView final : public CycleView {
    void SetStatusText(const QString&) override {}
    void SetAutoMeasurementChecked(bool) override {}
    void RedrawGraph() override {}
};

struct Rig : EmulatorLinkRig {
    explicit Rig(const QStringList& args) : EmulatorLinkRig(args) { model.fastMode = true; }

    // One fast-mode tick; how many points of each trace it stored, as "actual/peak/average".
    QString tick() {
        for (TraceArray* t : {&model.traceActual, &model.tracePeak, &model.traceAverage}) t->fill(UNTOUCHED);
        cycle.Tick();
        QStringList stored;
        for (const TraceArray* t : {&model.traceActual, &model.tracePeak, &model.traceAverage})
            stored << QString::number(TRACE_SIZE - std::count(t->begin(), t->end(), UNTOUCHED));
        return stored.join(u'/');
    }

    TraceReader reader{link};
    QuietCycleView cycleView;
    MeasurementCycle cycle{model, reader, clock, cycleView};
};

}  // namespace

class TestEmulator : public QObject {
    Q_OBJECT
private slots:
    // The emulated interface on its own: its answer to each command, its trace blocks, the pace of its
    // answers, the "--emu-..." options that configure it, and the lossy cable before it.

    void answersCommandsByteForByte_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("answer");
        const auto row = [](const char* sent, const char* answer) {
            QTest::newRow(sent) << QByteArray(sent) << QByteArray(answer);
        };
        for (const char* acknowledged :
             {"bc", "bd", "be", "bf", "bo", "bp", "br", "bn", "i1", "i2", "i3", "i4", "i5"})
            row(acknowledged, QByteArray(acknowledged).toUpper().constData());
        for (const char* unanswered : {"x", "B", "c", "3"}) row(unanswered, "");
        QTest::newRow("high byte") << QByteArray("\xE2") << QByteArray();
        // What a pending "b" or "i" makes of the next byte.
        row("bbc", "BBC");
        row("bxc", "B");
        row("bxbc", "BBC");
        row("ba", "B");
        row("bi5", "B");
        row("bCbc", "BBC");
        row("ii3", "II3");
        row("i6bc", "IBC");
        row("i0bc", "IBC");
        row("ibc", "IBC");  // no digit came: the next character is a command of its own
    }
    void answersCommandsByteForByte() {
        QFETCH(QByteArray, sent);
        DeviceModel d(Instant(), 0.0);
        QTEST(Talk(d, sent), "answer");
    }

    void traceRequestsAnswerWithNumberedBlocks_data() {
        QTest::addColumn<QByteArray>("resolutionCommand");
        QTest::addColumn<char>("request");
        QTest::addColumn<int>("blocks");
        const QList<std::pair<const char*, int>> resolutions{{"bc", 40}, {"bd", 20}, {"be", 10}, {"bf", 5}};
        for (const auto& [cmd, blocks] : resolutions)
            for (const char request : {'a', 's', 'm'})
                QTest::addRow("%s %c", cmd, request) << QByteArray(cmd) << request << blocks;
    }
    void traceRequestsAnswerWithNumberedBlocks() {
        QFETCH(QByteArray, resolutionCommand);
        QFETCH(char, request);
        QFETCH(int, blocks);
        DeviceModel d(Instant(), 0.0);
        Talk(d, resolutionCommand);
        const QByteArray reply = Talk(d, QByteArray(1, request), 1.0);
        QCOMPARE(reply.size(), blocks * TRACE_BLOCK_SIZE);
        QByteArray levels;
        for (int n = 0; n < blocks; ++n) {
            const QByteArray block = reply.mid(n * TRACE_BLOCK_SIZE, TRACE_BLOCK_SIZE);
            QCOMPARE(block.at(0), static_cast<char>(request - 32));
            QCOMPARE(block.at(1), static_cast<char>(n));
            levels += block.mid(2);
        }
        const emu::TraceKind kind = request == 'a'   ? emu::TraceKind::Actual
                                    : request == 's' ? emu::TraceKind::Peak
                                                     : emu::TraceKind::Average;
        QCOMPARE(levels, d.acquisition().trace(kind));
    }

    // Sleeping freezes the sweep; with calculating off, peak and average hold while the sweeps go on.
    void moduleStatesSteerTheTraces() {
        DeviceModel d(Instant(), 0.0);
        Talk(d, "bp", 1.0);
        const QByteArray asleep = Talk(d, "a", 1.0);
        QCOMPARE(Talk(d, "a", 9.0), asleep);
        Talk(d, "bobn", 9.0);
        const QByteArray peak = Talk(d, "s", 9.0), average = Talk(d, "m", 9.0);
        QVERIFY(Talk(d, "a", 12.0) != asleep);
        QCOMPARE(Talk(d, "s", 12.0), peak);
        QCOMPARE(Talk(d, "m", 12.0), average);
        Talk(d, "br", 12.0);
        QVERIFY(Talk(d, "s", 15.0) != peak);
        QVERIFY(Talk(d, "m", 15.0) != average);
    }

    // 115200 baud and 5 ms latency as the options give them: a trace at resolution 1 is 4080 bytes, ten bit
    // times each, the first after the latency.
    void answersArePacedAtTheLineRate() {
        DeviceModel d(ToDeviceConfig(test::EmulatorOptionsOf({"--emu-baud=5", "--emu-latency-ms=5"})), 0.0);
        d.receive('b', 0.0, 115200);
        d.receive('c', 0.0, 115200);
        QCOMPARE(d.takeOutput(1.0, 115200), QByteArray("BC"));
        const double byteTime = 10.0 / 115200, start = 10.0 + 0.005, end = start + 4080 * byteTime;
        d.receive('a', 10.0, 115200);
        QCOMPARE(*d.nextOutputTime(), start + byteTime);
        QCOMPARE(d.takeOutput(end - byteTime / 2, 115200).size(), 4079);
        QCOMPARE(d.takeOutput(end, 115200).size(), 1);
    }

    void parsesOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");  // "seed pacing latency sweep baud loss steady"; "": refused
        QTest::newRow("defaults") << QStringList{} << "1 1 2 100 1 0 0";
        QTest::newRow("all") << QStringList{"--emu-seed=42",      "--emu-pacing=off", "--emu-latency-ms=0",
                                            "--emu-sweep-ms=250", "--emu-baud=5",     "--emu-loss=2.5",
                                            "--emu-scene=steady"}
                             << "42 0 0 250 5 2.5 1";
        QTest::newRow("last wins") << QStringList{"--emu-pacing=off", "--emu-pacing=on", "--emu-scene=steady",
                                                  "--emu-scene=live"}
                                   << "1 1 2 100 1 0 0";
        QTest::newRow("large seed") << QStringList{"--emu-seed=18446744073709551615"}
                                    << "18446744073709551615 1 2 100 1 0 0";
        QTest::newRow("gain") << QStringList{"--emu-loss=-6"} << "1 1 2 100 1 -6 0";
        QTest::newRow("others passed over")
            << QStringList{"start.scp", "--emulator", "--emu-baud=3", "-x"} << "1 1 2 100 3 0 0";
        QTest::newRow("rate") << QStringList{"--emu-baud=115200"} << "1 1 2 100 5 0 0";
        const QString refused = QStringLiteral(
            "--emu-speed=3 --emu-seed --emu-seed=-1 --emu-pacing=yes --emu-latency-ms=-1 --emu-sweep-ms=0 "
            "--emu-baud=0 --emu-baud=4800 --emu-loss=101 --emu-loss=ten --emu-scene=calm "
            "--emu-fault=explode --emu-fault=answer-from --emu-fault=answer-from:0 "
            "--emu-fault=silent: --emu-fault=baud-only --emu-fault=skip-block:40 --emu-fault=stall:2:x "
            "--emu-fault=stall:2:10:3 --emu-fault=noise:-1 --emu-fault=wrong-digit:1 "
            "--emu-fault=partial-block:102 --emu-fault=vanish-in-trace:40 --emu-fault=skip-block:1:2");
        for (const QString& bad : refused.split(u' '))
            QTest::newRow(qPrintable(bad)) << QStringList{"--emu-seed=3", bad} << QString();
    }
    void parsesOptions() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QString error;
        const auto o = ParseEmulatorOptions(args, &error);
        QCOMPARE(!o, expected.isEmpty());
        QCOMPARE(error.isEmpty(), !expected.isEmpty());
        if (!o) return;
        const DeviceConfig c = ToDeviceConfig(*o);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                     .arg(qulonglong(o->seed))
                     .arg(int(o->pacing))
                     .arg(o->latencyMs)
                     .arg(o->sweepMs)
                     .arg(o->baudIndex)
                     .arg(c.lossDb)
                     .arg(int(c.steadyScene)),
                 expected);
    }

    // The line that changes the cable while the pseudo-terminal is served.
    void controlLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("loss");  // 0: not understood
        QTest::newRow("loss") << "loss 10" << 10.0;
        QTest::newRow("blanks and line end") << "  loss   3.5 \r" << 3.5;
        QTest::newRow("no value") << "loss" << 0.0;
        QTest::newRow("bad value") << "loss x" << 0.0;
        QTest::newRow("other") << "gain 3" << 0.0;
    }
    void controlLine() {
        QFETCH(QString, line);
        QFETCH(double, loss);
        test::FakeClock clock;
        PtyServer server(DeviceConfig{}, clock);
        const QString answer = server.applyControlLine(line);
        QCOMPARE(server.device().acquisition().lossDb(), loss);
        QCOMPARE(answer.startsWith(QStringLiteral("not understood")), loss == 0.0);
    }

    // The loss grows linearly from nothing at the first point of a sweep to its full value at the last.
    void lossGrowsAlongTheSweep_data() {
        QTest::addColumn<int>("resolution");
        QTest::newRow("500 points") << 8;
        QTest::newRow("4000 points") << 1;
    }
    void lossGrowsAlongTheSweep() {
        QFETCH(int, resolution);
        SignalGenerator signal(7, true);
        std::vector<std::uint8_t> clear, lossy;
        signal.sweep(3, resolution, clear);
        signal.sweep(3, resolution, lossy, 6.0);
        const int n = static_cast<int>(clear.size());
        QCOMPARE(n, 4000 / resolution);
        auto drop = [&](int i) { return clear[i] - lossy[i]; };
        QCOMPARE(drop(0), 0);
        QVERIFY(std::abs(drop(n / 2) - 9.6) <= 1.0);   // 3 dB
        QVERIFY(std::abs(drop(n - 1) - 19.1) <= 1.0);  // 6 dB
    }

    // End to end on the real clock: the link layer on the real serial port, talking to the emulated interface
    // served on a pseudo-terminal from a thread of the test.

    void connectsAt115200AndReadsATrace() {
        SystemClock clock;
        emu::PtyServer server(emu::DeviceConfig(), clock);
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        std::thread serving([&server] { server.serve(); });
        const auto finish = qScopeGuard([&] {
            if (!serving.joinable()) return;
            server.stop();
            serving.join();
        });

        QtSerialPort port;
        PortMap portMap;
        portMap.set(2, server.slavePath());
        MeasurementModel model;
        model.settings.baudIndex = 5;
        model.parameters.settleDelay = 0;  // keeps the test short; the pause then lasts at most half a second
        ScriptedDialogs dialogs;
        RecordingLinkView view;
        AnalyzerLink link(model, port, clock, dialogs, view, portMap);
        QElapsedTimer timer;
        timer.start();
        link.ConnectInterface();
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>());
        QCOMPARE(port.lineSettings(), QStringLiteral("115200,N,8,1"));

        // A trace at the new rate: five numbered blocks of the actual sweep.
        port.clearBuffers();
        port.write("a");
        const QByteArray trace = ReadFor(port, 5 * 102, 1000);
        QCOMPARE(trace.size(), 5 * 102);
        for (int n = 0; n < 5; ++n) QCOMPARE(trace.mid(n * 102, 2), QByteArray("A") + char(n));
        // The interface now runs at 115200: a byte sent at 2400 is lost on the way.
        port.setLineSettings(QStringLiteral("2400,N,8,1"));
        port.write("b");
        QCOMPARE(ReadFor(port, 1, 150), QByteArray());
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

        server.stop();
        serving.join();
        QCOMPARE(server.device().received(), QByteArray("i5bvbobfbobrab"));
    }

    // Each flow control of a script step's control port reaches the open port's termios, both together too.
    void flowControlOnTheOpenPort_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");
        Row("none", int(FlowControl::None), false, false);
        Row("Xon/Xoff", int(FlowControl::XonXoff), false, true);
        Row("RTS", int(FlowControl::Rts), true, false);
        Row("Xon/RTS", int(FlowControl::XonXoffAndRts), true, true);
    }
    void flowControlOnTheOpenPort() {
        QFETCH(int, flow);
        Pty pty;
        QVERIFY(pty.observer >= 0);
        QtSerialPort port;
        port.setLineSettings(QStringLiteral("9600,N,8,1"));
        // As a step sets up its port: settings first, then open; and again on the open port.
        QVERIFY(port.setFlowControl(static_cast<FlowControl>(flow)));
        QVERIFY(port.open(pty.slave));
        for (int pass = 0; pass < 2; ++pass) {
            termios tio{};
            QCOMPARE(::tcgetattr(pty.observer, &tio), 0);
            QFETCH(bool, rtsCts);
            QFETCH(bool, xonXoff);
            QCOMPARE((tio.c_cflag & CRTSCTS) != 0, rtsCts);
            QCOMPARE((tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), xonXoff);
            QVERIFY(port.setFlowControl(FlowControl::None));
            QVERIFY(port.setFlowControl(static_cast<FlowControl>(flow)));
        }
    }

    // Output held off by flow control: the write returns at once and the byte counts as not yet sent until
    // the line lets it go.
    void heldOffOutputIsNotSent() {
        Pty pty;
        QVERIFY(pty.observer >= 0);
        QtSerialPort port;
        QVERIFY(port.open(pty.slave));
        QCOMPARE(::tcflow(pty.observer, TCOOFF), 0);
        QElapsedTimer timer;
        timer.start();
        port.write("x");
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port.bytesToWrite(), 1);
        QCOMPARE(::tcflow(pty.observer, TCOON), 0);
        QCOMPARE(port.bytesToWrite(), 0);
        char got = 0;
        QCOMPARE(::read(pty.master, &got, 1), ssize_t(1));
        QCOMPARE(got, 'x');
        // A closed port has nothing waiting either way.
        port.close();
        QCOMPARE(port.bytesWaiting(), 0);
        QCOMPARE(port.bytesToWrite(), 0);
    }

    // Every fault the emulated interface can show, one row each, against the connection, the fast-mode tick
    // that reads all three traces and the recovery a user would make: the message and its title, the port
    // state, how much of each trace the tick stored, and that once the fault is put right a search and a new
    // connection read complete traces again.

    void faultMatrix_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("stored");  // points of the actual, peak and average trace the tick stored
        QTest::addColumn<int>("invalid");     // transfers refused as not valid
        QTest::addColumn<int>("iSent");       // transmissions of "i" while connecting
        const Messages none, once{IGNORED}, failed{IGNORED, IGNORED, NO_ACCESS};
        const QString all = QStringLiteral("500/500/500"), nothing = QStringLiteral("0/0/0");
        const auto fault = [](const char* f) { return QStringList{QStringLiteral("--emu-fault=") + f}; };
        Row("well behaved", QStringList(), none, true, all, 0, 1);
        Row("no answer", fault("silent"), failed, false, nothing, 0, 8);
        // The second attempt's first "i" only ends the wait for the second letter of "bv".
        Row("no answer to v", fault("silent:v"), failed, false, nothing, 0, 3);
        Row("no answer to a", fault("silent:a"), once, false, nothing, 0, 1);
        Row("wrong ack of i", fault("wrong-ack:i"), failed, false, nothing, 0, 2);
        Row("wrong ack of r", fault("wrong-ack:r"), once, false, nothing, 0, 1);
        Row("answer from 3rd", fault("answer-from:3"), none, true, all, 0, 3);
        // The fourth transmission is heard, but too late: its echo answers the second attempt's first "i".
        Row("answer from 4th", fault("answer-from:4"), failed, false, nothing, 0, 5);
        Row("skipped block", fault("skip-block"), none, true, "100/100/100", 3, 1);
        Row("noise first", fault("noise:20"), none, true, all, 0, 1);
        Row("stall", fault("stall:3"), once, false, "300/0/0", 0, 1);
        Row("stall 5 s", fault("stall:3:5000"), none, true, all, 0, 1);
        Row("stall 25 s", fault("stall:3:25000"), once, false, "300/0/0", 0, 1);
        Row("interface at 9600", QStringList{"--emu-baud=2"}, failed, false, nothing, 0, 8);
        Row("i only at 19200", fault("baud-only:3"), failed, false, nothing, 0, 8);
        Row("absent", fault("disappear"), Messages{NO_ACCESS}, false, nothing, 0, 0);
        // The connection takes 12 bytes; the trace request is the 13th.
        Row("gone at request", fault("disappear:12"), once, false, nothing, 0, 1);
        Row("gone mid-trace", fault("vanish-in-trace:2"), once, false, "200/0/0", 0, 1);
        Row("version without V", fault("wrong-ack:v"), failed, false, nothing, 0, 2);
        Row("wrong digit", fault("wrong-digit"), failed, false, nothing, 0, 2);
        Row("partial last block", fault("partial-block"), once, false, "449/0/0", 0, 1);
    }
    void faultMatrix() {
        QFETCH(QStringList, args);
        QFETCH(bool, open);
        Rig rig(args);
        rig.link.ConnectInterface();
        QTEST(static_cast<int>(rig.port.device().received().count('i')), "iSent");
        QTEST(rig.tick(), "stored");
        QTEST(rig.dialogs.messages, "messages");
        QCOMPARE(rig.port.isOpen(), open);
        QTEST(int(rig.model.invalidTransferCount), "invalid");

        // Put right, the interface is found by the search and the next connection reads whole traces.
        rig.port.clearFaults();
        rig.dialogs.messages.clear();
        QuietSearchView searchView;
        const auto found = AutoConfigure(rig.link, rig.portMap, searchView).Run();
        QVERIFY(found);
        rig.model.settings.portNumber = static_cast<std::int16_t>(found->portNumber);
        rig.model.settings.baudIndex = static_cast<std::int16_t>(found->baudIndex);
        rig.link.ConnectInterface();
        QCOMPARE(rig.tick(), QStringLiteral("500/500/500"));
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages.first().title, QStringLiteral("Auto config"));
        QVERIFY(rig.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
