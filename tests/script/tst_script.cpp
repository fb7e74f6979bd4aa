#include <QtTest>

#include "ByteList.h"
#include "FakeClock.h"
#include "Rows.h"
#include "ScriptEditing.h"
#include "ScriptFakes.h"
#include "ScriptRunner.h"
#include "ScriptedDialogs.h"

using namespace tk;
using namespace tk::test;

namespace {

double At(int h, int m, double s = 0) {
    return h * 3600.0 + m * 60.0 + s;
}

struct Rig {
    explicit Rig(double start = At(10, 0)) : clock(start) {}
    FakeClock clock;
    MeasurementModel model;
    ScriptedDialogs dialogs;
    FakeScriptActions actions{clock};
    ControlPortFake control;
    ParallelFake parallel;
    PortMap portMap;
    ScriptRunner runner{model, clock, dialogs, actions, control, parallel, portMap};

    ScriptStep& step(int i) { return model.scriptTable[static_cast<std::size_t>(i)]; }
    // Step i waits `delay` minutes and, where one is named, stores its measurement under `measurement`.
    ScriptStep& timed(int i, int delay, const QString& measurement = {}) {
        ScriptStep& s = step(i);
        s.delayMinutes = static_cast<std::int16_t>(delay);
        if (!measurement.isEmpty()) s.measurementFile.set(measurement);
        return s;
    }
    // The tick's due check, every `slice` seconds for `seconds`.
    void run(double seconds, double slice = 0.1) {
        for (double t = 0; t < seconds; t += slice) {
            clock.advance(slice);
            if (runner.IsScriptStepDue()) runner.RunScriptStep();
        }
    }
    void serialStep(int i, const char* bytes, int port) {
        ScriptStep& s = step(i);
        s.serialOutput.set(QString::fromLatin1(bytes));
        s.controlPort = static_cast<std::int16_t>(port);
        s.controlBaud = 9600;
        s.controlParity.set(QStringLiteral("N"));
        s.controlDataBits = 8;
        s.controlStopBits = 1;
        s.controlHandshake = 2;
    }
    QStringList messages() const {
        QStringList out;
        for (const auto& m : dialogs.messages) out.append(m.text.trimmed());
        return out;
    }
    // Whether the run goes on, and the step it stands at.
    QString state() const {
        return (model.scriptRunning ? QStringLiteral("running at %1") : QStringLiteral("stopped at %1"))
            .arg(model.scriptStepIndex);
    }
};

// When a step delayed `delay` minutes from `start` falls due, checked every `slice` seconds, with the wall
// clock jumping `jump` seconds a minute into the wait.
struct Due {
    double start;
    int delay;
    double slice;
    double jump;
    int dueHour, dueMinute;
    double runsAt;  // on the wall clock
};

// A failing load or store, or a link that stays closed: the messages shown, the state the run is left in
// and what was sent.
struct Failure {
    QString failing;
    int result;  // FileLoad, FileSave for the measurement; -1 for a link that stays closed
    QStringList messages;
    QString state;
    QByteArray sent;
};

// A control port set up as a step gives it, and the settings the port was given.
struct ControlSetup {
    int baud;
    QString parity;
    int dataBits, stopBits, flow;
    QStringList settings;
};

QString Bytes(const QList<std::optional<std::uint8_t>>& values) {
    QStringList out;
    for (const auto& v : values) out.append(v ? QString::number(*v) : QStringLiteral("x"));
    return out.join(u',');
}

}  // namespace

Q_DECLARE_METATYPE(Due)
Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(ControlSetup)

class TestScript : public QObject {
    Q_OBJECT
private slots:
    void threeStepsStoreWhatWasMeasuredBetween() {
        Rig r(At(10, 0, 30));
        r.timed(0, 2, QStringLiteral("m0.mes"));
        r.timed(1, 3, QStringLiteral("m1.mes"));
        r.step(2).messageText.set(QStringLiteral("never"));
        r.step(2).settingsFile.set(QStringLiteral("never.set"));
        r.runner.StartScript();
        r.run(6 * 60);
        QCOMPARE(r.actions.log, QStringList({"10:00:30 connect", "10:02:00 save m0.mes", "10:02:00 connect",
                                             "10:05:00 save m1.mes"}));
        QCOMPARE(r.dialogs.messages, QList<ScriptedDialogs::Message>({{"Script done", "Script info"}}));
        QCOMPARE(r.dialogs.notices, 1);  // shown without waiting for anyone
        QCOMPARE(r.state(), QStringLiteral("stopped at 2"));
        QVERIFY(r.model.autoMeasurement && r.actions.autoChecked);
    }

    // The step comes at the hh:mm the status line shows, also when the wall clock jumps; the steady clock
    // does not move with it.
    void nextStepComesAtItsDueMinute_data() {
        QTest::addColumn<Due>("d");
        Row("same hour", Due{At(10, 0, 30), 2, 1.0, 0.0, 10, 2, At(10, 2)});
        Row("into the next hour", Due{At(10, 58), 5, 1.0, 0.0, 11, 3, At(11, 3)});
        Row("across midnight", Due{At(23, 50), 15, 1.0, 0.0, 24, 5, At(24, 5)});
        Row("late tick past the hour", Due{At(10, 58, 30), 1, 150.0, 0.0, 10, 59, At(11, 1)});
        Row("longest delay", Due{At(12, 0), 2000, 60.0, 0.0, 45, 20, At(45, 20)});
        Row("summer time begins", Due{At(10, 0), 5, 1.0, 3600.0, 10, 5, At(11, 1, 1)});
        Row("summer time ends", Due{At(10, 0), 5, 1.0, -3600.0, 10, 5, At(10, 5)});
    }
    void nextStepComesAtItsDueMinute() {
        QFETCH(Due, d);
        Rig r(d.start);
        r.timed(0, d.delay);
        r.runner.StartScript();
        QCOMPARE(r.model.dueHour, d.dueHour);
        QCOMPARE(r.model.dueMinute, d.dueMinute);
        double ranAt = -1;
        r.dialogs.duringMessage = [&] { ranAt = r.clock.wallSeconds(); };
        r.run(60, d.slice);
        r.clock.jumpWall(d.jump);
        r.run(d.delay * 60.0 + 3 * 3600, d.slice);
        QCOMPARE(r.messages(), QStringList({"Script done"}));
        QVERIFY2(qAbs(ranAt - d.runsAt) < 1e-6, qPrintable(QString::number(ranAt - d.runsAt)));
    }

    void delayCountsFromTheEndOfTheStep() {
        Rig r;
        r.timed(0, 5).messageText.set(QStringLiteral("Switch the antenna"));
        r.dialogs.duringMessage = [&] { r.clock.advance(7 * 60); };
        r.runner.StartScript();
        QCOMPARE(r.dialogs.messages.at(0).text, r.step(0).messageText.text());
        QCOMPARE(r.model.dueMinute, 12);
    }

    void stepZeroWithoutDelayRunsOnceSilently() {
        Rig r;
        r.step(0).messageText.set(QStringLiteral("once"));
        r.step(0).settingsFile.set(QStringLiteral("a.set"));
        r.step(0).measurementFile.set(QStringLiteral("never.mes"));
        r.step(0).parallelOutput.set(QStringLiteral("9"));
        r.serialStep(0, "8", 1);
        r.runner.StartScript();
        r.run(300, 1);
        QCOMPARE(r.actions.log, QStringList({"10:00:00 settings a.set", "10:00:00 connect"}));
        QCOMPARE(r.messages(), QStringList({"once"}));
        QCOMPARE(r.control.sent, QByteArray("\x08"));
        QCOMPARE(r.parallel.written.size(), 1);
        QCOMPARE(r.state(), QStringLiteral("stopped at 0"));
    }

    void tenStepsEndAtTheEndPosition() {
        Rig r;
        QStringList expected;
        for (int i = 0; i < 10; ++i) {
            r.timed(i, 1, QStringLiteral("m%1.mes").arg(i));
            expected.append(QTime(10, i + 1).toString(u"hh:mm:ss") + QStringLiteral(" save m%1.mes").arg(i));
        }
        r.timed(SCRIPT_END_POSITION, 7);  // never used
        r.runner.StartScript();
        r.run(15 * 60, 1);
        QCOMPARE(r.actions.log.filter(QStringLiteral(" save ")), expected);
        QCOMPARE(r.messages(), QStringList({"Script done"}));
        QCOMPARE(r.state(), QStringLiteral("stopped at %1").arg(SCRIPT_END_POSITION));
    }

    // Each page of a run gets a name of its own: a step that stores no measurement, or one whose measurement
    // file another page already took, is named after the script, the step and the time.
    void everyPrintedPageHasItsOwnName() {
        Rig r;
        r.model.scriptFileName = QStringLiteral("/runs/emc.scp");
        const QString names[] = {"/runs/a.mes", "", "/runs/a.mes", "b"};
        for (int i = 0; i < 4; ++i) r.timed(i, 1, names[i]).printMeasurement = true;
        r.runner.StartScript();
        r.run(5 * 60, 1);
        QCOMPARE(
            r.actions.log.filter(QStringLiteral(" print ")),
            QStringList({"10:01:00 print /runs/a.pdf", "10:02:00 print /runs/emc-step1-20261206-100200.pdf",
                         "10:03:00 print /runs/emc-step2-20261206-100300.pdf", "10:04:00 print b.pdf"}));
    }

    void byteLists_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("values");
        // Each value is read as LeadingNumber reads it (see tst_core::leadingNumber).
        Row("negative", "-1", "x");
        Row("comma at the end", "1,2,", "1,2,0");
        Row("halves to even", "2.5,3.5", "2,4");
    }
    void byteLists() {
        QFETCH(QString, field);
        QTEST(Bytes(ReadByteList(field)), "values");
    }

    // Each step opens its own control port with its own settings; a value that is no byte is passed over,
    // on the control port and on the parallel port alike.
    void everyStepSendsItsBytes() {
        Rig r;
        r.timed(0, 1).parallelOutput.set(QStringLiteral("1,300,2"));
        r.step(0).parallelPort = 2;
        r.serialStep(0, "1,300,2", 3);
        r.timed(1, 1);
        r.serialStep(1, "5", 1);
        r.step(1).controlBaud = 300;
        r.runner.StartScript();
        r.run(61, 1);
        QCOMPARE(r.control.sent, QByteArray("\x01\x02\x05"));
        QCOMPARE(r.control.opened, QStringList({"/dev/ttyS2", "/dev/ttyS0"}));
        QCOMPARE(r.control.settings, QStringList({"9600,N,8,1", "300,N,8,1"}));
        QCOMPARE(r.control.flows, QList<FlowControl>({FlowControl::Rts, FlowControl::Rts}));
        using Written = decltype(r.parallel.written);
        QCOMPARE(r.parallel.written,
                 Written({{QStringLiteral("/dev/lp1"), 1}, {QStringLiteral("/dev/lp1"), 2}}));
    }

    void fileFieldIsTestedByItsFirstCharacter_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        Row("blank then dash", " -x.set", QStringList({"10:00:00 settings  -x.set", "10:00:00 connect"}));
        Row("dash then more", "-x.set", QStringList({"10:00:00 connect"}));
        Row("trailing blanks dropped", "a.set  ",
            QStringList({"10:00:00 settings a.set", "10:00:00 connect"}));
    }
    void fileFieldIsTestedByItsFirstCharacter() {
        QFETCH(QString, field);
        Rig r;
        r.step(0).settingsFile.set(field);
        r.runner.StartScript();
        QTEST(r.actions.log, "expected");
    }

    void failuresStopTheRunAsTheirKindSays_data() {
        QTest::addColumn<Failure>("f");
        const QStringList cannot{"Cannot open file"}, error{"File error"};
        const int open = int(FileLoad::CannotOpen), read = int(FileLoad::ReadFailed);
        const int notCreated = int(FileSave::CannotOpen), cut = int(FileSave::WriteFailed);
        Row("settings short", Failure{"s.set", read, cannot, "stopped at 1", "\x07"});
        Row("boundaries missing", Failure{"b.grn", open, cannot, "stopped at 0", {}});
        Row("calibration short", Failure{"c.eic", read, cannot, "stopped at 1", "\x07"});
        Row("link closed", Failure{"", -1, {}, "stopped at 0", {}});
        Row("measurement not created", Failure{"m.mes", notCreated, error, "stopped at 1", "\x07"});
        // A measurement cut short stops the run, but the step after it runs and arms the next.
        Row("measurement cut short", Failure{"m.mes", cut, {"File error", "next"}, "running at 2", "\x07"});
    }
    void failuresStopTheRunAsTheirKindSays() {
        QFETCH(Failure, f);
        Rig r;
        r.timed(0, 1, QStringLiteral("m.mes")).settingsFile.set(QStringLiteral("s.set"));
        r.step(0).boundariesFile.set(QStringLiteral("b.grn"));
        r.step(0).calibrationFile.set(QStringLiteral("c.eic"));
        r.serialStep(0, "7", 1);
        r.timed(1, 1).messageText.set(QStringLiteral("next"));
        if (f.result < 0)
            r.actions.linkOpensOnConnect = false;
        else if (f.failing.endsWith(QStringLiteral(".mes")))
            r.actions.saveResults.insert(f.failing, static_cast<FileSave>(f.result));
        else
            r.actions.loadResults.insert(f.failing, static_cast<FileLoad>(f.result));
        r.runner.StartScript();
        r.run(61, 1);
        QCOMPARE(r.messages(), f.messages);
        for (const auto& m : r.dialogs.messages)
            QCOMPARE(m.title, m.text.trimmed() == u"next" ? "Script info" : "File handling");
        QCOMPARE(r.state(), f.state);
        QCOMPARE(r.control.sent, f.sent);
        // The measurement is stored under the date of its store.
        if (f.failing == u"m.mes") QCOMPARE(r.model.readDate.trimmed(), QStringLiteral("06.12.2026"));
    }

    void controlPortSettingsRefused_data() {
        QTest::addColumn<ControlSetup>("c");
        Row("never set up", ControlSetup{0, " ", 0, 0, 0, {}});
        Row("baud not offered", ControlSetup{1000, "N", 8, 1, 0, {}});
        Row("parity", ControlSetup{9600, "X", 8, 1, 0, {}});
        Row("data bits", ControlSetup{9600, "N", 6, 1, 0, {}});
        Row("stop bits", ControlSetup{9600, "N", 8, 3, 0, {}});
        Row("flow control", ControlSetup{300, "E", 7, 2, 4, {"300,E,7,2"}});
    }
    void controlPortSettingsRefused() {
        QFETCH(ControlSetup, c);
        Rig r;
        r.serialStep(0, "1", 0);
        ScriptStep& s = r.step(0);
        s.controlBaud = static_cast<std::int16_t>(c.baud);
        s.controlParity.set(c.parity);
        s.controlDataBits = static_cast<std::int16_t>(c.dataBits);
        s.controlStopBits = static_cast<std::int16_t>(c.stopBits);
        s.controlHandshake = static_cast<std::int16_t>(c.flow);
        r.runner.StartScript();
        QCOMPARE(r.dialogs.messages, QList<ScriptedDialogs::Message>(
                                         {{"Invalid property value", QString::fromLatin1(PROGRAM_TITLE)}}));
        QCOMPARE(r.control.settings, c.settings);
        // No flow control, and with no port number nothing opened and nothing sent.
        QVERIFY(r.control.flows.isEmpty() && r.control.opened.isEmpty() && r.control.sent.isEmpty());
    }

    void parallelDeviceFileGetsEveryByte() {
        QTemporaryDir dir;
        DeviceParallelPort lpt;
        const QString device = dir.filePath(QStringLiteral("relay"));
        QVERIFY(lpt.WriteByte(device, 0xFF) && lpt.WriteByte(device, 0x00));
        QVERIFY(!lpt.WriteByte(dir.filePath(QStringLiteral("no/such")), 1));
        QFile f(device);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xff\x00", 2));
    }

    void heldOffOutputIsDiscardedAfterTheTimeout() {
        Rig r;
        r.timed(0, 1);
        r.serialStep(0, "1,2,3", 1);
        r.control.heldOff = true;
        int steps = 0;
        r.actions.duringEvents = [&] {
            // A tick in the middle of the step starts nothing.
            if (r.runner.IsScriptStepDue()) ++steps;
            r.runner.RunScriptStep();
        };
        r.runner.StartScript();
        QCOMPARE(steps, 0);
        QVERIFY(r.actions.eventRuns > 0);
        QCOMPARE(r.clock.seconds(), At(10, 0, 20));
        QCOMPARE(r.control.discarded, 2);  // once before the list, once for the byte that did not leave
        QVERIFY(r.control.sent.isEmpty());
        QCOMPARE(r.actions.log, QStringList({"10:00:00 connect"}));
        QCOMPARE(r.state(), QStringLiteral("running at 1"));
    }

    void stopAndStartAgain() {
        Rig r;
        r.timed(0, 1);
        r.timed(1, 1);
        r.runner.StartScript();
        r.runner.StopScript();
        r.run(180, 1);
        QCOMPARE(r.actions.log.size(), 1);
        QCOMPARE(r.state(), QStringLiteral("stopped at 1"));
        r.runner.StartScript();
        QCOMPARE(r.actions.log.size(), 2);
        QCOMPARE(r.state(), QStringLiteral("running at 1"));
    }

    void typedDelay_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<int>("delay");
        Row("2500 enter", "2500", true, 1440);
        Row("2500 leave", "2500", false, 2000);
        Row("negative", "-5", true, 0);
        Row("half", "2.5", true, 2);
    }
    void typedDelay() {
        QFETCH(QString, text);
        QFETCH(bool, enter);
        QTEST(int(TypedDelay(text, enter)), "delay");
    }

    void storingTheShownStep() {
        MeasurementModel m;
        m.scriptStepIndex = 4;
        StoreShownStep(m, {QString(99, u'x'), "2001", "a.set", "b.grn", "c.eic", "m.mes", "1,2", "3", "2.5"});
        const ScriptStep& s = m.scriptTable[4];
        QCOMPARE(s.messageText.text(), QString(80, u'x'));
        const ShownStep shown = ShowStep(s);
        QCOMPARE(QStringList({shown.delay, shown.settings, shown.boundaries, shown.calibration,
                              shown.measurement, shown.serial, shown.parallel, shown.lpt}),
                 QStringList({" 2000", "a.set", "b.grn", "c.eic", "m.mes", "1,2", "3", " 2"}));
        // The arrows move the parallel port within LPT1..LPT4.
        for (int i = 0; i < 3; ++i) MoveParallelPort(m, 1);
        QCOMPARE(s.parallelPort, 4);
        MoveParallelPort(m, -9);
        QCOMPARE(s.parallelPort, 1);
    }

    void copyStepForward_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("shownAfter");
        Row("step 3", 3, 4);
        Row("step 9 into the end position", 9, 9);
        Row("end position", 10, 9);
    }
    void copyStepForward() {
        QFETCH(int, from);
        MeasurementModel m;
        ScriptStep& s = m.scriptTable[static_cast<std::size_t>(from)];
        s.messageText.set(QStringLiteral("copied"));
        s.delayMinutes = 9;
        s.parallelPort = 4;
        s.printMeasurement = true;
        s.controlPort = 2;
        m.scriptStepIndex = static_cast<std::int16_t>(from);
        CopyStepForward(m);
        QTEST(int(m.scriptStepIndex), "shownAfter");
        if (from == SCRIPT_END_POSITION) return;  // nothing after it, nothing written past the table
        // The texts, the delay and the lpt go on; the print flag and the control port do not.
        const ScriptStep& t = m.scriptTable[static_cast<std::size_t>(from + 1)];
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(t.messageText.rightTrimmed())
                     .arg(t.delayMinutes)
                     .arg(t.parallelPort)
                     .arg(int(bool(t.printMeasurement)))
                     .arg(t.controlPort),
                 QStringLiteral("copied 9 4 0 0"));
    }

    void deleteKeepsTheControlPort() {
        ScriptStep s;
        s.controlPort = 3;
        s.delayMinutes = 5;
        s.printMeasurement = true;
        ClearScriptStep(s);
        QCOMPARE(s.controlPort, 3);
        QCOMPARE(s.delayMinutes, 0);
        QVERIFY(!s.printMeasurement);
    }

    void doubleClickTakesThePreviousStep_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("delay");
        Row("step 0", 0, "", 0);
        Row("empty on step 5", 5, "", 8);
        Row("set on step 5", 5, " 3", 0);
    }
    void doubleClickTakesThePreviousStep() {
        QFETCH(int, at);
        QFETCH(QString, typed);
        MeasurementModel m;
        for (auto& s : m.scriptTable) {
            s.delayMinutes = 8;
            s.measurementFile.set(QStringLiteral("before.mes"));
        }
        ScriptStep& s = m.scriptTable[static_cast<std::size_t>(at)];
        s.delayMinutes = 0;
        s.measurementFile.set(QStringLiteral("-"));
        m.scriptStepIndex = static_cast<std::int16_t>(at);
        TakeFromPreviousStep(m, InheritedField::Delay, typed);
        TakeFromPreviousStep(m, InheritedField::Measurement, {});
        QTEST(int(s.delayMinutes), "delay");
        QCOMPARE(IsUsed(s.measurementFile), at != 0);
    }

    void fileNamesThatFit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fits");
        Row("80", QString(80, u'a'), true);
        Row("81", QString(81, u'a'), false);
        Row("latin-1", QStringLiteral("/tmp/m\u00e4.mes"), true);
        Row("outside the code page", QStringLiteral("/tmp/\u20ac.mes"), false);
    }
    void fileNamesThatFit() {
        QFETCH(QString, name);
        QTEST(FitsScriptField(name), "fits");
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
