// The emulated interface on its own: its answer to each command, the version and trace blocks, the pace of
// its answers, and the "--emu-..." options that configure it.

#include <QTest>

#include "DeviceModel.h"
#include "EmulatorOptions.h"

using namespace tk;
using namespace tk::emu;

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

}  // namespace

class TestEmulatorDevice : public QObject {
    Q_OBJECT
private slots:
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

    void versionBlockHoldsTheVersionInItsFirst80Bytes() {
        DeviceModel d(Instant(), 0.0);
        const QByteArray reply = Talk(d, "bv");
        QCOMPARE(reply.size(), 1 + 89);  // exactly what the program waits for
        QCOMPARE(reply.at(0), 'B');
        const qsizetype v = reply.mid(1, 80).indexOf('V');
        QVERIFY(v > 0);  // not at the start: a reader must search for it
        QCOMPARE(reply.mid(1 + v, 5), QByteArray("V2.31"));
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
        QByteArray levels;
        for (int n = 0; n < blocks; ++n) {
            const QByteArray block = reply.mid(n * TRACE_BLOCK_SIZE, TRACE_BLOCK_SIZE);
            QCOMPARE(block.at(0), static_cast<char>(request - 32));
            QCOMPARE(block.at(1), static_cast<char>(n));
            levels += block.mid(2);
        }
        const TraceKind kind = request == 'a'   ? TraceKind::Actual
                               : request == 's' ? TraceKind::Peak
                                                : TraceKind::Average;
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
        QString error;
        const auto options = ParseEmulatorOptions({"--emu-baud=5", "--emu-latency-ms=5"}, &error);
        QVERIFY2(options, qPrintable(error));
        DeviceModel d(ToDeviceConfig(*options), 0.0);
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
        QTest::addColumn<QString>("expected");  // "seed pacing latency sweep baud"; empty: refused
        QTest::newRow("defaults") << QStringList{} << "1 1 2 100 1";
        QTest::newRow("all") << QStringList{"--emu-seed=42", "--emu-pacing=off", "--emu-latency-ms=0",
                                            "--emu-sweep-ms=250", "--emu-baud=5"}
                             << "42 0 0 250 5";
        QTest::newRow("last wins") << QStringList{"--emu-pacing=off", "--emu-pacing=on"} << "1 1 2 100 1";
        QTest::newRow("large seed") << QStringList{"--emu-seed=18446744073709551615"}
                                    << "18446744073709551615 1 2 100 1";
        QTest::newRow("others passed over")
            << QStringList{"start.scp", "--emulator", "--emu-baud=3", "-x"} << "1 1 2 100 3";
        const QString refused = QStringLiteral(
            "--emu-speed=3 --emu-seed --emu-seed=-1 --emu-pacing=yes --emu-latency-ms=-1 --emu-sweep-ms=0 "
            "--emu-baud=0 --emu-baud=9600 --emu-fault=explode --emu-fault=answer-from "
            "--emu-fault=answer-from:0 "
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
        if (o)
            QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(qulonglong(o->seed))
                         .arg(int(o->pacing))
                         .arg(o->latencyMs)
                         .arg(o->sweepMs)
                         .arg(o->baudIndex),
                     expected);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorDevice)
#include "tst_emulator_device.moc"
