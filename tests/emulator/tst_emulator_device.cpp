// The emulated interface on its own: its answer to each command, its trace blocks, the pace of its answers,
// the "--emu-..." options that configure it, and the lossy cable before it.

#include <QTest>

#include "DeviceModel.h"
#include "EmulatorOptionsOf.h"
#include "FakeClock.h"
#include "PtyServer.h"
#include "Signal.h"

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
};

QTEST_GUILESS_MAIN(TestEmulatorDevice)
#include "tst_emulator_device.moc"
