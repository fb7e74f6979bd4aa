// The "--emu-..." options as the program and the pseudo-terminal tool take them.

#include <QRegularExpression>
#include <QTest>

#include "EmulatorOptions.h"

using namespace tk;
using namespace tk::emu;

class TestEmulatorOptions : public QObject {
    Q_OBJECT
private slots:
    void defaults() {
        QString error;
        const auto o = ParseEmulatorOptions({}, &error);
        QVERIFY(o);
        QCOMPARE(o->seed, 1u);
        QVERIFY(o->pacing);
        QCOMPARE(o->latencyMs, 2);
        QCOMPARE(o->sweepMs, 100);
        QCOMPARE(o->baudIndex, 1);
        const emu::DeviceConfig c = ToDeviceConfig(*o);
        QCOMPARE(c.latency, 0.002);
        QCOMPARE(c.sweepPeriod, 0.1);
    }

    void readsValues_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<qulonglong>("seed");
        QTest::addColumn<bool>("pacing");
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<int>("sweepMs");
        QTest::addColumn<int>("baudIndex");
        QTest::newRow("all") << QStringList{"--emu-seed=42", "--emu-pacing=off", "--emu-latency-ms=0",
                                            "--emu-sweep-ms=250", "--emu-baud=5"}
                             << 42ull << false << 0 << 250 << 5;
        QTest::newRow("pacing on") << QStringList{"--emu-pacing=off", "--emu-pacing=on"} << 1ull << true << 2
                                   << 100 << 1;
        QTest::newRow("large seed") << QStringList{"--emu-seed=18446744073709551615"}
                                    << 18446744073709551615ull << true << 2 << 100 << 1;
        QTest::newRow("other arguments passed over")
            << QStringList{"start.scp", "--emu-baud=3", "-x"} << 1ull << true << 2 << 100 << 3;
    }
    void readsValues() {
        QFETCH(QStringList, args);
        QString error;
        const auto o = ParseEmulatorOptions(args, &error);
        QVERIFY2(o, qPrintable(error));
        QTEST(static_cast<qulonglong>(o->seed), "seed");
        QTEST(o->pacing, "pacing");
        QTEST(o->latencyMs, "latencyMs");
        QTEST(o->sweepMs, "sweepMs");
        QTEST(o->baudIndex, "baudIndex");
    }

    void refusesWhatItDoesNotUnderstand_data() {
        QTest::addColumn<QString>("arg");
        QTest::newRow("unknown option") << "--emu-speed=3";
        QTest::newRow("no value") << "--emu-seed";
        QTest::newRow("seed not a number") << "--emu-seed=abc";
        QTest::newRow("negative seed") << "--emu-seed=-1";
        QTest::newRow("pacing yes") << "--emu-pacing=yes";
        QTest::newRow("negative latency") << "--emu-latency-ms=-1";
        QTest::newRow("zero sweep") << "--emu-sweep-ms=0";
        QTest::newRow("baud 0") << "--emu-baud=0";
        QTest::newRow("baud 6") << "--emu-baud=6";
        QTest::newRow("baud as rate") << "--emu-baud=9600";
        QTest::newRow("unknown fault") << "--emu-fault=explode";
        QTest::newRow("answer-from without N") << "--emu-fault=answer-from";
        QTest::newRow("answer-from 0") << "--emu-fault=answer-from:0";
        QTest::newRow("answer-from empty chars") << "--emu-fault=answer-from:2:";
        QTest::newRow("silent empty chars") << "--emu-fault=silent:";
        QTest::newRow("baud-only without K") << "--emu-fault=baud-only";
        QTest::newRow("baud-only 6") << "--emu-fault=baud-only:6";
        QTest::newRow("skip-block 40") << "--emu-fault=skip-block:40";
        QTest::newRow("stall bad ms") << "--emu-fault=stall:2:x";
        QTest::newRow("stall too many parts") << "--emu-fault=stall:2:10:3";
        QTest::newRow("noise negative") << "--emu-fault=noise:-1";
        QTest::newRow("disappear not a number") << "--emu-fault=disappear:x";
    }
    void refusesWhatItDoesNotUnderstand() {
        QFETCH(QString, arg);
        QString error;
        QVERIFY(!ParseEmulatorOptions({QStringLiteral("--emu-seed=3"), arg}, &error));
        QVERIFY2(!error.isEmpty(), qPrintable(arg));
    }

    void readsFaults() {
        QString error;
        const auto o = ParseEmulatorOptions(
            {"--emu-fault=silent:v", "--emu-fault=wrong-ack", "--emu-fault=answer-from:3:bi",
             "--emu-fault=skip-block:4", "--emu-fault=noise", "--emu-fault=stall:6:250",
             "--emu-fault=baud-only:3", "--emu-fault=disappear:12"},
            &error);
        QVERIFY2(o, qPrintable(error));
        const Faults& f = o->faults;
        QVERIFY(f.silent && f.silent->contains('v') && !f.silent->contains('b'));
        QVERIFY(f.wrongAck && f.wrongAck->contains('b') && f.wrongAck->contains('1'));
        QCOMPARE(f.answerFrom, 3);
        QVERIFY(f.answerFromChars.contains('b') && f.answerFromChars.contains('i') &&
                !f.answerFromChars.contains('v'));
        QCOMPARE(f.skipBlock, 4);
        QCOMPARE(f.noiseBytes, 8);
        QCOMPARE(f.stallAfterBlocks, 6);
        QCOMPARE(f.stallResumeMs, 250);
        QCOMPARE(f.onlyBaudIndex, 3);
        QCOMPARE(f.disappearAfterBytes, 12);
    }

    void faultDefaults() {
        Faults f;
        QVERIFY(AddFault(QStringLiteral("skip-block"), f, nullptr));
        QVERIFY(AddFault(QStringLiteral("stall"), f, nullptr));
        QVERIFY(AddFault(QStringLiteral("disappear"), f, nullptr));
        QCOMPARE(f.skipBlock, 1);
        QCOMPARE(f.stallAfterBlocks, 2);
        QCOMPARE(f.stallResumeMs, std::nullopt);
        QCOMPARE(f.disappearAfterBytes, 0);
        QVERIFY(!f.silent && !f.wrongAck && f.answerFrom == 1 && !f.onlyBaudIndex);
    }

    // The usage text is what people go by: every option and fault it names must be accepted as written.
    void usageNamesOnlyWhatIsAccepted() {
        const QString usage = EmulatorOptionsUsage();
        static const QRegularExpression faultLine(QStringLiteral("^    ([a-z-]+)"),
                                                  QRegularExpression::MultilineOption);
        QStringList faults;
        for (auto it = faultLine.globalMatch(usage); it.hasNext();) faults << it.next().captured(1);
        QCOMPARE(faults, (QStringList{"silent", "wrong-ack", "answer-from", "skip-block", "noise", "stall",
                                      "baud-only", "disappear"}));
        const QMap<QString, QString> sampleArgument{{"answer-from", ":2"}, {"baud-only", ":3"}};
        for (const QString& name : faults) {
            QString error;
            QVERIFY2(ParseEmulatorOptions({"--emu-fault=" + name + sampleArgument.value(name)}, &error),
                     qPrintable(error));
        }
        static const QRegularExpression optionLine(QStringLiteral("^  (--emu-[a-z-]+=)"),
                                                   QRegularExpression::MultilineOption);
        QStringList options;
        for (auto it = optionLine.globalMatch(usage); it.hasNext();) options << it.next().captured(1);
        QCOMPARE(options.size(), 6);
        const QMap<QString, QString> sampleValue{{"--emu-pacing=", "off"}, {"--emu-fault=", "noise"}};
        for (const QString& option : options) {
            QString error;
            QVERIFY2(ParseEmulatorOptions({option + sampleValue.value(option, "2")}, &error),
                     qPrintable(error));
        }
    }

    void recognisesItsArguments() {
        QVERIFY(IsEmulatorArgument(QStringLiteral("--emu-seed=1")));
        QVERIFY(!IsEmulatorArgument(QStringLiteral("--emulator")));
        QVERIFY(!IsEmulatorArgument(QStringLiteral("script.scp")));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorOptions)
#include "tst_emulator_options.moc"
