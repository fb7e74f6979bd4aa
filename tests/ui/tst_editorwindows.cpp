// The editor windows: the script editor with its dialogs and its steps' file actions, and the calibration
// curve editor with its file commands through the main window's menus and buttons (against the in-process
// emulated interface in simulated time).
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "BoundariesFile.h"
#include "CalibrationCommands.h"
#include "CalibrationFile.h"
#include "ControlPortSetup.h"
#include "CurvePoints.h"
#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "LinkRig.h"
#include "MainWindowRig.h"
#include "QtUserDialogs.h"
#include "Rows.h"
#include "ScriptFakes.h"
#include "ScriptFile.h"
#include "ScriptFileActions.h"
#include "ScriptWindow.h"
#include "SettingsFile.h"
#include "StartScriptDialog.h"

using namespace tk;
using namespace tk::test;

namespace {

struct Editor {
    MeasurementModel model;
    ScriptedDialogs dialogs;
    ScriptWindow window{model, dialogs, {}};
    QLineEdit* edit(const char* name) { return window.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

// A script whose step 0 shows a message and ends (no delay); written as a file, or with another tag.
QString WriteScript(const QTemporaryDir& dir, const char* name, const char* message,
                    const char* tag = "scp1 ") {
    ScriptTable table{};
    table[0].messageText.set(QString::fromLatin1(message));
    QByteArray bytes = ScriptBytes(table);
    bytes.replace(0, 5, tag);
    const QString path = dir.filePath(QString::fromLatin1(name));
    WriteBytes(path, bytes);
    return path;
}

struct CurveEditorApp : EmulatorAppRig {
    using EmulatorAppRig::EmulatorAppRig;
    QWidget* editor() {
        trigger("mnuboxeich");
        return find("boxeich");
    }
    QStringList listLines() {
        QStringList lines;
        auto* list = find<QListWidget>("lsteich");
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
    void enter(const QString& freq, const QString& offset) {
        find<QLineEdit>("eichfreq")->setText(freq);
        find<QLineEdit>("eichpeg")->setText(offset);
        QTest::keyClick(find<QLineEdit>("eichpeg"), Qt::Key_Return);
    }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    void select(int row) { find<QListWidget>("lsteich")->setCurrentRow(row); }
};

}  // namespace

class TestEditorWindows : public QObject {
    Q_OBJECT
private slots:
    // A script's message box waits for nobody: the call returns with the box open and not modal, so that
    // the script, the line and the measurement go on.
    void scriptMessagesDoNotWait() {
        QtUserDialogs dialogs;
        dialogs.notice(QStringLiteral("Script done"), QStringLiteral("Script info"),
                       MessageIcon::Information);
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->text() == QStringLiteral("Script done"))
                box = b;
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(box->windowTitle(), QStringLiteral("Script info"));
        box->close();
    }

    // A chosen name longer than its field is refused with a message. A name that fits belongs to the step at
    // once: "-" in another field, which shows the step again, keeps it. Fields show their names without the
    // padding, and take no typing but the dash.
    void chosenFileNames() {
        Editor e;
        e.model.scriptTable[0].settingsFile.set(QStringLiteral("a.set"));
        e.window.ShowModel();
        e.dialogs.openAnswers << QString(100, u'a') << QStringLiteral("/tmp/b.grn")
                              << QStringLiteral("/m/b.eic");
        e.dialogs.saveAnswers.enqueue(QStringLiteral("/m/a.mes"));
        e.button("cbscrlim")->click();
        QCOMPARE(e.edit("scrlim")->text().trimmed(), QStringLiteral("-"));
        QCOMPARE(e.dialogs.messages.size(), 1);
        e.button("cbscrlim")->click();
        QCOMPARE(e.edit("scrlim")->text(), QStringLiteral("/tmp/b.grn"));
        e.button("cbscrsavename")->click();
        e.button("cbscreich")->click();
        QTest::keyClick(e.edit("scrset"), Qt::Key_B);
        QCOMPARE(e.model.scriptTable[0].settingsFile.rightTrimmed(), QStringLiteral("a.set"));
        QTest::keyClick(e.edit("scrset"), Qt::Key_Minus);
        QCOMPARE(e.model.scriptTable[0].settingsFile.rightTrimmed(), QStringLiteral("-"));
        QCOMPARE(e.edit("scrset")->text(), QStringLiteral("-"));
        QCOMPARE(e.edit("scrlim")->text(), QStringLiteral("/tmp/b.grn"));
        QCOMPARE(e.edit("scrsavename")->text(), QStringLiteral("/m/a.mes"));
        QCOMPARE(e.edit("screich")->text(), QStringLiteral("/m/b.eic"));
        QCOMPARE(e.model.scriptTable[0].calibrationFile.rightTrimmed(), QStringLiteral("/m/b.eic"));
        e.button("cbscriptok")->click();
        QCOMPARE(e.model.scriptTable[0].boundariesFile.rightTrimmed(), QStringLiteral("/tmp/b.grn"));
        QCOMPARE(e.dialogs.messages.size(), 1);
    }

    // The delay is held to a day on Enter; after a finished run the spinner leads back to step 9; the LPT
    // spinner moves the port a step each way.
    void stepAndTimeFields() {
        Editor e;
        e.edit("scripttime")->setText(QStringLiteral("2500"));
        QTest::keyClick(e.edit("scripttime"), Qt::Key_Return);
        QCOMPARE(e.model.scriptTable[0].delayMinutes, 1440);
        QCOMPARE(e.edit("scripttime")->text(), QStringLiteral(" 1440"));
        e.model.scriptStepIndex = SCRIPT_END_POSITION;
        e.window.ShowModel();
        QCOMPARE(e.edit("scriptnr")->text(), QStringLiteral(" 10"));
        e.window.findChild<QWidget*>(QStringLiteral("Spin1"))
            ->findChild<QToolButton*>(QStringLiteral("up"))
            ->click();
        QCOMPARE(e.model.scriptStepIndex, 9);
        QWidget* lpt = e.window.findChild<QWidget*>(QStringLiteral("Spin2"));
        for (const char* button : {"up", "up", "up", "down"})
            lpt->findChild<QToolButton*>(QString::fromLatin1(button))->click();
        QCOMPARE(e.edit("scrlptcom")->text(), QStringLiteral(" 3"));
    }

    void controlPortChoicesAreStoredAtOnce() {
        ScriptStep step;
        ControlPortSetup setup(step);
        QVERIFY(!setup.findChild<QRadioButton*>(QStringLiteral("ComPort0"))->isChecked());
        setup.findChild<QRadioButton*>(QStringLiteral("ComPort2"))->click();
        setup.findChild<QRadioButton*>(QStringLiteral("Parity1"))->click();
        setup.findChild<QRadioButton*>(QStringLiteral("FlowControl3"))->click();
        QCOMPARE(step.controlPort, 3);
        QCOMPARE(step.controlParity.text(), QStringLiteral("O"));
        QCOMPARE(step.controlHandshake, 3);
    }

    void startScriptDialog() {
        MeasurementModel model;
        ScriptedDialogs dialogs;
        dialogs.openAnswers.enqueue(QStringLiteral("/srv/run.scp"));
        StartScriptDialog d(model, dialogs);
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), QStringLiteral("/srv/run.scp"));
        d.findChild<QPushButton*>(QStringLiteral("cbl_schen"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), QStringLiteral("-"));
        QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("scpname"))->text(), QStringLiteral("-"));

        // The parameter file holds 160 characters: a name of 160 is taken whole, one of 161 is refused.
        const QString name160 = QStringLiteral("/") + QString(155, u'a') + QStringLiteral(".scp");
        dialogs.openAnswers.enqueue(name160);
        dialogs.openAnswers.enqueue(name160 + u'x');
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), name160);
        QVERIFY(dialogs.messages.isEmpty());
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), name160);
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void scriptsStartAtProgramStart_data() {
        QTest::addColumn<QByteArray>("commandLineTag");
        QTest::addColumn<QStringList>("messages");
        Row("both start, parameter file first", QByteArray("scp1 "), QStringList({"first", "second"}));
        // A refused command-line script does not start the table of the first one again.
        Row("unknown tag starts nothing", QByteArray("scp9 "), QStringList({"first", "Cannot open file"}));
    }
    void scriptsStartAtProgramStart() {
        QFETCH(QByteArray, commandLineTag);
        QFETCH(QStringList, messages);
        MainWindowRig r;
        const QString first = WriteScript(r.home, "first.scp", "first");
        const QString second = WriteScript(r.home, "second.scp", "second", commandLineTag.constData());
        QVERIFY(WriteBytes(r.home.filePath(QString::fromLatin1(PARAMETER_FILE_NAME)),
                           "par01\x01" + first.toLatin1().leftJustified(160, ' ') + "\x01\x14\x02"));
        FakeScriptActions actions{r.clock};
        r.window.scripts().UseActions(actions);
        r.window.Load(second);
        QStringList shown;
        for (const auto& m : r.dialogs.messages) shown.append(m.text.trimmed());
        QCOMPARE(shown, messages);
        QCOMPARE(actions.log.size(), messages.last() == QStringLiteral("second") ? 2 : 1);
        QVERIFY(r.window.scripts().editor());
        QVERIFY(r.window.scripts().editor()->parentWidget()->isMinimized());
    }
    void realActionsReportWhatTheStepNeeds_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        MeasurementModel m;
        const QByteArray set = WriteSettings(m);
        const QByteArray grn = BoundariesBytes(m);
        m.calibrationCurve.pointCount = 3;
        const QByteArray eic = CalibrationFileBytes(m.calibrationCurve);
        const struct {
            const char* kind;
            QByteArray whole;
        } kinds[] = {{"set", set}, {"grn", grn}, {"eic", eic}};
        for (const auto& k : kinds) {
            QTest::addRow("%s whole", k.kind) << k.kind << k.whole << int(FileLoad::Ok);
            QTest::addRow("%s short", k.kind)
                << k.kind << k.whole.left(k.whole.size() - 3) << int(FileLoad::ReadFailed);
            QTest::addRow("%s other tag", k.kind)
                << k.kind << QByteArray("mes5 ") + k.whole.mid(5) << int(FileLoad::CannotOpen);
        }
    }
    void realActionsReportWhatTheStepNeeds() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QTemporaryDir dir;
        LinkRig rig;
        ScriptFileActions actions(rig.model, rig.link, {});
        const auto load = [&](const QString& path) {
            return kind == u"set"   ? actions.LoadSettings(path)
                   : kind == u"grn" ? actions.LoadBoundaries(path)
                                    : actions.LoadCalibration(path);
        };
        const QString path = dir.filePath(QStringLiteral("a.") + kind);
        QVERIFY(WriteBytes(path, bytes));
        QCOMPARE(int(load(path)), result);
        QCOMPARE(load(dir.filePath(QStringLiteral("none"))), FileLoad::CannotOpen);
        QCOMPARE(actions.SaveMeasurement(dir.filePath(QStringLiteral("no/m.mes"))), FileSave::CannotOpen);
        const QString mes = dir.filePath(QStringLiteral("m.mes"));
        QCOMPARE(actions.SaveMeasurement(mes), FileSave::Ok);
        QCOMPARE(QFileInfo(mes).size(), 11411);  // 500 points
    }

    // Enter takes the typed point into the list and leaves the fields showing what was stored, selected;
    // a double click puts a point back into the fields; the buttons sort, remove the selected point and
    // clear the curve.
    void curveEditingPrintAndOk() {
        CurveEditorApp app;
        app.editor();
        app.enter(QStringLiteral("2500"), QStringLiteral("-150"));
        QCOMPARE(app.listLines(), QStringList{QStringLiteral("2000.000 MHz\t-100.0 dB")});
        QCOMPARE(app.find<QLineEdit>("eichfreq")->selectedText(), QStringLiteral("2000"));
        QCOMPARE(app.find<QLineEdit>("eichpeg")->selectedText(), QStringLiteral("-100"));
        app.enter(QStringLiteral("100"), QStringLiteral("2.5"));
        app.enter(QStringLiteral("100"), QStringLiteral("3"));

        app.select(1);
        auto* list = app.find<QListWidget>("lsteich");
        emit list->itemDoubleClicked(list->item(1));
        QCOMPARE(app.find<QLineEdit>("eichpeg")->text(), QStringLiteral("2.5"));

        app.click("cbeinfügen");
        QCOMPARE(app.listLines(), (QStringList{QStringLiteral("0100.000 MHz\t03.0 dB"),
                                               QStringLiteral("2000.000 MHz\t-100.0 dB")}));
        app.select(0);
        app.click("cblöschen");
        QCOMPARE(app.listLines(), QStringList{QStringLiteral("2000.000 MHz\t-100.0 dB")});

        app.click("Command2");  // "&Delete all"
        QCOMPARE(app.listLines(), QStringList());
        QCOMPARE(app.find<QLineEdit>("eichfreq")->text(), QString());

        // "Print" gives the lines as entered; "&OK" sorts them, switches the correction on and closes.
        app.enter(QStringLiteral("300"), QStringLiteral("1"));
        app.enter(QStringLiteral("100"), QStringLiteral("2"));
        QStringList printed;
        app.window->findChild<CalibrationCommands*>()->hooks().printLines = [&](const QStringList& l) {
            printed = l;
        };
        app.click("Command3");
        QCOMPARE(printed, (QStringList{QStringLiteral("0300.000 MHz       01.0 dB"),
                                       QStringLiteral("0100.000 MHz       02.0 dB")}));
        QVERIFY(!app.model.settings.calibrationOn);
        app.click("cbeichok");
        QVERIFY(app.model.settings.calibrationOn);
        QCOMPARE(app.model.calibrationCurve.freqMHz[0], 100.0f);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!app.find("boxeich"));
    }

    void curveSaveCommand() {
        CurveEditorApp app;
        app.model.calibrationCurve = CurveOf({{100.0f, 2.0f}});
        app.editor();
        const QString path = app.home.filePath(QStringLiteral("cable.eic"));
        app.dialogs.saveAnswers.enqueue(path);
        app.trigger("mnueichsave");
        QCOMPARE(QFileInfo(path).size(), 15);  // the tag, the count and one pair
        QCOMPARE(app.find("boxeich")->windowTitle(),
                 QStringLiteral("Defintion of correction curve   ") + path);

        // A failed save says so and leaves the file name for the next dialog.
        app.dialogs.saveAnswers.enqueue(app.home.path());
        app.trigger("mnueichsave");
        QCOMPARE(app.dialogs.requests[1].initialName, path);
        QCOMPARE(app.dialogs.messages, (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
    }

    void curveLoadCommand_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("lines");
        Row("two points", QByteArray::fromHex("656963312002000000c842000000400000c843000080c0"),
            QStringList(), QStringList{"0100.000 MHz\t02.0 dB", "0400.000 MHz\t-04.0 dB"});
        Row("cut after one pair", QByteArray::fromHex("656963312002000000c8420000004000"),
            QStringList{"Cannot open file/File handling"}, QStringList{"0100.000 MHz\t02.0 dB"});
        Row("foreign tag", QByteArray::fromHex("7365743420020000"),
            QStringList{"Cannot open file/File handling"}, QStringList{"0007.000 MHz\t01.0 dB"});
    }
    void curveLoadCommand() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, lines);
        CurveEditorApp app;
        app.model.calibrationCurve = CurveOf({{7.0f, 1.0f}});
        app.editor();
        const QString path = app.home.filePath(QStringLiteral("in.eic"));
        QVERIFY(WriteBytes(path, file));
        app.dialogs.openAnswers.enqueue(path);
        app.trigger("mnueichload");
        QStringList told;
        for (const auto& m : app.dialogs.messages) told << m.text + u'/' + m.title;
        QCOMPARE(told, messages);
        QCOMPARE(app.listLines(), lines);
        QCOMPARE(app.model.fileNames.calibration, path);
        QVERIFY(!app.model.settings.calibrationOn);
    }
};

QTEST_MAIN(TestEditorWindows)
#include "tst_editorwindows.moc"
