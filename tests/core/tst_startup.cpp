#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "CommandLine.h"
#include "FakeClock.h"
#include "HelpLanguage.h"
#include "ParameterFile.h"
#include "ScriptedDialogs.h"
#include "StartUp.h"

using namespace tk;
using tk::test::FakeClock;
using tk::test::ScriptedDialogs;

namespace {

struct RecordingHooks final : StartupHooks {
    explicit RecordingHooks(MeasurementModel& m) : model(m) {}
    void HelpFileSelected(const QString& name) override { helpFiles.append(name); }
    void StartScript() override { scripts.append(model.scriptFileName); }
    MeasurementModel& model;
    QStringList helpFiles;
    QStringList scripts;
};

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

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const ScriptedDialogs::Message kCannotOpen{QStringLiteral("Cannot open file"),
                                           QStringLiteral("File handling")};

}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void firstRunLeavesEmptyFileAndExitWritesValidOne() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(!RunStartUp(model, path, QStringLiteral("cmd.scp"), clock, dialogs, hooks));
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>{kCannotOpen});
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        // Nothing after the parameter file runs on such a start.
        QVERIFY(hooks.helpFiles.isEmpty());
        QVERIFY(hooks.scripts.isEmpty());
        QVERIFY(model.printFontName.isEmpty());
        QVERIFY(model.printHeadline.trimmed().isEmpty());
        QCOMPARE(model.parameters.replyTimeout, 1);
        QCOMPARE(model.parameters.traceTimeout, 20);
        QCOMPARE(model.parameters.settleDelay, 2);

        QVERIFY(WriteParameterFileAtExit(model, path, dialogs));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(ReadFile(path), ParameterBytes(1, "", 1, 20, 2));

        MeasurementModel next;
        ScriptedDialogs dialogs2;
        RecordingHooks hooks2(next);
        QVERIFY(RunStartUp(next, path, QString(), clock, dialogs2, hooks2));
        QVERIFY(dialogs2.messages.isEmpty());
        QCOMPARE(hooks2.helpFiles, QStringList{QStringLiteral("TK820_2E.hlp")});
        QCOMPARE(next.printFontName, QStringLiteral("Courier New"));
        QCOMPARE(next.printFontSize, 10);
        QCOMPARE(next.printHeadline.trimmed(), QStringLiteral("ZELOR Instruments"));
    }

    void foreignSignatureKeepsDefaults() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        QByteArray bytes = ParameterBytes(0, "x.scp", 9, 9, 9);
        bytes[4] = '2';  // "par02"
        WriteFile(path, bytes);
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(!RunStartUp(model, path, QString(), clock, dialogs, hooks));
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>{kCannotOpen});
        QCOMPARE(model.parameters.replyTimeout, 1);
        QCOMPARE(model.parameters.languageIndex, 1);
        QVERIFY(hooks.scripts.isEmpty());
    }

    void validFileIsRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        WriteFile(path, ParameterBytes(0, "  start.scp", 3, 30, 5));
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(RunStartUp(model, path, QString(), clock, dialogs, hooks));
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(model.parameters.languageIndex, 0);
        QCOMPARE(hooks.helpFiles, QStringList{QStringLiteral("TK820_2D.hlp")});
        QCOMPARE(model.parameters.replyTimeout, 3);
        QCOMPARE(model.parameters.traceTimeout, 30);
        QCOMPARE(model.parameters.settleDelay, 5);
        // The name is kept trimmed.
        QCOMPARE(model.parameters.startScriptName.rightTrimmed(), QStringLiteral("start.scp"));
        QCOMPARE(hooks.scripts, QStringList{QStringLiteral("start.scp")});
    }

    void startScripts_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("dash starts nothing") << QByteArray("-") << QString() << QStringList();
        QTest::newRow("blanks start nothing") << QByteArray("      ") << QString() << QStringList();
        QTest::newRow("command line only")
            << QByteArray("") << "my script.scp" << QStringList{"my script.scp"};
        QTest::newRow("both, stored first")
            << QByteArray("a.scp") << "b.scp" << QStringList{"a.scp", "b.scp"};
        QTest::newRow("command line untrimmed") << QByteArray("-") << " b.scp " << QStringList{" b.scp "};
    }
    void startScripts() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, commandLine);
        QFETCH(QStringList, started);
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        WriteFile(path, ParameterBytes(1, stored, 1, 20, 2));
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(RunStartUp(model, path, commandLine, clock, dialogs, hooks));
        QCOMPARE(hooks.scripts, started);
    }

    void languageOutOfRangeBecomesEnglish() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        WriteFile(path, ParameterBytes(7, "", 1, 20, 2));
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(RunStartUp(model, path, QString(), clock, dialogs, hooks));
        QCOMPARE(hooks.helpFiles, QStringList{QStringLiteral("TK820_2E.hlp")});
        QVERIFY(WriteParameterFileAtExit(model, path, dialogs));
        QCOMPARE(ReadFile(path).at(5), '\x01');
    }

    void truncatedFileReportsAndContinues() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        WriteFile(path, ParameterBytes(0, "", 4, 20, 2).left(100));
        MeasurementModel model;
        FakeClock clock;
        ScriptedDialogs dialogs;
        RecordingHooks hooks(model);
        QVERIFY(RunStartUp(model, path, QString(), clock, dialogs, hooks));
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>{kCannotOpen});
        QCOMPARE(model.parameters.languageIndex, 0);  // read before the short field
        QCOMPARE(model.parameters.replyTimeout, 1);
        QCOMPARE(hooks.helpFiles.size(), 1);
    }

    void writeKeepsLongerFileAndWritesFromStart() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PARAMETER_FILE_NAME);
        WriteFile(path, QByteArray(300, 'x'));
        MeasurementModel model;
        ScriptedDialogs dialogs;
        model.parameters.startScriptName.set(QStringLiteral("run.scp"));
        QVERIFY(WriteParameterFileAtExit(model, path, dialogs));
        const QByteArray bytes = ReadFile(path);
        QCOMPARE(bytes.size(), 300);
        QCOMPARE(bytes.left(PARAMETER_FILE_SIZE), ParameterBytes(1, "run.scp", 1, 20, 2));
        QCOMPARE(bytes.mid(PARAMETER_FILE_SIZE), QByteArray(300 - PARAMETER_FILE_SIZE, 'x'));
    }

    void exitWithUnopenableFileKeepsRunning() {
        QTemporaryDir dir;
        MeasurementModel model;
        ScriptedDialogs dialogs;
        // A directory of that name cannot be opened as a file.
        QVERIFY(QDir(dir.path()).mkdir(PARAMETER_FILE_NAME));
        QVERIFY(!WriteParameterFileAtExit(model, dir.filePath(PARAMETER_FILE_NAME), dialogs));
        const ScriptedDialogs::Message fileError{QStringLiteral("File error"),
                                                 QStringLiteral("File handling")};
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>{fileError});
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("com2");
        QTest::addColumn<int>("errors");
        QTest::newRow("nothing") << QStringList{} << ""
                                 << ""
                                 << "" << 0;
        QTest::newRow("script words joined") << QStringList{"my", "run.scp"} << "my run.scp"
                                             << ""
                                             << "" << 0;
        QTest::newRow("home and port")
            << QStringList{"--home", "/tmp/x", "--port", "COM2=/dev/ttyUSB0", "a.scp"} << "a.scp"
            << "/tmp/x"
            << "/dev/ttyUSB0" << 0;
        QTest::newRow("equals forms") << QStringList{"--home=/h", "--port=com2=/dev/pts/3"} << ""
                                      << "/h"
                                      << "/dev/pts/3" << 0;
        QTest::newRow("bad port") << QStringList{"--port", "COM7=/dev/x"} << ""
                                  << ""
                                  << "" << 1;
        QTest::newRow("missing value") << QStringList{"--home"} << ""
                                       << ""
                                       << "" << 1;
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << ""
                                        << ""
                                        << "" << 1;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, script);
        QFETCH(QString, home);
        QFETCH(QString, com2);
        QFETCH(int, errors);
        const CommandLine cl = ParseCommandLine(args);
        QCOMPARE(cl.scriptName, script);
        QCOMPARE(cl.home.value_or(QString()), home);
        QCOMPARE(cl.portOverrides.value(2), com2);
        QCOMPARE(cl.errors.size(), errors);
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
