// The emulated interface's model on its own: the bytes it answers to each command, its line rates and
// timing, the traces it keeps, and the faults it can be told to show.

#include <QTest>
#include <algorithm>
#include <numeric>

#include "DeviceModel.h"
#include "Faults.h"

using namespace tk::emu;

namespace {

DeviceConfig Instant(const Faults& faults = {}) {
    DeviceConfig c;
    c.pacing = false;
    c.latency = 0.0;
    c.faults = faults;
    return c;
}

Faults FaultsOf(const QStringList& specs) {
    Faults f;
    for (const QString& s : specs) {
        QString error;
        if (!AddFault(s, f, &error)) qFatal("bad fault in test: %s", qPrintable(error));
    }
    return f;
}

// Sends the bytes at time t at the interface's own rate and returns everything it queued in answer.
QByteArray Talk(DeviceModel& d, const QByteArray& bytes, double t = 0.0) {
    for (const char c : bytes) d.receive(c, t, std::nullopt);
    return d.takeOutput(t + 1e6, std::nullopt);
}

// The trace blocks in a reply: header letter, block number, levels.
struct Block {
    char header;
    int number;
    QByteArray levels;
};
QList<Block> Blocks(const QByteArray& reply) {
    QList<Block> out;
    for (qsizetype i = 0; i + TRACE_BLOCK_SIZE <= reply.size(); i += TRACE_BLOCK_SIZE)
        out.append({reply.at(i), static_cast<unsigned char>(reply.at(i + 1)), reply.mid(i + 2, 100)});
    return out;
}

QByteArray LevelsOf(const QByteArray& reply) {
    QByteArray levels;
    for (const Block& b : Blocks(reply)) levels += b.levels;
    return levels;
}

double Mean(const QByteArray& levels) {
    double sum = 0;
    for (const char c : levels) sum += static_cast<unsigned char>(c);
    return sum / static_cast<double>(levels.size());
}

}  // namespace

class TestEmulatorDevice : public QObject {
    Q_OBJECT
private slots:
    void answersCommandsByteForByte_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("answer");
        // Two-letter commands: each character acknowledged with its upper-case letter.
        for (const char* cmd : {"bc", "bd", "be", "bf", "bo", "bp", "br", "bn"})
            QTest::newRow(cmd) << QByteArray(cmd) << QByteArray(cmd).toUpper();
        // Baud switch: "I", then the digit itself.
        for (const char* cmd : {"i1", "i2", "i3", "i4", "i5"})
            QTest::newRow(cmd) << QByteArray(cmd) << QByteArray(cmd).toUpper();
        // Nothing to answer.
        QTest::newRow("unknown letter") << QByteArray("x") << QByteArray();
        QTest::newRow("upper-case command") << QByteArray("B") << QByteArray();
        QTest::newRow("second letter alone") << QByteArray("c") << QByteArray();
        QTest::newRow("digit alone") << QByteArray("3") << QByteArray();
        QTest::newRow("NUL") << QByteArray(1, '\0') << QByteArray();
        QTest::newRow("high byte") << QByteArray("\xE2") << QByteArray();
        // What a pending "b" or "i" makes of the next byte.
        QTest::newRow("b repeated keeps waiting") << QByteArray("bbc") << QByteArray("BBC");
        QTest::newRow("bad second letter ends the wait") << QByteArray("bxc") << QByteArray("B");
        QTest::newRow("command after a bad second letter") << QByteArray("bxbc") << QByteArray("BBC");
        QTest::newRow("trace letter as second letter") << QByteArray("ba") << QByteArray("B");
        QTest::newRow("i as second letter") << QByteArray("bi5") << QByteArray("B");
        QTest::newRow("upper-case second letter") << QByteArray("bCbc") << QByteArray("BBC");
        QTest::newRow("i repeated keeps waiting") << QByteArray("ii3") << QByteArray("II3");
        QTest::newRow("digit 6 ends the wait") << QByteArray("i6bc") << QByteArray("IBC");
        QTest::newRow("digit 0 ends the wait") << QByteArray("i0bc") << QByteArray("IBC");
        QTest::newRow("letter where a digit is awaited") << QByteArray("ibc") << QByteArray("I");
        QTest::newRow("b resolution then online") << QByteArray("bfbo") << QByteArray("BFBO");
    }
    void answersCommandsByteForByte() {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, answer);
        DeviceModel d(Instant(), 0.0);
        QCOMPARE(Talk(d, sent), answer);
    }

    void commandsChangeTheModuleState_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<bool>("sleeping");
        QTest::addColumn<bool>("calculating");
        QTest::newRow("switched on") << QByteArray() << 8 << false << true;
        QTest::newRow("bc") << QByteArray("bc") << 1 << false << true;
        QTest::newRow("bd") << QByteArray("bd") << 2 << false << true;
        QTest::newRow("be") << QByteArray("be") << 4 << false << true;
        QTest::newRow("bf after bc") << QByteArray("bcbf") << 8 << false << true;
        QTest::newRow("bp") << QByteArray("bp") << 8 << true << true;
        QTest::newRow("bo after bp") << QByteArray("bpbo") << 8 << false << true;
        QTest::newRow("bn") << QByteArray("bn") << 8 << false << false;
        QTest::newRow("br after bn") << QByteArray("bnbr") << 8 << false << true;
        QTest::newRow("bad second letter is not kept") << QByteArray("bxc") << 8 << false << true;
        QTest::newRow("c alone does nothing") << QByteArray("c") << 8 << false << true;
        QTest::newRow("repeated b") << QByteArray("bbd") << 2 << false << true;
    }
    void commandsChangeTheModuleState() {
        QFETCH(QByteArray, sent);
        DeviceModel d(Instant(), 0.0);
        Talk(d, sent);
        QTEST(d.acquisition().resolution(), "resolution");
        QTEST(d.acquisition().sleeping(), "sleeping");
        QTEST(d.acquisition().calculating(), "calculating");
    }

    void versionBlockHoldsTheVersionInItsFirst80Bytes() {
        DeviceModel d(Instant(), 0.0);
        const QByteArray reply = Talk(d, "bv");
        QCOMPARE(reply.size(), 1 + 89);  // exactly what the program waits for
        QCOMPARE(reply.at(0), 'B');
        const QByteArray block = reply.mid(1);
        const qsizetype v = block.left(80).indexOf('V');
        QVERIFY(v > 0);  // not at the start: a reader must search for it
        QCOMPARE(block.mid(v, 5), QByteArray(FIRMWARE_VERSION));
        QCOMPARE(Talk(d, "bc"), QByteArray("BC"));  // the block ends the "b" wait
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
        const QList<Block> got = Blocks(reply);
        QByteArray levels;
        for (int n = 0; n < blocks; ++n) {
            QCOMPARE(got[n].header, static_cast<char>(request - 32));
            QCOMPARE(got[n].number, n);
            levels += got[n].levels;
        }
        const TraceKind kind = request == 'a'   ? TraceKind::Actual
                               : request == 's' ? TraceKind::Peak
                                                : TraceKind::Average;
        QCOMPARE(levels, d.acquisition().trace(kind));
    }

    void bytesAtAnotherRateAreNotUnderstood_data() {
        QTest::addColumn<int>("deviceBaudIndex");
        QTest::addColumn<int>("senderBaud");
        QTest::addColumn<QByteArray>("answer");
        const int rates[] = {2400, 9600, 19200, 38400, 115200};
        for (int d = 1; d <= 5; ++d)
            for (const int r : rates)
                QTest::addRow("interface %d, sender %d", d, r)
                    << d << r << (rates[d - 1] == r ? QByteArray("BC") : QByteArray());
    }
    void bytesAtAnotherRateAreNotUnderstood() {
        QFETCH(int, deviceBaudIndex);
        QFETCH(int, senderBaud);
        DeviceConfig config = Instant();
        config.baudIndex = deviceBaudIndex;
        DeviceModel d(config, 0.0);
        d.receive('b', 0.0, senderBaud);
        d.receive('c', 0.0, senderBaud);
        QTEST(d.takeOutput(1.0, senderBaud), "answer");
        QCOMPARE(d.acquisition().resolution(), senderBaud == d.baudAt(0.0) ? 1 : 8);
    }

    void baudDigitSwitchesTheRateAfterItsEcho_data() {
        QTest::addColumn<char>("digit");
        QTest::addColumn<int>("rate");
        QTest::newRow("1") << '1' << 2400;
        QTest::newRow("2") << '2' << 9600;
        QTest::newRow("3") << '3' << 19200;
        QTest::newRow("4") << '4' << 38400;
        QTest::newRow("5") << '5' << 115200;
    }
    void baudDigitSwitchesTheRateAfterItsEcho() {
        QFETCH(char, digit);
        QFETCH(int, rate);
        DeviceConfig config;  // paced, 2 ms latency
        DeviceModel d(config, 0.0);
        d.receive('i', 0.0, 2400);
        d.receive(digit, 0.1, 2400);
        // The echo leaves at the old rate, after the latency.
        const double echoEnd = 0.1 + 0.002 + 10.0 / 2400;
        QCOMPARE(d.takeOutput(echoEnd - 1e-6, 2400), QByteArray("I"));
        QCOMPARE(d.takeOutput(echoEnd, 2400), QByteArray(1, digit));
        QCOMPARE(d.baudAt(echoEnd - 1e-6), 2400);
        QCOMPARE(d.baudAt(echoEnd), rate);
        // From then on only the new rate is understood.
        if (rate != 2400) {
            d.receive('b', 0.2, 2400);
            QCOMPARE(d.takeOutput(1.0, std::nullopt), QByteArray());
        }
        d.receive('b', 1.0, rate);
        QCOMPARE(d.takeOutput(2.0, rate), QByteArray("B"));
    }

    void answersArePacedAtTheLineRate_data() {
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("rate");
        QTest::newRow("2400") << 1 << 2400;
        QTest::newRow("9600") << 2 << 9600;
        QTest::newRow("115200") << 5 << 115200;
    }
    void answersArePacedAtTheLineRate() {
        QFETCH(int, baudIndex);
        QFETCH(int, rate);
        DeviceConfig config;
        config.baudIndex = baudIndex;
        config.latency = 0.005;
        DeviceModel d(config, 0.0);
        for (const char c : QByteArray("bc")) d.receive(c, 0.0, rate);
        d.takeOutput(1.0, rate);
        const double t0 = 10.0;
        d.receive('a', t0, rate);
        const double byteTime = 10.0 / rate;
        // First byte: latency plus one byte time; then one byte time each; the last of 4080 bytes at the end.
        QCOMPARE(*d.nextOutputTime(), t0 + 0.005 + byteTime);
        QCOMPARE(d.takeOutput(t0 + 0.005 + 100 * byteTime, rate).size(), 100);
        const double end = t0 + 0.005 + 4080 * byteTime;
        QCOMPARE(d.takeOutput(end - byteTime / 2, rate).size(), 4080 - 100 - 1);
        QCOMPARE(d.takeOutput(end, rate).size(), 1);
        QVERIFY(!d.nextOutputTime());
    }

    void commandsQueueBehindARunningTransfer() {
        DeviceConfig config;
        config.baudIndex = 2;
        config.latency = 0.0;
        DeviceModel d(config, 0.0);
        d.receive('a', 0.0, 9600);  // 5 blocks: 510 bytes, 0.53125 s
        d.receive('b', 0.1, 9600);
        const QByteArray all = d.takeOutput(0.53125, 9600);
        QCOMPARE(all.size(), 510);
        QCOMPARE(d.takeOutput(0.53125 + 10.0 / 9600, 9600), QByteArray("B"));
    }

    void sameSeedSameSignal() {
        DeviceConfig config = Instant();
        config.seed = 7;
        DeviceModel a(config, 0.0), b(config, 0.0);
        config.seed = 8;
        DeviceModel c(config, 0.0);
        for (DeviceModel* d : {&a, &b, &c}) Talk(*d, "bc");
        // Different schedules of sweeps must not matter: a runs them one by one, b catches up at once.
        for (int i = 1; i <= 30; ++i) a.advanceTo(i * 0.1);
        b.advanceTo(3.0);
        c.advanceTo(3.0);
        for (const TraceKind k : {TraceKind::Actual, TraceKind::Peak, TraceKind::Average}) {
            QCOMPARE(a.acquisition().trace(k), b.acquisition().trace(k));
            QVERIFY(a.acquisition().trace(k) != c.acquisition().trace(k));
        }
    }

    void tracesLookLikeASpectrum() {
        DeviceModel d(Instant(), 0.0);
        Talk(d, "bc");
        d.advanceTo(10.0);  // 100 sweeps
        const QByteArray actual = d.acquisition().trace(TraceKind::Actual);
        const QByteArray peak = d.acquisition().trace(TraceKind::Peak);
        const QByteArray average = d.acquisition().trace(TraceKind::Average);
        QCOMPARE(actual.size(), 4000);
        // The noise floor: most points of the average lie between raw 30 and 60.
        QByteArray sorted = average;
        std::sort(sorted.begin(), sorted.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
        const int median = static_cast<unsigned char>(sorted.at(2000));
        QVERIFY2(median >= 30 && median <= 60, qPrintable(QString::number(median)));
        // Carriers stand well above it, the strongest near raw 210.
        const int top =
            static_cast<unsigned char>(*std::max_element(peak.begin(), peak.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            }));
        QVERIFY2(top >= 200 && top <= 230, qPrintable(QString::number(top)));
        int carrierPoints = 0;
        for (const char c : actual) carrierPoints += static_cast<unsigned char>(c) > 100;
        QVERIFY(carrierPoints > 20 && carrierPoints < 600);
        // Peak hold is never below the average, and on noise visibly above it.
        for (qsizetype i = 0; i < peak.size(); ++i)
            QVERIFY(static_cast<unsigned char>(peak[i]) >= static_cast<unsigned char>(average[i]));
        QVERIFY(Mean(peak) > Mean(average) + 10);
        QVERIFY(Mean(peak) > Mean(actual) + 10);
    }

    void burstAndDriftShowInPeakHoldOnly() {
        DeviceModel d(Instant(), 0.0);
        const SignalGenerator& s = d.acquisition().signal();
        // The burst is on in a few sweeps of each frame, off in most.
        int on = 0;
        for (int n = 0; n < 250; ++n) on += s.burstOn(n);
        QCOMPARE(on, 30);
        QVERIFY(s.driftCenter(0) != s.driftCenter(100));
        // Find a sweep without the burst and check that peak hold kept the burst from an earlier sweep.
        Talk(d, "bc");
        std::int64_t quiet = 0;
        for (std::int64_t n = 26; n < 100; ++n)
            if (!s.burstOn(n) && !s.burstOn(n - 1) && !s.burstOn(n - 2)) quiet = n;
        d.advanceTo(static_cast<double>(quiet) * 0.1 + 0.05);
        QCOMPARE(d.acquisition().sweepNumber(), quiet);
        const int burstX = 2150;
        QVERIFY(static_cast<unsigned char>(d.acquisition().trace(TraceKind::Peak).at(burstX)) > 170);
        QVERIFY(static_cast<unsigned char>(d.acquisition().trace(TraceKind::Actual).at(burstX)) < 120);
    }

    void sleepingFreezesTheSweep() {
        DeviceModel d(Instant(), 0.0);
        Talk(d, "bp", 0.55);
        const std::int64_t frozen = d.acquisition().sweepNumber();
        QCOMPARE(frozen, 5);
        const QByteArray before = Talk(d, "a", 0.6);
        QCOMPARE(Talk(d, "a", 30.0), before);
        QCOMPARE(d.acquisition().sweepNumber(), frozen);
        // Awake again, the next sweep ends one period later.
        Talk(d, "bo", 40.0);
        d.advanceTo(40.09);
        QCOMPARE(d.acquisition().sweepNumber(), frozen);
        d.advanceTo(40.1);
        QCOMPARE(d.acquisition().sweepNumber(), frozen + 1);
    }

    void resolutionCommandRestartsPeakAndAverage() {
        DeviceModel d(Instant(), 0.0);
        d.advanceTo(5.0);
        QVERIFY(Talk(d, "s", 5.0) != Talk(d, "a", 5.0));
        Talk(d, "bf", 5.0);
        QCOMPARE(d.acquisition().calculatedSweeps(), 1);
        const QByteArray actual = LevelsOf(Talk(d, "a", 5.0));
        QCOMPARE(actual.size(), 500);
        QCOMPARE(LevelsOf(Talk(d, "s", 5.0)), actual);
        QCOMPARE(LevelsOf(Talk(d, "m", 5.0)), actual);
    }

    void calculatingOffHoldsPeakAndAverage() {
        DeviceModel d(Instant(), 0.0);
        d.advanceTo(2.0);
        Talk(d, "bn", 2.0);
        const QByteArray peak = d.acquisition().trace(TraceKind::Peak);
        const QByteArray average = d.acquisition().trace(TraceKind::Average);
        const QByteArray actual = d.acquisition().trace(TraceKind::Actual);
        d.advanceTo(5.0);
        QVERIFY(d.acquisition().trace(TraceKind::Actual) != actual);
        QCOMPARE(d.acquisition().trace(TraceKind::Peak), peak);
        QCOMPARE(d.acquisition().trace(TraceKind::Average), average);
        Talk(d, "br", 5.0);
        d.advanceTo(6.0);
        QVERIFY(d.acquisition().trace(TraceKind::Average) != average);
    }

    void faultsChangeTheAnswers_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("silent") << QStringList{"silent"} << QByteArray("bcbo") << QByteArray();
        QTest::newRow("silent for one letter")
            << QStringList{"silent:o"} << QByteArray("bcbobr") << QByteArray("BCBBR");
        QTest::newRow("wrong ack") << QStringList{"wrong-ack"} << QByteArray("bci3") << QByteArray("bci\x13");
        QTest::newRow("wrong ack for one letter")
            << QStringList{"wrong-ack:c"} << QByteArray("bcbo") << QByteArray("BcBO");
        QTest::newRow("answer from 3rd")
            << QStringList{"answer-from:3"} << QByteArray("bbbcccc") << QByteArray("BC");
        QTest::newRow("answer from 2nd, count restarts")
            << QStringList{"answer-from:2"} << QByteArray("bbccbbcc") << QByteArray("BCBC");
        QTest::newRow("answer from 2nd, run broken")
            << QStringList{"answer-from:2"} << QByteArray("bcbbcc") << QByteArray("BC");
        QTest::newRow("answer from 2nd, one letter")
            << QStringList{"answer-from:2:c"} << QByteArray("bccbo") << QByteArray("BCBO");
        QTest::newRow("baud-only at its rate")
            << QStringList{"baud-only:1"} << QByteArray("i2") << QByteArray("I2");
    }
    void faultsChangeTheAnswers() {
        QFETCH(QStringList, faults);
        QFETCH(QByteArray, sent);
        DeviceModel d(Instant(FaultsOf(faults)), 0.0);
        QTEST(Talk(d, sent), "answer");
    }

    void wrongAckOfVersionHidesTheV() {
        DeviceModel d(Instant(FaultsOf({"wrong-ack:v"})), 0.0);
        const QByteArray reply = Talk(d, "bv");
        QCOMPARE(reply.size(), 1 + 89);  // exactly what the program waits for
        QVERIFY(!reply.mid(1).contains('V'));
        QVERIFY(reply.contains("v2.31"));
    }

    void baudOnlyAnswersIOnlyAtItsRate_data() {
        QTest::addColumn<int>("senderBaud");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("2400") << 2400 << QByteArray();
        QTest::newRow("9600") << 9600 << QByteArray();
        QTest::newRow("19200") << 19200 << QByteArray("I3");
        QTest::newRow("115200") << 115200 << QByteArray();
    }
    void baudOnlyAnswersIOnlyAtItsRate() {
        QFETCH(int, senderBaud);
        DeviceModel d(Instant(FaultsOf({"baud-only:3"})), 0.0);
        d.receive('i', 0.0, senderBaud);
        d.receive('3', 0.0, senderBaud);
        QTEST(d.takeOutput(1.0, senderBaud), "answer");
    }

    void disappearsAfterNBytes() {
        DeviceModel absent(Instant(FaultsOf({"disappear"})), 0.0);
        QVERIFY(absent.vanished());
        DeviceModel d(Instant(FaultsOf({"disappear:3"})), 0.0);
        QCOMPARE(Talk(d, "bc"), QByteArray("BC"));
        d.receive('b', 1.0, std::nullopt);
        QVERIFY(!d.vanished());
        d.receive('a', 1.0, std::nullopt);
        QVERIFY(d.vanished());
        QCOMPARE(Talk(d, "bc", 2.0), QByteArray());
    }

    void traceFaults_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("noise");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("none") << QStringList{} << 0 << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("skip-block") << QStringList{"skip-block"} << 0 << QList<int>{0, 2, 3, 4, 5};
        QTest::newRow("skip-block:3") << QStringList{"skip-block:3"} << 0 << QList<int>{0, 1, 2, 4, 5};
        QTest::newRow("noise") << QStringList{"noise"} << 8 << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("noise:300") << QStringList{"noise:300"} << 300 << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("stall") << QStringList{"stall"} << 0 << QList<int>{0, 1};
        QTest::newRow("stall:4") << QStringList{"stall:4"} << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("stall and skip") << QStringList{"stall:3", "skip-block:1"} << 0 << QList<int>{0, 2, 3};
    }
    void traceFaults() {
        QFETCH(QStringList, faults);
        QFETCH(int, noise);
        QFETCH(QList<int>, numbers);
        DeviceModel d(Instant(FaultsOf(faults)), 0.0);
        const QByteArray reply = Talk(d, "m");
        QCOMPARE(reply.size(), noise + numbers.size() * TRACE_BLOCK_SIZE);
        for (const char c : reply.left(noise)) QVERIFY(c != 'A' && c != 'S' && c != 'M');
        const QList<Block> got = Blocks(reply.mid(noise));
        QList<int> gotNumbers;
        for (const Block& b : got) {
            QCOMPARE(b.header, 'M');
            gotNumbers.append(b.number);
        }
        QCOMPARE(gotNumbers, numbers);
    }

    void stalledTraceResumesWhenAsked() {
        DeviceConfig config = Instant(FaultsOf({"stall:2:1500"}));
        DeviceModel d(config, 0.0);
        d.receive('a', 1.0, std::nullopt);
        QCOMPARE(d.takeOutput(2.499, std::nullopt).size(), 2 * TRACE_BLOCK_SIZE);
        const QByteArray rest = d.takeOutput(2.5, std::nullopt);
        QCOMPARE(rest.size(), 3 * TRACE_BLOCK_SIZE);
        QCOMPARE(rest.at(1), '\x02');
    }
};

QTEST_GUILESS_MAIN(TestEmulatorDevice)
#include "tst_emulator_device.moc"
