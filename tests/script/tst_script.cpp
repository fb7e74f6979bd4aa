#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
};

QString Bytes(const QList<std::optional<std::uint8_t>>& values) {
    QStringList out;
    for (const auto& v : values) out.append(v ? QString::number(*v) : QStringLiteral("x"));
    return out.join(u',');
}

}  // namespace

class TestScript : public QObject {
    Q_OBJECT
private slots:
    void threeStepsStoreWhatWasMeasuredBetween() {
        Rig r(At(10, 0, 30));
        r.step(0).delayMinutes = 2;
        r.step(0).measurementFile.set(QStringLiteral("m0.mes"));
        r.step(1).delayMinutes = 3;
        r.step(1).measurementFile.set(QStringLiteral("m1.mes"));
        r.step(2).messageText.set(QStringLiteral("never"));
        r.step(2).settingsFile.set(QStringLiteral("never.set"));
        r.runner.StartScript();
        QCOMPARE(r.model.dueHour, 10);
        QCOMPARE(r.model.dueMinute, 2);
        r.run(6 * 60);
        QCOMPARE(r.actions.log, QStringList({"10:00:30 connect", "10:02:00 save m0.mes", "10:02:00 connect",
                                             "10:05:00 save m1.mes"}));
        QCOMPARE(r.dialogs.messages, QList<ScriptedDialogs::Message>({{"Script done", "Script info"}}));
        QVERIFY(!r.model.scriptRunning);
        QCOMPARE(r.model.scriptStepIndex, 2);
        QVERIFY(r.model.autoMeasurement);
        QVERIFY(r.actions.autoChecked);
    }

    void nextStepComesAtItsDueMinute_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("delay");
        QTest::addColumn<double>("slice");  // seconds between due checks
        QTest::addColumn<int>("dueHour");
        QTest::addColumn<int>("dueMinute");
        QTest::addColumn<double>("runsAt");
        QTest::newRow("same hour") << At(10, 0, 30) << 2 << 1.0 << 10 << 2 << At(10, 2);
        QTest::newRow("into the next hour") << At(10, 58) << 5 << 1.0 << 11 << 3 << At(11, 3);
        QTest::newRow("two hours on") << At(10, 58) << 125 << 1.0 << 13 << 3 << At(13, 3);
        QTest::newRow("across midnight") << At(23, 50) << 15 << 1.0 << 24 << 5 << At(24, 5);
        QTest::newRow("late tick past the hour") << At(10, 58, 30) << 1 << 150.0 << 10 << 59 << At(11, 1);
        QTest::newRow("longest delay") << At(12, 0) << 2000 << 60.0 << 45 << 20 << At(12, 0) + 2000 * 60.0;
    }
    void nextStepComesAtItsDueMinute() {
        QFETCH(int, dueHour);
        QFETCH(int, dueMinute);
        QFETCH(double, runsAt);
        QFETCH(double, start);
        QFETCH(int, delay);
        QFETCH(double, slice);
        Rig r(start);
        r.step(0).delayMinutes = static_cast<std::int16_t>(delay);
        r.runner.StartScript();
        QCOMPARE(r.model.dueHour, dueHour);
        QCOMPARE(r.model.dueMinute, dueMinute);
        double ranAt = -1;
        r.dialogs.duringMessage = [&] { ranAt = r.clock.seconds(); };
        r.run(delay * 60.0 + 3 * 3600, slice);
        QCOMPARE(r.messages(), QStringList({"Script done"}));
        QVERIFY(qAbs(ranAt - runsAt) < 1e-6);
    }

    // The step comes at the hh:mm the status line shows, also when the wall clock jumps a minute into the
    // wait; the steady clock does not move with it.
    void dueTimeFollowsTheWallClock_data() {
        QTest::addColumn<double>("jump");
        QTest::addColumn<double>("runsAt");  // on the wall clock, due 10:05
        QTest::newRow("suspended half an hour") << 1800.0 << At(10, 31, 1);
        QTest::newRow("summer time begins") << 3600.0 << At(11, 1, 1);
        QTest::newRow("summer time ends") << -3600.0 << At(10, 5);
    }
    void dueTimeFollowsTheWallClock() {
        QFETCH(double, jump);
        QFETCH(double, runsAt);
        Rig r;
        r.step(0).delayMinutes = 5;
        r.runner.StartScript();
        r.run(60, 1);
        r.clock.jumpWall(jump);
        double ranAt = -1;
        r.dialogs.duringMessage = [&] { ranAt = r.clock.wallSeconds(); };
        r.run(2 * 3600, 1);
        QCOMPARE(r.messages(), QStringList({"Script done"}));
        QVERIFY2(qAbs(ranAt - runsAt) < 1e-6, qPrintable(QString::number(ranAt - runsAt)));
    }

    void delayCountsFromTheEndOfTheStep() {
        Rig r;
        r.step(0).delayMinutes = 5;
        r.step(0).messageText.set(QStringLiteral("Switch the antenna"));
        r.dialogs.duringMessage = [&] { r.clock.advance(7 * 60); };
        r.runner.StartScript();
        QCOMPARE(r.dialogs.messages.at(0).text, r.step(0).messageText.text());
        QCOMPARE(r.dialogs.messages.at(0).title, QStringLiteral("Script info"));
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
        QVERIFY(!r.model.scriptRunning);
        QCOMPARE(r.model.scriptStepIndex, 0);
    }

    void tenStepsEndAtTheEndPosition() {
        Rig r;
        QStringList expected;
        for (int i = 0; i < 10; ++i) {
            r.step(i).delayMinutes = 1;
            r.step(i).measurementFile.set(QStringLiteral("m%1.mes").arg(i));
            expected.append(QStringLiteral("save m%1.mes").arg(i));
        }
        r.step(9).printMeasurement = true;
        r.model.scriptTable[SCRIPT_END_POSITION].delayMinutes = 7;  // never used
        r.runner.StartScript();
        r.run(15 * 60, 1);
        QStringList saves;
        for (const QString& line : r.actions.log)
            if (!line.endsWith(QStringLiteral("connect"))) saves.append(line.mid(9));
        expected.append(QStringLiteral("print m9.pdf"));
        QCOMPARE(saves, expected);
        QCOMPARE(r.messages(), QStringList({"Script done"}));
        QCOMPARE(r.model.scriptStepIndex, SCRIPT_END_POSITION);
    }

    // Each page of a run gets a name of its own: a step that stores no measurement, or one whose measurement
    // file another page already took, is named after the script, the step and the time.
    void everyPrintedPageHasItsOwnName() {
        Rig r;
        r.model.scriptFileName = QStringLiteral("/runs/emc.scp");
        for (int i = 0; i < 4; ++i) {
            r.step(i).delayMinutes = 1;
            r.step(i).printMeasurement = true;
        }
        r.step(0).measurementFile.set(QStringLiteral("/runs/a.mes"));
        r.step(2).measurementFile.set(QStringLiteral("/runs/a.mes"));
        r.step(3).measurementFile.set(QStringLiteral("b"));
        r.runner.StartScript();
        r.run(5 * 60, 1);
        QStringList prints;
        for (const QString& line : r.actions.log)
            if (line.contains(QStringLiteral(" print "))) prints.append(line);
        QCOMPARE(
            prints,
            QStringList({"10:01:00 print /runs/a.pdf", "10:02:00 print /runs/emc-step1-20261206-100200.pdf",
                         "10:03:00 print /runs/emc-step2-20261206-100300.pdf", "10:04:00 print b.pdf"}));
    }

    void byteLists_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("values");
        Row("plain", "1,2,3", "1,2,3");
        Row("junk after the number", "12abc", "12");
        Row("too large", "300", "x");
        Row("negative", "-1", "x");
        Row("hex", "&HFF,0", "255,0");
        Row("hex word is negative", "&HFFFF", "x");
        Row("octal", "&O17", "15");
        Row("blanks inside", " 1 2 , 7", "12,7");
        Row("comma at the end", "1,2,", "1,2,0");
        Row("halves to even", "2.5,3.5", "2,4");
        Row("no number", "abc", "0");
    }
    void byteLists() {
        QFETCH(QString, values);
        QFETCH(QString, field);
        QCOMPARE(Bytes(ReadByteList(field)), values);
    }

    void controlOutputs_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("list") << "1,2,3" << QByteArray("\x01\x02\x03");
        QTest::newRow("junk") << "12abc" << QByteArray("\x0c");
        QTest::newRow("out of range") << "300" << QByteArray();
        QTest::newRow("hex") << "&HFF,0" << QByteArray("\xff\x00", 2);
        QTest::newRow("skipped in the middle") << "1,300,2" << QByteArray("\x01\x02");
    }
    void controlOutputs() {
        QFETCH(QString, field);
        QFETCH(QByteArray, bytes);
        Rig r;
        r.step(0).delayMinutes = 1;
        r.step(0).parallelOutput.set(field);
        r.step(0).parallelPort = 2;
        r.serialStep(0, field.toLatin1().constData(), 3);
        r.runner.StartScript();
        QCOMPARE(r.control.sent, bytes);
        QCOMPARE(r.control.opened, QStringList({"/dev/ttyS2"}));
        QCOMPARE(r.control.settings, QStringList({"9600,N,8,1"}));
        QCOMPARE(r.control.flows, QList<FlowControl>({FlowControl::Rts}));
        QByteArray parallel;
        for (const auto& [device, byte] : r.parallel.written) {
            QCOMPARE(device, QStringLiteral("/dev/lp1"));
            parallel.append(static_cast<char>(byte));
        }
        QCOMPARE(parallel, bytes);
    }

    void fileFieldIsTestedByItsFirstCharacter_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("blank then dash") << " -x.set" << QStringList({"settings  -x.set", "connect"});
        QTest::newRow("dash then more") << "-x.set" << QStringList({"connect"});
        QTest::newRow("trailing blanks dropped") << "a.set   " << QStringList({"settings a.set", "connect"});
    }
    void fileFieldIsTestedByItsFirstCharacter() {
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        Rig r;
        r.step(0).settingsFile.set(field);
        r.runner.StartScript();
        QStringList log;
        for (const QString& line : r.actions.log) log.append(line.mid(9));
        QCOMPARE(log, expected);
    }

    void failuresStopTheRunAsTheirKindSays_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("result");  // FileLoad; -1 for a link that stays closed
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("sent");
        const QStringList cannot{"Cannot open file"};
        const int open = static_cast<int>(FileLoad::CannotOpen),
                  read = static_cast<int>(FileLoad::ReadFailed);
        QTest::newRow("settings unknown tag") << "s.set" << open << cannot << 0 << QByteArray();
        QTest::newRow("settings short") << "s.set" << read << cannot << 1 << QByteArray("\x07");
        QTest::newRow("boundaries missing") << "b.grn" << open << cannot << 0 << QByteArray();
        QTest::newRow("calibration short") << "c.eic" << read << cannot << 1 << QByteArray("\x07");
        QTest::newRow("link closed") << "" << -1 << QStringList() << 0 << QByteArray();
    }
    void failuresStopTheRunAsTheirKindSays() {
        QFETCH(QStringList, messages);
        QFETCH(int, index);
        QFETCH(QByteArray, sent);
        QFETCH(QString, failing);
        QFETCH(int, result);
        Rig r;
        r.step(0).delayMinutes = 1;
        r.step(0).settingsFile.set(QStringLiteral("s.set"));
        r.step(0).boundariesFile.set(QStringLiteral("b.grn"));
        r.step(0).calibrationFile.set(QStringLiteral("c.eic"));
        r.serialStep(0, "7", 1);
        r.step(1).delayMinutes = 1;
        if (result < 0)
            r.actions.linkOpensOnConnect = false;
        else
            r.actions.loadResults.insert(failing, static_cast<FileLoad>(result));
        r.runner.StartScript();
        const qsizetype actions = r.actions.log.size();
        r.run(600, 1);
        QCOMPARE(r.messages(), messages);
        for (const auto& m : r.dialogs.messages) QCOMPARE(m.title, QStringLiteral("File handling"));
        QVERIFY(!r.model.scriptRunning);
        QCOMPARE(r.model.scriptStepIndex, index);
        QCOMPARE(r.control.sent, sent);
        QCOMPARE(r.actions.log.size(), actions);  // no later step started
    }

    void measurementStoreFailures_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("index");
        QTest::newRow("cannot create")
            << static_cast<int>(FileSave::CannotOpen) << QStringList({"File error"}) << false << 1;
        QTest::newRow("write fails") << static_cast<int>(FileSave::WriteFailed)
                                     << QStringList({"File error", "next"}) << true << 2;
    }
    void measurementStoreFailures() {
        QFETCH(int, result);
        QFETCH(QStringList, messages);
        QFETCH(bool, running);
        QFETCH(int, index);
        Rig r;
        r.step(0).delayMinutes = 1;
        r.step(0).measurementFile.set(QStringLiteral("m.mes"));
        r.step(1).delayMinutes = 1;
        r.step(1).messageText.set(QStringLiteral("next"));
        r.actions.saveResults.insert(QStringLiteral("m.mes"), static_cast<FileSave>(result));
        r.runner.StartScript();
        r.run(61, 1);
        QCOMPARE(r.messages(), messages);
        QCOMPARE(bool(r.model.scriptRunning), running);
        QCOMPARE(r.model.scriptStepIndex, index);
        QCOMPARE(r.model.readDate.trimmed(), r.clock.dateText());
    }

    void everyStepSendsOnTheControlPort() {
        Rig r;
        r.step(0).delayMinutes = 1;
        r.serialStep(0, "1", 3);
        r.step(1).delayMinutes = 1;
        r.serialStep(1, "2", 1);
        r.runner.StartScript();
        r.run(61, 1);
        QCOMPARE(r.control.sent, QByteArray("\x01\x02"));
        QCOMPARE(r.control.opened, QStringList({"/dev/ttyS2", "/dev/ttyS0"}));
    }

    void controlPortSettingsRefused_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("flow");
        QTest::addColumn<QStringList>("settings");  // what the port was given
        QTest::newRow("never set up") << 0 << " " << 0 << 0 << 0 << QStringList();
        QTest::newRow("baud not offered") << 1000 << "N" << 8 << 1 << 0 << QStringList();
        QTest::newRow("parity") << 9600 << "X" << 8 << 1 << 0 << QStringList();
        QTest::newRow("data bits") << 9600 << "N" << 6 << 1 << 0 << QStringList();
        QTest::newRow("stop bits") << 9600 << "N" << 8 << 3 << 0 << QStringList();
        QTest::newRow("flow control") << 300 << "E" << 7 << 2 << 4 << QStringList({"300,E,7,2"});
    }
    void controlPortSettingsRefused() {
        QFETCH(int, baud);
        QFETCH(QString, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QFETCH(int, flow);
        QFETCH(QStringList, settings);
        Rig r;
        r.serialStep(0, "1", 0);
        r.step(0).controlBaud = static_cast<std::int16_t>(baud);
        r.step(0).controlParity.set(parity);
        r.step(0).controlDataBits = static_cast<std::int16_t>(dataBits);
        r.step(0).controlStopBits = static_cast<std::int16_t>(stopBits);
        r.step(0).controlHandshake = static_cast<std::int16_t>(flow);
        r.runner.StartScript();
        QCOMPARE(r.dialogs.messages, QList<ScriptedDialogs::Message>(
                                         {{"Invalid property value", QString::fromLatin1(PROGRAM_TITLE)}}));
        QCOMPARE(r.control.settings, settings);
        QVERIFY(r.control.flows.isEmpty());
        QVERIFY(r.control.opened.isEmpty());  // no port number either
        QVERIFY(r.control.sent.isEmpty());
    }

    void parallelDeviceFileGetsEveryByte() {
        QTemporaryDir dir;
        DeviceParallelPort lpt;
        const QString device = dir.filePath(QStringLiteral("relay"));
        QVERIFY(lpt.WriteByte(device, 0xFF));
        QVERIFY(lpt.WriteByte(device, 0x00));
        QVERIFY(!lpt.WriteByte(dir.filePath(QStringLiteral("no/such")), 1));
        QFile f(device);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xff\x00", 2));
    }

    void heldOffOutputIsDiscardedAfterTheTimeout() {
        Rig r;
        r.step(0).delayMinutes = 1;
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
        QCOMPARE(r.model.scriptStepIndex, 1);
        QVERIFY(r.model.scriptRunning);
    }

    void stopAndStartAgain() {
        Rig r;
        r.step(0).delayMinutes = 1;
        r.step(1).delayMinutes = 1;
        r.runner.StartScript();
        r.runner.StopScript();
        r.run(180, 1);
        QCOMPARE(r.actions.log.size(), 1);
        QCOMPARE(r.model.scriptStepIndex, 1);
        r.runner.StartScript();
        QCOMPARE(r.actions.log.size(), 2);
        QCOMPARE(r.model.scriptStepIndex, 1);
        QVERIFY(r.model.scriptRunning);
    }
    void typedDelay_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<int>("delay");
        QTest::newRow("2500 enter") << "2500" << true << 1440;
        QTest::newRow("2500 leave") << "2500" << false << 2000;
        QTest::newRow("99999 enter") << "99999" << true << 1440;
        QTest::newRow("99999 leave") << "99999" << false << 2000;
        QTest::newRow("negative") << "-5" << true << 0;
        QTest::newRow("in range") << "1500" << false << 1500;
        QTest::newRow("half") << "2.5" << true << 2;
        QTest::newRow("text") << "abc" << true << 0;
    }
    void typedDelay() {
        QFETCH(QString, text);
        QFETCH(bool, enter);
        QFETCH(int, delay);
        QCOMPARE(TypedDelay(text, enter), delay);
    }

    void storingTheShownStep() {
        MeasurementModel m;
        m.scriptStepIndex = 4;
        StoreShownStep(m, {QString(100, u'x'), "99999", "a.set", "b.grn", "c.eic", "m.mes", "1,2", "3", " 3"});
        const ScriptStep& s = m.scriptTable[4];
        QCOMPARE(s.messageText.text(), QString(80, u'x'));
        QCOMPARE(s.delayMinutes, 2000);
        QCOMPARE(s.settingsFile.rightTrimmed(), QStringLiteral("a.set"));
        QCOMPARE(s.boundariesFile.rightTrimmed(), QStringLiteral("b.grn"));
        QCOMPARE(s.calibrationFile.rightTrimmed(), QStringLiteral("c.eic"));
        QCOMPARE(s.measurementFile.rightTrimmed(), QStringLiteral("m.mes"));
        QCOMPARE(s.serialOutput.rightTrimmed(), QStringLiteral("1,2"));
        QCOMPARE(s.parallelOutput.rightTrimmed(), QStringLiteral("3"));
        QCOMPARE(s.parallelPort, 3);
        QCOMPARE(ShowStep(s).delay, QStringLiteral(" 2000"));
    }

    void copyStepForward_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("shownAfter");
        QTest::newRow("step 3") << 3 << 4;
        QTest::newRow("step 9 into the end position") << 9 << 9;
        QTest::newRow("end position") << 10 << 9;
    }
    void copyStepForward() {
        QFETCH(int, from);
        QFETCH(int, shownAfter);
        MeasurementModel m;
        ScriptStep& s = m.scriptTable[static_cast<std::size_t>(from)];
        s.messageText.set(QStringLiteral("copied"));
        s.delayMinutes = 9;
        s.parallelPort = 4;
        s.printMeasurement = true;
        s.controlPort = 2;
        m.scriptStepIndex = static_cast<std::int16_t>(from);
        CopyStepForward(m);
        QCOMPARE(int(m.scriptStepIndex), shownAfter);
        if (from == SCRIPT_END_POSITION) return;  // nothing after it, nothing written past the table
        const ScriptStep& t = m.scriptTable[static_cast<std::size_t>(from + 1)];
        QCOMPARE(t.messageText.rightTrimmed(), QStringLiteral("copied"));
        QCOMPARE(t.delayMinutes, 9);
        QCOMPARE(t.parallelPort, 4);
        QVERIFY(!t.printMeasurement);
        QCOMPARE(t.controlPort, 0);
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
        QTest::newRow("step 0") << 0 << "" << 0;
        QTest::newRow("empty on step 5") << 5 << "" << 8;
        QTest::newRow("set on step 5") << 5 << " 3" << 0;
    }
    void doubleClickTakesThePreviousStep() {
        QFETCH(int, at);
        QFETCH(QString, typed);
        QFETCH(int, delay);
        MeasurementModel m;
        for (auto& s : m.scriptTable) {
            s.delayMinutes = 8;
            s.measurementFile.set(QStringLiteral("before.mes"));
        }
        m.scriptTable[static_cast<std::size_t>(at)].delayMinutes = 0;
        m.scriptTable[static_cast<std::size_t>(at)].measurementFile.set(QStringLiteral("-"));
        m.scriptStepIndex = static_cast<std::int16_t>(at);
        TakeFromPreviousStep(m, InheritedField::Delay, typed);
        TakeFromPreviousStep(m, InheritedField::Measurement, {});
        QCOMPARE(int(m.scriptTable[static_cast<std::size_t>(at)].delayMinutes), delay);
        QCOMPARE(IsUsed(m.scriptTable[static_cast<std::size_t>(at)].measurementFile), at != 0);
    }

    void fileNamesThatFit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fits");
        QTest::newRow("80") << QString(80, u'a') << true;
        QTest::newRow("81") << QString(81, u'a') << false;
        QTest::newRow("latin-1") << QStringLiteral("/tmp/m\u00e4.mes") << true;
        QTest::newRow("outside the code page") << QStringLiteral("/tmp/\u20ac.mes") << false;
    }
    void fileNamesThatFit() {
        QFETCH(QString, name);
        QFETCH(bool, fits);
        QCOMPARE(FitsScriptField(name), fits);
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
