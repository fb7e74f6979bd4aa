#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "Clock.h"
#include "CommandLine.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "HelpLanguage.h"
#include "ParameterFile.h"
#include "ScriptedDialogs.h"
#include "StartUp.h"

using namespace tk;
using tk::test::FakeClock;
using tk::test::ScriptedDialogs;

namespace {

using Messages = QList<ScriptedDialogs::Message>;
const ScriptedDialogs::Message kCannotOpen{QStringLiteral("Cannot open file"),
                                           QStringLiteral("File handling")};

QByteArray ParameterBytes(quint8 language, const QByteArray& script, quint8 reply, quint8 trace,
                          quint8 settle) {
    QByteArray b("par01");
    b.append(static_cast<char>(language));
    b.append(script.leftJustified(160, ' ', true));
    b.append(static_cast<char>(reply));
    b.append(static_cast<char>(trace));
    b.append(static_cast<char>(settle));
    return b;
}

// One program start with the parameter file in a directory of its own; records the help file chosen and
// the scripts started.
struct Start final : StartupHooks {
    QTemporaryDir dir;
    QString path = dir.filePath(PARAMETER_FILE_NAME);
    MeasurementModel model;
    FakeClock clock;
    ScriptedDialogs dialogs;
    QStringList helpFiles;
    QStringList scripts;

    void HelpFileSelected(const QString& name) override { helpFiles.append(name); }
    void StartScript() override { scripts.append(model.scriptFileName); }

    void write(const QByteArray& bytes) { QVERIFY(tk::test::WriteBytes(path, bytes)); }
    QByteArray read() const { return tk::test::FileBytes(path); }
    bool run(const QString& commandLine = {}) {
        return RunStartUp(model, path, commandLine, clock, dialogs, *this);
    }
    bool exit() { return WriteParameterFileAtExit(model, path, dialogs); }
    // Language, the three timings and the start script's name as the model holds them.
    QString parameters() const {
        const ParameterFields& p = model.parameters;
        return QStringLiteral("%1 %2 %3 %4 '%5'")
            .arg(p.languageIndex)
            .arg(p.replyTimeout)
            .arg(p.traceTimeout)
            .arg(p.settleDelay)
            .arg(p.startScriptName.rightTrimmed());
    }
};

}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void firstRunLeavesEmptyFileAndExitWritesValidOne() {
        Start s;
        QVERIFY(!s.run(QStringLiteral("cmd.scp")));
        QCOMPARE(s.dialogs.messages, Messages{kCannotOpen});
        QVERIFY(QFile::exists(s.path));
        QCOMPARE(QFileInfo(s.path).size(), 0);
        // Nothing after the parameter file runs on such a start.
        QVERIFY(s.helpFiles.isEmpty() && s.scripts.isEmpty());
        QVERIFY(s.model.printFontName.isEmpty() && s.model.printHeadline.trimmed().isEmpty());
        QCOMPARE(s.parameters(), QStringLiteral("1 1 20 2 ''"));

        QVERIFY(s.exit());
        QCOMPARE(s.dialogs.messages.size(), 1);
        QCOMPARE(s.read(), ParameterBytes(1, "", 1, 20, 2));
        Start next;
        next.write(s.read());
        QVERIFY(next.run());
        QVERIFY(next.dialogs.messages.isEmpty());
        QCOMPARE(next.helpFiles, QStringList{QStringLiteral("TK820_2E.hlp")});
        QCOMPARE(next.model.printFontName, QStringLiteral("Courier New"));
        QCOMPARE(next.model.printFontSize, 10);
        QCOMPARE(next.model.printHeadline.trimmed(), QStringLiteral("ZELOR Instruments"));
    }

    void readsTheParameterFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("complete");  // the start went past the parameter file
        QTest::addColumn<bool>("message");   // "Cannot open file"
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("help");
        QTest::addColumn<QStringList>("scripts");
        const auto row = [](const char* name, const QByteArray& file, const char* commandLine, bool complete,
                            bool message, const char* parameters, const char* help,
                            const QStringList& scripts) {
            QTest::newRow(name) << file << QString::fromLatin1(commandLine) << complete << message
                                << QString::fromLatin1(parameters)
                                << (*help ? QStringList{QString::fromLatin1(help)} : QStringList())
                                << scripts;
        };
        const char* english = "TK820_2E.hlp";
        const QByteArray plain = ParameterBytes(1, "", 1, 20, 2);
        QByteArray foreign = ParameterBytes(0, "x.scp", 9, 9, 9);
        foreign[4] = '2';  // "par02"
        // The start script's name is kept trimmed.
        row("valid", ParameterBytes(0, "  start.scp", 3, 30, 5), "", true, false, "0 3 30 5 'start.scp'",
            "TK820_2D.hlp", {"start.scp"});
        row("foreign signature keeps defaults", foreign, "", false, true, "1 1 20 2 ''", "", {});
        row("language out of range is English", ParameterBytes(7, "", 1, 20, 2), "", true, false,
            "1 1 20 2 ''", english, {});
        // The language comes before the short field; the start goes on.
        row("truncated", ParameterBytes(0, "", 4, 20, 2).left(100), "", true, true, "0 1 20 2 ''",
            "TK820_2D.hlp", {});
        row("dash starts nothing", ParameterBytes(1, "-", 1, 20, 2), "", true, false, "1 1 20 2 '-'", english,
            {});
        row("blanks start nothing", ParameterBytes(1, "      ", 1, 20, 2), "", true, false, "1 1 20 2 ''",
            english, {});
        row("command line only", plain, "my script.scp", true, false, "1 1 20 2 ''", english,
            {"my script.scp"});
        row("both, stored first", ParameterBytes(1, "a.scp", 1, 20, 2), "b.scp", true, false,
            "1 1 20 2 'a.scp'", english, {"a.scp", "b.scp"});
        row("command line untrimmed", plain, " b.scp ", true, false, "1 1 20 2 ''", english, {" b.scp "});
    }
    void readsTheParameterFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, commandLine);
        QFETCH(bool, message);
        Start s;
        s.write(file);
        QTEST(s.run(commandLine), "complete");
        QCOMPARE(s.dialogs.messages, message ? Messages{kCannotOpen} : Messages());
        QTEST(s.parameters(), "parameters");
        QTEST(s.helpFiles, "help");
        QTEST(s.scripts, "scripts");
    }

    void writeKeepsLongerFileAndWritesFromStart() {
        Start s;
        s.write(QByteArray(300, 'x'));
        s.model.parameters.startScriptName.set(QStringLiteral("run.scp"));
        QVERIFY(s.exit());
        const QByteArray bytes = s.read();
        QCOMPARE(bytes.left(PARAMETER_FILE_SIZE), ParameterBytes(1, "run.scp", 1, 20, 2));
        QCOMPARE(bytes.mid(PARAMETER_FILE_SIZE), QByteArray(300 - PARAMETER_FILE_SIZE, 'x'));
    }

    void exitWithUnopenableFileKeepsRunning() {
        Start s;
        QVERIFY(QDir(s.dir.path()).mkdir(PARAMETER_FILE_NAME));  // a directory cannot be opened as a file
        QVERIFY(!s.exit());
        QCOMPARE(s.dialogs.messages,
                 (Messages{{QStringLiteral("File error"), QStringLiteral("File handling")}}));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");  // script|home|COM2 device|count of errors
        QTest::newRow("nothing") << QStringList{} << "|||0";
        QTest::newRow("script words joined") << QStringList{"my", "run.scp"} << "my run.scp|||0";
        QTest::newRow("home and port")
            << QStringList{"--home", "/tmp/x", "--port", "COM2=/dev/ttyUSB0", "a.scp"}
            << "a.scp|/tmp/x|/dev/ttyUSB0|0";
        QTest::newRow("equals forms")
            << QStringList{"--home=/h", "--port=com2=/dev/pts/3"} << "|/h|/dev/pts/3|0";
        QTest::newRow("bad port") << QStringList{"--port", "COM7=/dev/x"} << "|||1";
        QTest::newRow("missing value") << QStringList{"--home"} << "|||1";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "|||1";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        const CommandLine cl = ParseCommandLine(args);
        const QStringList got{cl.scriptName, cl.home.value_or(QString()), cl.portOverrides.value(2),
                              QString::number(cl.errors.size())};
        QTEST(got.join('|'), "expected");
    }

    void simulatedClock() {
        // A run in simulated time begins on a whole minute of today, so that a step's delay of one minute
        // waits the whole minute.
        SimulatedClock start = SimulatedClock::AtStartOfCurrentMinute();
        QCOMPARE(std::fmod(start.seconds(), 60.0), 0.0);
        QVERIFY(std::abs(start.seconds() - QTime::currentTime().msecsSinceStartOfDay() / 1000.0) < 61.0 ||
                start.seconds() == 86340.0);
        // Only waits move it; past midnight the date goes on.
        SimulatedClock c(86399.5, QDate(2026, 12, 31));
        c.sleepMs(-5);
        QCOMPARE(c.timeText(), QStringLiteral("23:59:59"));
        c.sleepMs(500);
        QCOMPARE(
            QStringLiteral("%1 %2:%3 %4").arg(c.timeText()).arg(c.hour()).arg(c.minute()).arg(c.dateText()),
            QStringLiteral("00:00:00 0:0 01.01.2027"));
    }

    void headlessOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");  // headless|report|first error
        QTest::newRow("run with report")
            << QStringList{"--headless", "--report", "r.json", "a.scp"} << "1|r.json|";
        QTest::newRow("report in equals form")
            << QStringList{"--headless", "--report=r.json", "a.scp"} << "1|r.json|";
        QTest::newRow("no script") << QStringList{"--headless"} << "1||--headless needs a script file or --remote";
        QTest::newRow("report without headless")
            << QStringList{"--report", "r.json", "a.scp"} << "0|r.json|--report is only for --headless runs";
    }
    void headlessOptions() {
        QFETCH(QStringList, args);
        const CommandLine cl = ParseCommandLine(args);
        QTEST(QStringLiteral("%1|%2|%3").arg(int(cl.headless)).arg(cl.reportFile, cl.errors.value(0)),
              "expected");
    }

    void remoteOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");  // address:port|allow|dir|script|first error
        QTest::newRow("port left out: the value is the script")
            << QStringList{"--remote", "a.scp"} << "127.0.0.1:5025|||a.scp|";
        QTest::newRow("port only") << QStringList{"--headless", "--remote", "0"} << "127.0.0.1:0||||";
        QTest::newRow("address and port, allow list, folder")
            << QStringList{"--remote=0.0.0.0:6000", "--remote-allow", "10.0.0.0/8,192.168.1.7/32", "--remote-dir",
                           "/srv/lab"}
            << "0.0.0.0:6000|10.0.0.0/8 192.168.1.7/32|/srv/lab||";
        QTest::newRow("IPv6 address") << QStringList{"--remote", "::1:5026"} << "::1:5026||||";
        QTest::newRow("port too big") << QStringList{"--remote=70000"}
                                      << "127.0.0.1:5025||||--remote expects [ADDRESS:]PORT with a port up to 65535";
        QTest::newRow("allow without server") << QStringList{"--remote-allow", "10.0.0.0/8"}
                                              << "127.0.0.1:5025|10.0.0.0/8|||--remote-allow and --remote-dir are "
                                                 "only for --remote";
    }
    void remoteOptions() {
        QFETCH(QStringList, args);
        const CommandLine cl = ParseCommandLine(args);
        QTEST(QStringLiteral("%1:%2|%3|%4|%5|%6")
                  .arg(cl.remoteAddress)
                  .arg(cl.remotePort)
                  .arg(cl.remoteAllow.join(u' '), cl.remoteDir, cl.scriptName, cl.errors.value(0)),
              "expected");
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
