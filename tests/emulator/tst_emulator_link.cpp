// The link layer talking to the emulated interface through the in-process port, in simulated time: the
// connection sequence at every rate, the messages and port state each fault leads to, trace transfers and
// their timing, and how the port behaves as a serial line.

#include <QTest>
#include <cmath>

#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "RoutingSerialPort.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"
#include "StartUp.h"
#include "TraceReader.h"
#include "Units.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
const Message IGNORED{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
const Message NO_ACCESS{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")};

EmulatorOptions Options(const QStringList& args) {
    QString error;
    const auto options = ParseEmulatorOptions(args, &error);
    if (!options) qFatal("bad emulator options in test: %s", qPrintable(error));
    return *options;
}

struct Rig {
    explicit Rig(const QStringList& args = {}) : port(clock, Options(args)) {}

    FakeClock clock;
    EmulatorPort port;
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};

    int sent(char c) const { return static_cast<int>(port.device().received().count(c)); }
};

struct Reception {
    QByteArray bytes;
    double lastArrival = 0.0;  // clock time when the last byte was seen
};

// Collects what arrives for the given simulated seconds, polling as the link does.
Reception Collect(EmulatorPort& port, Clock& clock, double seconds) {
    Reception r;
    const double end = clock.seconds() + seconds;
    while (clock.seconds() < end) {
        port.waitForData(10);
        if (const int n = port.bytesWaiting(); n > 0) {
            r.bytes += port.read(n);
            r.lastArrival = clock.seconds();
        }
    }
    return r;
}

QList<int> BlockNumbers(const QByteArray& bytes, char header) {
    QList<int> numbers;
    for (qsizetype i = 0; i + 102 <= bytes.size(); i += 102) {
        if (bytes.at(i) != header) return {};
        numbers.append(static_cast<unsigned char>(bytes.at(i + 1)));
    }
    return numbers;
}

emu::TraceKind EmulatorKind(TraceKind kind) {
    switch (kind) {
        case TraceKind::Peak:
            return emu::TraceKind::Peak;
        case TraceKind::Average:
            return emu::TraceKind::Average;
        default:
            return emu::TraceKind::Actual;
    }
}

// Only what the search shows matters here: nothing.
class SilentSearchView final : public AutoConfigureView {
public:
    void SelectPort(int) override {}
    void SelectBaud(int) override {}
    void DeselectPort(int) override {}
    void DeselectBaud(int) override {}
    void ShowProgress(int, int) override {}
    void SearchEnded() override {}
};

QList<int> Count(int n, int from = 0) {
    QList<int> list;
    for (int i = 0; i < n; ++i) list.append(from + i);
    return list;
}

}  // namespace

class TestEmulatorLink : public QObject {
    Q_OBJECT
private slots:
    void connectsAtEveryRate_data() {
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("2400, 500 points") << 1 << 8 << QByteArray("i1bvbobfbobr");
        QTest::newRow("9600, 1000 points") << 2 << 4 << QByteArray("i2bvbobebobr");
        QTest::newRow("19200, 2000 points") << 3 << 2 << QByteArray("i3bvbobdbobr");
        QTest::newRow("38400, 4000 points") << 4 << 1 << QByteArray("i4bvbobcbobr");
        QTest::newRow("115200, 500 points") << 5 << 8 << QByteArray("i5bvbobfbobr");
    }
    void connectsAtEveryRate() {
        QFETCH(int, baudIndex);
        QFETCH(int, resolution);
        Rig rig;
        rig.model.settings.baudIndex = static_cast<std::int16_t>(baudIndex);
        rig.model.settings.resolution = static_cast<std::int16_t>(resolution);
        rig.link.ConnectInterface();

        QCOMPARE(rig.dialogs.messages, QList<Message>());
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.view.online);
        QCOMPARE(rig.view.caption, QString::fromLatin1(MAIN_CAPTION) + QStringLiteral("V2.31"));
        QCOMPARE(rig.model.interfaceVersion, QStringLiteral("V2.31"));
        QTEST(rig.port.device().received(), "wire");
        QCOMPARE(rig.port.lineSettings(), *LineSettingsOfIndex(baudIndex));
        QCOMPARE(rig.port.device().baudAt(rig.clock.seconds()), *BaudRateOfIndex(baudIndex));
        const auto& acquisition = rig.port.device().acquisition();
        QCOMPARE(acquisition.resolution(), resolution);
        QVERIFY(!acquisition.sleeping());
        QVERIFY(acquisition.calculating());
        QVERIFY(!rig.model.moduleSleeping);
        QVERIFY(rig.model.moduleCalculating);
    }

    void faultsLeadToTheirMessages_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<Message>>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("transmissionsOfI");
        const QList<Message> twiceThenNoAccess{IGNORED, IGNORED, NO_ACCESS};
        QTest::newRow("well behaved") << QStringList{} << QList<Message>{} << true << 1;
        QTest::newRow("never answers")
            << QStringList{"--emu-fault=silent"} << twiceThenNoAccess << false << 8;
        QTest::newRow("i never answered")
            << QStringList{"--emu-fault=silent:i"} << twiceThenNoAccess << false << 8;
        // The interface still waits for the second letter of "b" when the second attempt begins: its first
        // "i" only ends that wait.
        QTest::newRow("no version block")
            << QStringList{"--emu-fault=silent:v"} << twiceThenNoAccess << false << 3;
        QTest::newRow("wrong ack of i")
            << QStringList{"--emu-fault=wrong-ack:i"} << twiceThenNoAccess << false << 2;
        QTest::newRow("wrong echo of digit")
            << QStringList{"--emu-fault=wrong-ack:1"} << twiceThenNoAccess << false << 2;
        QTest::newRow("wrong ack of b")
            << QStringList{"--emu-fault=wrong-ack:b"} << twiceThenNoAccess << false << 3;
        QTest::newRow("version without V")
            << QStringList{"--emu-fault=wrong-ack:v"} << twiceThenNoAccess << false << 2;
        QTest::newRow("wrong ack of o")
            << QStringList{"--emu-fault=wrong-ack:o"} << twiceThenNoAccess << false << 2;
        // "br" comes after the connection is made: one message, no second attempt.
        QTest::newRow("wrong ack of r")
            << QStringList{"--emu-fault=wrong-ack:r"} << QList<Message>{IGNORED} << false << 1;
        QTest::newRow("every character needs 3 tries")
            << QStringList{"--emu-fault=answer-from:3"} << QList<Message>{} << true << 3;
        QTest::newRow("i needs 2 tries")
            << QStringList{"--emu-fault=answer-from:2:i"} << QList<Message>{} << true << 2;
        // Four "i" on the first attempt, the fifth is heard on the second; then the digit fails.
        QTest::newRow("every character needs 5 tries")
            << QStringList{"--emu-fault=answer-from:5"} << twiceThenNoAccess << false << 5;
        QTest::newRow("interface at 9600") << QStringList{"--emu-baud=2"} << twiceThenNoAccess << false << 8;
        QTest::newRow("i only at 19200")
            << QStringList{"--emu-fault=baud-only:3"} << twiceThenNoAccess << false << 8;
        QTest::newRow("absent") << QStringList{"--emu-fault=disappear"} << QList<Message>{NO_ACCESS} << false
                                << 0;
        QTest::newRow("gone after 3 bytes")
            << QStringList{"--emu-fault=disappear:3"} << QList<Message>{IGNORED, NO_ACCESS} << false << 1;
        QTest::newRow("trace faults only")
            << QStringList{"--emu-fault=skip-block", "--emu-fault=noise", "--emu-fault=stall"}
            << QList<Message>{} << true << 1;
    }
    void faultsLeadToTheirMessages() {
        QFETCH(QStringList, args);
        QFETCH(bool, open);
        Rig rig(args);
        rig.link.ConnectInterface();
        QTEST(rig.dialogs.messages, "messages");
        QCOMPARE(rig.port.isOpen(), open);
        QCOMPARE(rig.view.online, open);
        QTEST(rig.sent('i'), "transmissionsOfI");
        // A closed port keeps every later command off the line.
        const QByteArray before = rig.port.device().received();
        rig.link.SendCommand("bc");
        if (!open) QCOMPARE(rig.port.device().received(), before);
    }

    // "Init ser. I/F" re-opens the port at the rate the interface already runs at and sends "bo" right after
    // the version, with no pause: the version block must be over by the time the program reads it.
    void versionThenCommandWithoutPause_data() {
        QTest::addColumn<int>("baudIndex");
        for (int b = 1; b <= 5; ++b) QTest::addRow("baud index %d", b) << b;
    }
    void versionThenCommandWithoutPause() {
        QFETCH(int, baudIndex);
        Rig rig({QStringLiteral("--emu-baud=%1").arg(baudIndex)});
        rig.port.setLineSettings(*LineSettingsOfIndex(baudIndex));
        QVERIFY(rig.link.OpenPort());
        while (rig.port.bytesWaiting() > 0) rig.port.clearBuffers();
        rig.link.ReadVersion();
        rig.link.SendCommand("bo");
        QCOMPARE(rig.dialogs.messages, QList<Message>());
        QCOMPARE(rig.model.interfaceVersion, QStringLiteral("V2.31"));
        QVERIFY(rig.port.isOpen());
    }

    void retransmissionsCostTheReplyTimeout() {
        Rig plain;
        plain.link.ConnectInterface();
        Rig slow({"--emu-fault=answer-from:2:v"});
        slow.link.ConnectInterface();
        QCOMPARE(slow.dialogs.messages, QList<Message>());
        QCOMPARE(slow.sent('v'), 2);
        // One more transmission of "v" after a reply timeout of about a second (whole-second wait starts).
        const double extra = (slow.clock.seconds() - 36000.0) - (plain.clock.seconds() - 36000.0);
        QVERIFY2(extra > 0.5 && extra < 1.6, qPrintable(QString::number(extra)));
    }

    void interruptedBCommandCostsOneTransmissionOfI() {
        Rig rig;
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        rig.port.write("b");  // the interface now waits for a second letter
        QCOMPARE(Collect(rig.port, rig.clock, 0.1).bytes, QByteArray("B"));
        rig.port.close();
        rig.link.ConnectInterface();
        QCOMPARE(rig.dialogs.messages, QList<Message>());
        QVERIFY(rig.port.isOpen());
        QCOMPARE(rig.sent('i'), 2);  // the first "i" only ended the wait
    }

    void traceTransfersForEachResolution_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<char>("request");
        for (const int r : {1, 2, 4, 8})
            for (const int b : {1, 5})
                for (const char request : {'a', 's', 'm'})
                    QTest::addRow("resolution %d, baud %d, %c", r, b, request) << r << b << request;
    }
    void traceTransfersForEachResolution() {
        QFETCH(int, resolution);
        QFETCH(int, baudIndex);
        QFETCH(char, request);
        Rig rig;
        rig.model.settings.resolution = static_cast<std::int16_t>(resolution);
        rig.model.settings.baudIndex = static_cast<std::int16_t>(baudIndex);
        rig.link.ConnectInterface();
        QVERIFY(rig.port.isOpen());

        rig.port.clearBuffers();
        const double start = rig.clock.seconds();
        rig.port.write(QByteArray(1, request));
        const Reception r = Collect(rig.port, rig.clock, 20.0);
        const int blocks = 40 / resolution;
        QCOMPARE(r.bytes.size(), blocks * 102);
        QCOMPARE(BlockNumbers(r.bytes, static_cast<char>(request - 32)), Count(blocks));
        // Request out, 2 ms latency, the blocks back: each byte ten bit times.
        const double byteTime = 10.0 / *BaudRateOfIndex(baudIndex);
        const double expected = byteTime + 0.002 + blocks * 102 * byteTime;
        QVERIFY2(r.lastArrival - start >= expected - 1e-9 && r.lastArrival - start <= expected + 0.0011,
                 qPrintable(QStringLiteral("%1 s, expected %2 s").arg(r.lastArrival - start).arg(expected)));
    }

    void traceFaultsOnTheLine_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("leadingNoise");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("skip-block") << "skip-block" << 0 << QList<int>{0, 2, 3, 4, 5};
        QTest::newRow("noise") << "noise:5" << 5 << Count(5);
        QTest::newRow("stall for good") << "stall:3" << 0 << Count(3);
        QTest::newRow("stall, resumed") << "stall:3:4000" << 0 << Count(5);
        QTest::newRow("stall, resumed too late") << "stall:1:25000" << 0 << Count(1);
    }
    void traceFaultsOnTheLine() {
        QFETCH(QString, fault);
        QFETCH(int, leadingNoise);
        Rig rig({QStringLiteral("--emu-fault=") + fault});
        rig.link.ConnectInterface();
        rig.port.clearBuffers();
        rig.port.write("a");
        const QByteArray got = Collect(rig.port, rig.clock, 20.0).bytes;
        QVERIFY(got.size() >= leadingNoise);
        for (const char c : got.left(leadingNoise)) QVERIFY(c != 'A');
        QTEST(BlockNumbers(got.mid(leadingNoise), 'A'), "numbers");
    }

    void traceReaderReadsWhatTheInterfaceHolds_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<TraceKind>("kind");
        for (const int r : {1, 2, 4, 8}) {
            QTest::addRow("resolution %d, actual", r) << r << TraceKind::Actual;
            QTest::addRow("resolution %d, peak", r) << r << TraceKind::Peak;
            QTest::addRow("resolution %d, average", r) << r << TraceKind::Average;
        }
    }
    void traceReaderReadsWhatTheInterfaceHolds() {
        QFETCH(int, resolution);
        QFETCH(TraceKind, kind);
        Rig rig;
        rig.model.settings.resolution = static_cast<std::int16_t>(resolution);
        rig.model.settings.baudIndex = 5;
        rig.link.ConnectInterface();
        rig.clock.advance(3.0);      // a few sweeps, so that the three traces differ
        rig.link.SendCommand("bp");  // and then hold still while they are read
        TraceReader(rig.link).Read(kind);

        QCOMPARE(rig.dialogs.messages, QList<Message>());
        QCOMPARE(rig.model.invalidTransferCount, 0);
        QCOMPARE(rig.view.redraws, 1);
        const TraceArray& trace = kind == TraceKind::Actual ? rig.model.traceActual
                                  : kind == TraceKind::Peak ? rig.model.tracePeak
                                                            : rig.model.traceAverage;
        const QByteArray held = rig.port.device().acquisition().trace(EmulatorKind(kind));
        const int points = 4000 / resolution;
        QCOMPARE(held.size(), points);
        for (int i = 0; i < points; ++i)
            QCOMPARE(trace[static_cast<std::size_t>(i)],
                     static_cast<std::int16_t>(static_cast<unsigned char>(held[i])));
        QCOMPARE(trace[static_cast<std::size_t>(points)], std::int16_t(0));
    }

    void traceReaderMeetsTheTraceFaults_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<Message>>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("invalid");
        QTest::addColumn<int>("redraws");
        QTest::addColumn<int>("transmissionsOfA");
        const QString notValid = QStringLiteral("Transmission error - data not valid");
        QTest::newRow("well behaved") << QStringList{} << QList<Message>{} << true << 0 << 1 << 1;
        QTest::newRow("noise before the first block")
            << QStringList{"--emu-fault=noise:20"} << QList<Message>{} << true << 0 << 1 << 1;
        QTest::newRow("block number skipped")
            << QStringList{"--emu-fault=skip-block"} << QList<Message>{} << true << 1 << 0 << 1;
        QTest::newRow("stalls for good")
            << QStringList{"--emu-fault=stall:3"} << QList<Message>{IGNORED} << false << 0 << 0 << 1;
        QTest::newRow("stalls 5 s") << QStringList{"--emu-fault=stall:3:5000"} << QList<Message>{} << true
                                    << 0 << 1 << 1;
        QTest::newRow("stalls past the trace timeout")
            << QStringList{"--emu-fault=stall:3:25000"} << QList<Message>{IGNORED} << false << 0 << 0 << 1;
        QTest::newRow("request never heard")
            << QStringList{"--emu-fault=silent:a"} << QList<Message>{IGNORED} << false << 0 << 0 << 4;
        QTest::newRow("request heard the 3rd time")
            << QStringList{"--emu-fault=answer-from:3:a"} << QList<Message>{} << true << 0 << 1 << 3;
        // The connection takes 12 bytes; the request is the 13th.
        QTest::newRow("gone at the request")
            << QStringList{"--emu-fault=disappear:12"} << QList<Message>{IGNORED} << false << 0 << 0 << 1;
    }
    void traceReaderMeetsTheTraceFaults() {
        QFETCH(QStringList, args);
        QFETCH(int, invalid);
        Rig rig(args);
        rig.link.ConnectInterface();
        QCOMPARE(rig.dialogs.messages, QList<Message>());
        TraceReader(rig.link).ReadActualTrace();
        QTEST(rig.dialogs.messages, "messages");
        QTEST(rig.port.isOpen(), "open");
        QTEST(static_cast<int>(rig.model.invalidTransferCount), "invalid");
        QCOMPARE(rig.view.information,
                 invalid ? QStringLiteral("Transmission error - data not valid") : QString());
        QTEST(rig.view.redraws, "redraws");
        QTEST(rig.sent('a'), "transmissionsOfA");
        QVERIFY(!rig.model.actualBusy);
    }

    // COM1, COM3 and COM4 cannot be opened; the interface hangs on COM2 at whatever rate it runs at.
    void autoConfigurationFindsTheInterface_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("baudIndex");  // 0: not found
        for (int k = 1; k <= 5; ++k)
            QTest::addRow("interface at rate %d", k)
                << QStringList{QStringLiteral("--emu-baud=%1").arg(k)} << k;
        QTest::newRow("i only at 38400") << QStringList{"--emu-fault=baud-only:4"} << 4;
        QTest::newRow("i needs 4 tries")
            << QStringList{"--emu-pacing=off", "--emu-fault=answer-from:4:i"} << 1;
        QTest::newRow("silent") << QStringList{"--emu-fault=silent"} << 0;
        QTest::newRow("wrong ack of i") << QStringList{"--emu-fault=wrong-ack:i"} << 0;
        QTest::newRow("absent") << QStringList{"--emu-fault=disappear"} << 0;
    }
    void autoConfigurationFindsTheInterface() {
        QFETCH(QStringList, args);
        QFETCH(int, baudIndex);
        FakeClock clock;
        ScriptedPort noPort(clock);
        noPort.openFails = true;
        EmulatorPort emulator(clock, Options(args));
        RoutingSerialPort port(noPort);
        port.addDevice(QStringLiteral("emulator"), emulator);
        PortMap portMap;
        portMap.set(2, QStringLiteral("emulator"));
        MeasurementModel model;
        ScriptedDialogs dialogs;
        RecordingLinkView view;
        AnalyzerLink link(model, port, clock, dialogs, view, portMap);
        SilentSearchView searchView;

        const auto found = AutoConfigure(link, portMap, searchView).Run();
        if (baudIndex == 0) {
            QCOMPARE(found, std::nullopt);
            QCOMPARE(dialogs.messages, (QList<Message>{{"No access to analyzer", "Auto config"}}));
            return;
        }
        QCOMPARE(found, (AutoConfigureResult{2, baudIndex}));
        const QString rate = QString::number(*BaudRateOfIndex(baudIndex));
        QCOMPARE(dialogs.messages,
                 (QList<Message>{{"Analyzer connected Com:  2 Baud: " + rate, "Auto config"}}));
        // "&OK" with what was found: the interface takes the switch to its own rate and connects.
        dialogs.messages.clear();
        model.settings.portNumber = 2;
        model.settings.baudIndex = static_cast<std::int16_t>(baudIndex);
        link.ConnectInterface();
        QCOMPARE(dialogs.messages, QList<Message>());
        QVERIFY(port.isOpen());
        QCOMPARE(emulator.device().baudAt(clock.seconds()), rate.toInt());
    }

    void moduleStatesSteerTheTraces() {
        Rig rig({"--emu-pacing=off", "--emu-latency-ms=0"});
        rig.link.ConnectInterface();
        const auto trace = [&](char request) {
            rig.port.clearBuffers();
            rig.port.write(QByteArray(1, request));
            return Collect(rig.port, rig.clock, 0.05).bytes;
        };
        // Sleeping: the same actual trace however long one waits.
        rig.link.SendCommand("bp");
        const QByteArray asleep = trace('a');
        rig.clock.advance(5.0);
        QCOMPARE(trace('a'), asleep);
        rig.link.SendCommand("bo");
        rig.clock.advance(0.5);
        QVERIFY(trace('a') != asleep);
        // Calculating off: peak and average stand still while the sweeps go on.
        rig.link.SendCommand("bn");
        const QByteArray peak = trace('s');
        const QByteArray average = trace('m');
        rig.clock.advance(5.0);
        QCOMPARE(trace('s'), peak);
        QCOMPARE(trace('m'), average);
        rig.link.SendCommand("br");
        rig.clock.advance(5.0);
        QVERIFY(trace('s') != peak);
        QVERIFY(trace('m') != average);
        QCOMPARE(rig.dialogs.messages, QList<Message>());
    }

    void portOpensAnyNameAndTheInterfaceKeepsItsState() {
        Rig rig({"--emu-pacing=off", "--emu-latency-ms=0"});
        QVERIFY(rig.port.open(QStringLiteral("whatever")));
        rig.port.write("bc");
        rig.port.close();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.open(QStringLiteral("/dev/ttyS1")));
        QCOMPARE(rig.port.bytesWaiting(), 0);  // the answers came while the port was closed
        QCOMPARE(rig.port.device().acquisition().resolution(), 1);
    }

    void portWaitsInSimulatedTime() {
        Rig rig;  // 2400 baud, paced, 2 ms latency
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        // Nothing coming: the wait takes its full time.
        double t = rig.clock.seconds();
        QVERIFY(!rig.port.waitForData(50));
        QVERIFY(std::abs(rig.clock.seconds() - t - 0.05) < 1e-9);
        // "b" out (4.17 ms), 2 ms, "B" back (4.17 ms): the wait ends at the next whole millisecond.
        rig.port.write("b");
        t = rig.clock.seconds();
        QVERIFY(rig.port.waitForData(100));
        QVERIFY(std::abs(rig.clock.seconds() - t - 0.011) < 1e-9);
        QCOMPARE(rig.port.read(5), QByteArray("B"));
    }

    void unpacedAnswersAreThereAtOnce() {
        Rig rig({"--emu-pacing=off", "--emu-latency-ms=0"});
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        rig.port.write("bv");
        QCOMPARE(rig.port.bytesWaiting(), 1 + 89);
    }

    void clearingTheBuffersDoesNotStopATransfer() {
        Rig rig;  // 5 blocks at 2400 baud take 2.1 s
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        rig.port.write("a");
        rig.clock.advance(1.0);
        QVERIFY(rig.port.bytesWaiting() > 200);
        rig.port.clearBuffers();
        const int rest = static_cast<int>(Collect(rig.port, rig.clock, 3.0).bytes.size());
        QVERIFY(rest > 200 && rest < 510);
    }

    void portAtAnotherRateHearsNothing() {
        Rig rig({"--emu-baud=3"});
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        rig.port.write("bc");
        QCOMPARE(Collect(rig.port, rig.clock, 0.5).bytes, QByteArray());
        rig.port.setLineSettings(QStringLiteral("19200,N,8,1"));
        rig.port.write("bc");
        QCOMPARE(Collect(rig.port, rig.clock, 0.5).bytes, QByteArray("BC"));
    }

    void vanishingInterfaceClosesThePort() {
        Rig rig({"--emu-fault=disappear:2"});
        QVERIFY(rig.port.open(QStringLiteral("COM2")));
        rig.port.write("bc");
        QVERIFY(rig.port.isOpen());
        rig.port.write("b");
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.port.read(10), QByteArray());
        const double t = rig.clock.seconds();
        QVERIFY(!rig.port.waitForData(20));
        QVERIFY(std::abs(rig.clock.seconds() - t - 0.02) < 1e-9);  // a dead port's wait still takes its time
        QVERIFY(!rig.port.open(QStringLiteral("COM2")));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorLink)
#include "tst_emulator_link.moc"
