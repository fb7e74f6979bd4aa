// The emulated lossy cable: its options, the line that changes it while serving, and the levels it gives.
#include <QTest>

#include "EmulatorOptions.h"
#include "FakeClock.h"
#include "PtyServer.h"
#include "Signal.h"

using namespace tk;

class TestEmulatorLoss : public QObject {
    Q_OBJECT
private slots:
    void options_data() {
        QTest::addColumn<QString>("arg");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("loss");
        QTest::addColumn<bool>("steady");
        QTest::newRow("none") << "" << true << 0.0 << false;
        QTest::newRow("loss") << "--emu-loss=10" << true << 10.0 << false;
        QTest::newRow("fraction") << "--emu-loss=2.5" << true << 2.5 << false;
        QTest::newRow("gain") << "--emu-loss=-6" << true << -6.0 << false;
        QTest::newRow("too much") << "--emu-loss=101" << false << 0.0 << false;
        QTest::newRow("not a number") << "--emu-loss=ten" << false << 0.0 << false;
        QTest::newRow("steady scene") << "--emu-scene=steady" << true << 0.0 << true;
        QTest::newRow("live scene") << "--emu-scene=live" << true << 0.0 << false;
        QTest::newRow("other scene") << "--emu-scene=calm" << false << 0.0 << false;
    }
    void options() {
        QFETCH(QString, arg);
        QFETCH(bool, valid);
        QFETCH(double, loss);
        QFETCH(bool, steady);
        QString error;
        const auto o = ParseEmulatorOptions(arg.isEmpty() ? QStringList{} : QStringList{arg}, &error);
        QCOMPARE(o.has_value(), valid);
        if (!valid) return;
        QCOMPARE(ToDeviceConfig(*o).lossDb, loss);
        QCOMPARE(ToDeviceConfig(*o).steadyScene, steady);
    }

    void controlLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("loss");
        QTest::addColumn<bool>("understood");
        QTest::newRow("loss") << "loss 10" << 10.0 << true;
        QTest::newRow("blanks and line end") << "  loss   3.5 \r" << 3.5 << true;
        QTest::newRow("no value") << "loss" << 0.0 << false;
        QTest::newRow("bad value") << "loss x" << 0.0 << false;
        QTest::newRow("other") << "gain 3" << 0.0 << false;
    }
    void controlLine() {
        QFETCH(QString, line);
        QFETCH(double, loss);
        QFETCH(bool, understood);
        test::FakeClock clock;
        emu::PtyServer server(emu::DeviceConfig{}, clock);
        const QString answer = server.applyControlLine(line);
        QCOMPARE(server.device().acquisition().lossDb(), loss);
        QCOMPARE(answer.startsWith(QStringLiteral("not understood")), !understood);
    }

    // The loss grows linearly from nothing at the first point of a sweep to its full value at the last.
    void lossGrowsAlongTheSweep_data() {
        QTest::addColumn<int>("resolution");
        QTest::newRow("500 points") << 8;
        QTest::newRow("4000 points") << 1;
    }
    void lossGrowsAlongTheSweep() {
        QFETCH(int, resolution);
        emu::SignalGenerator signal(7, true);
        std::vector<std::uint8_t> clear, lossy;
        signal.sweep(3, resolution, clear);
        signal.sweep(3, resolution, lossy, 6.0);
        const int n = static_cast<int>(clear.size());
        QCOMPARE(n, 4000 / resolution);
        auto drop = [&](int i) { return clear[i] - lossy[i]; };
        QCOMPARE(drop(0), 0);
        QVERIFY(std::abs(drop(n / 2) - 9.6) <= 1.0);  // 3 dB
        QVERIFY(std::abs(drop(n - 1) - 19.1) <= 1.0);  // 6 dB
    }
};

QTEST_GUILESS_MAIN(TestEmulatorLoss)
#include "tst_emulator_loss.moc"
