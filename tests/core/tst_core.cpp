#include <QtTest>
#include <cmath>

#include "Clock.h"
#include "CommandLine.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "Format.h"
#include "HelpLanguage.h"
#include "ParameterFile.h"
#include "ProgramDirectory.h"
#include "Rows.h"
#include "ScriptedDialogs.h"
#include "StartUp.h"
#include "Units.h"

using namespace tk;
using tk::test::FakeClock;
using tk::test::Row;
using tk::test::ScriptedDialogs;
using Messages = QList<ScriptedDialogs::Message>;

namespace {

const ScriptedDialogs::Message kCannotOpen{QStringLiteral("Cannot open file"),
                                           QStringLiteral("File handling")};

QByteArray ParameterBytes(quint8 language = 1, const QByteArray& script = {}, quint8 reply = 1,
                          quint8 trace = 20, quint8 settle = 2) {
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

// Makes a file, or a folder where the path ends in "/", under `root`; returns its full path.
QString Make(const QTemporaryDir& root, const QString& path) {
    const QString full = root.filePath(path);
    QDir().mkpath(QFileInfo(full).path());
    if (path.endsWith(u'/')) return full.chopped(1);
    QFile file(full);
    file.open(QIODevice::WriteOnly);
    return full;
}

}  // namespace

class TestCore : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;  // for the program's folders
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

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
        // Whether the start went past the parameter file and the messages shown | the parameters | the help
        // file chosen | the scripts started.
        QTest::addColumn<QString>("expected");
        QByteArray foreign = ParameterBytes(0, "x.scp", 9, 9, 9);
        foreign[4] = '2';  // "par02"
        // The start script's name is kept trimmed.
        Row("valid", ParameterBytes(0, "  start.scp", 3, 30, 5), "",
            "1 0|0 3 30 5 'start.scp'|TK820_2D.hlp|start.scp");
        Row("foreign signature keeps defaults", foreign, "", "0 1|1 1 20 2 ''||");
        Row("language out of range is English", ParameterBytes(7), "", "1 0|1 1 20 2 ''|TK820_2E.hlp|");
        // The language comes before the short field; the start goes on.
        Row("truncated", ParameterBytes(0, "", 4).left(100), "", "1 1|0 1 20 2 ''|TK820_2D.hlp|");
        Row("dash starts nothing", ParameterBytes(1, "-"), "", "1 0|1 1 20 2 '-'|TK820_2E.hlp|");
        Row("blanks start nothing", ParameterBytes(1, "      "), "", "1 0|1 1 20 2 ''|TK820_2E.hlp|");
        Row("command line untrimmed", ParameterBytes(), " b.scp ", "1 0|1 1 20 2 ''|TK820_2E.hlp| b.scp ");
    }
    void readsTheParameterFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, commandLine);
        Start s;
        s.write(file);
        const bool complete = s.run(commandLine);
        for (const auto& m : s.dialogs.messages) QCOMPARE(m, kCannotOpen);
        QTEST(QStringLiteral("%1 %2|%3|%4|%5")
                  .arg(int(complete))
                  .arg(s.dialogs.messages.size())
                  .arg(s.parameters(), s.helpFiles.join(u','), s.scripts.join(u',')),
              "expected");
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

    // What the command line holds beyond the defaults, and how many errors it has.
    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        Row("script words joined", QStringList{"my", "run.scp"}, "script=my run.scp|errors=0");
        Row("home and port", QStringList{"--home", "/tmp/x", "--port", "COM2=/dev/ttyUSB0", "a.scp"},
            "script=a.scp|home=/tmp/x|COM2=/dev/ttyUSB0|errors=0");
        Row("equals forms", QStringList{"--home=/h", "--port=com2=/d/3", "--headless", "--report=r", "x"},
            "script=x|home=/h|COM2=/d/3|report=r|headless|errors=0");
        Row("missing value", QStringList{"--home"}, "errors=1");
        Row("headless without script", QStringList{"--headless"}, "headless|errors=1");
        Row("report without headless", QStringList{"--report", "r", "a"}, "script=a|report=r|errors=1");
        Row("port left out: the value is the script", QStringList{"--remote", "a.scp"},
            "script=a.scp|remote=127.0.0.1:5025|errors=0");
        Row("port only", QStringList{"--headless", "--remote", "0"}, "headless|remote=127.0.0.1:0|errors=0");
        Row("address and port, allow list, folder",
            QStringList{"--remote=0.0.0.0:6000", "--remote-allow", "10.0.0.0/8,10.1.1.7/32",
                        "--remote-dir=/"},
            "remote=0.0.0.0:6000|allow=10.0.0.0/8 10.1.1.7/32|dir=/|errors=0");
        Row("IPv6 address", QStringList{"--remote", "::1:5026"}, "remote=::1:5026|errors=0");
        Row("port too big", QStringList{"--remote=70000"}, "remote=127.0.0.1:5025|errors=1");
        Row("allow without server", QStringList{"--remote-allow", "10.0.0.0/8"}, "allow=10.0.0.0/8|errors=1");
        Row("recorded traces", QStringList{"--record-traces=Peak, actual"}, "traces=110|errors=0");
        Row("recorded traces unknown", QStringList{"--record-traces", "actual,max"}, "errors=1");
        Row("recorded traces none", QStringList{"--record-traces", ","}, "errors=1");
    }
    void commandLine() {
        QFETCH(QStringList, args);
        const CommandLine cl = ParseCommandLine(args);
        QStringList got;
        const auto add = [&got](const char* key, const QString& value) {
            if (!value.isEmpty()) got << QString::fromLatin1(key) + u'=' + value;
        };
        add("script", cl.scriptName);
        add("home", cl.home.value_or(QString()));
        add("COM2", cl.portOverrides.value(2));
        add("report", cl.reportFile);
        if (cl.headless) got << QStringLiteral("headless");
        if (cl.remote) add("remote", QStringLiteral("%1:%2").arg(cl.remoteAddress).arg(cl.remotePort));
        add("allow", cl.remoteAllow.join(u' '));
        add("dir", cl.remoteDir);
        if (cl.recordTraces)
            add("traces", QStringLiteral("%1%2%3")
                              .arg(int((*cl.recordTraces)[0]))
                              .arg(int((*cl.recordTraces)[1]))
                              .arg(int((*cl.recordTraces)[2])));
        got << QStringLiteral("errors=%1").arg(cl.errors.size());
        QTEST(got.join(u'|'), "expected");
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
    // The parameter file stays beside a program run from its build or unpacked folder, but an installed
    // program's bin folder is no place for one user's file, even where the user may write there.
    void parameterFileFolder_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("beside");
        QTest::newRow("build tree") << "build/bin/" << true;
        QTest::newRow("installed") << "usr/bin/" << false;
    }
    void parameterFileFolder() {
        QFETCH(QString, executable);
        QFETCH(bool, beside);
        Make(m_root, QStringLiteral("usr/share/tk820-2/"));
        const QString exeDir = Make(m_root, executable);
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QCOMPARE(ResolveProgramDirectory(std::nullopt, exeDir), beside ? exeDir : config);
        QCOMPARE(ResolveProgramDirectory(m_root.filePath("home"), exeDir), m_root.filePath("home"));
    }

    void helpFilesAreFoundInOrder() {
        const QString exeDir = Make(m_root, QStringLiteral("usr/bin/"));
        const QString programDir = Make(m_root, QStringLiteral("config/"));
        const QStringList dirs = HelpDirectories(programDir, exeDir);
        QCOMPARE(dirs, (QStringList{programDir, exeDir, m_root.filePath("usr/share/tk820-2")}));
        QCOMPARE(HelpDirectories(exeDir, exeDir).size(), 2);

        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), QString());
        const QString shared = Make(m_root, QStringLiteral("usr/share/tk820-2/TK820_2E.hlp"));
        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), shared);
        const QString beside = Make(m_root, QStringLiteral("usr/bin/TK820_2E.hlp"));
        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), beside);
        QCOMPARE(FindHelpFile(dirs, "TK820_2D.hlp"), QString());
    }

    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, double value, const char* pattern, const char* expected) {
            QTest::newRow(name) << value << QString::fromLatin1(pattern) << QString::fromLatin1(expected);
        };
        const char* dbm = "0000.0 dBm;-000.0 dBm";
        row("positive level", 12.34, dbm, "0012.3 dBm");
        row("negative level", -27.0, dbm, "-027.0 dBm");
        row("zero", 0.0, dbm, "0000.0 dBm");
        row("half to even down", 0.25, "0.0", "0.2");
        row("binary value below half", 0.35, "0.0", "0.3");  // 0.35 is 0.34999.. in binary
        row("optional digits negative", -32.5, "###0.0", "-32.5");
        row("more digits than placeholders", 12345.0, "###0.0", "12345.0");
        row("three decimals", 2.0 / 3.0, "0000.000", "0000.667");
        row("zero section", 0.0, "0.0;-0.0;zero", "zero");
        row("rounds into next digit", 9.96, "00.0 dB", "10.0 dB");
        row("hash only, below one", 0.5, "#.0", ".5");
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QTEST(FormatNumber(value, pattern), "expected");
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("stops at letter") << "12abc" << 12.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("exponent D") << "2d2" << 200.0;
        QTest::newRow("bare exponent letter") << "7E" << 7.0;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower case") << "&hff," << 255.0;
        QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("ampersand alone") << "&" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QTEST(LeadingNumber(text), "expected");
    }

    void levels_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("raw 255 dBm") << 255 << UNIT_DBM << 0.0f << "-027.0 dBm";
        QTest::newRow("raw 255 dBpW") << 255 << UNIT_DBPW << 0.0f << "0063.0 dBpW";
        QTest::newRow("attenuation added") << 255 << UNIT_DBM << 10.0f << "-017.0 dBm";
        // The user unit (as dBm at start) is named after the number; its name is no part of the pattern.
        QTest::newRow("user unit as dBm") << 255 << UNIT_USER << 0.0f << "-027.0 V0.#";
        QTest::newRow("negative raw") << -51 << UNIT_DBUV << 0.0f << "-016.0 dBuV";
    }
    void levels() {
        QFETCH(int, raw);
        QFETCH(int, unit);
        QFETCH(float, attenuation);
        MeasurementSettings s;
        s.attenuation = attenuation;
        s.userUnitName.set(QStringLiteral("  V0.#  "));
        QTEST(FormatLevel(s, raw, unit), "expected");
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
