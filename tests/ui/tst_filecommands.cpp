#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "FileBytes.h"
#include "Format.h"
#include "MainWindow.h"
#include "MainWindowRig.h"
#include "MeasurementFile.h"
#include "Rows.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"
#include "SettingsFile.h"

using namespace tk;
using namespace tk::test;

namespace {

struct Rig : MainWindowRig {
    QString path(const char* name) const { return home.filePath(QString::fromLatin1(name)); }
    QString caption(const char* name) { return window.action(QString::fromUtf8(name))->text(); }
};

using Message = ScriptedDialogs::Message;
const Message kCannotOpen{QStringLiteral("Cannot open file"), QStringLiteral("File handling")};

}  // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void dialogs_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("open");
        Row("settings load", "mnusetload", "Open", "Einstellungen (*.set);;Alle Dateien (*.*)", "*.set",
            "set", true);
        Row("settings save", "mnusetsave", "Save", "*.set", "*.set", "set", false);
        Row("measurement load", "mnumessload", "Open", "Messungen (*.mes);;Alle Dateien (*.*)", "*.mes",
            "mes", true);
        Row("measurement save", "mnumesssave", "Save", "*.mes", "*.mes", "mes", false);
        Row("table", "mnutabuser", "Save", "*.tab", "*.tab", "tab", false);
        Row("script save", "mnuscriptsave", "Save", "*.scp", "*.scp", "scp", false);
    }
    // Each command asks once; cancelling writes nothing and says nothing.
    void dialogs() {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        QFETCH(QString, filter);
        QFETCH(QString, initial);
        QFETCH(QString, extension);
        QFETCH(bool, open);
        Rig r;
        QVERIFY(r.window.action(entry)->isEnabled());
        r.window.action(entry)->trigger();
        QCOMPARE(r.dialogs.requests.size(), 1);
        const FileDialogRequest& q = r.dialogs.requests[0];
        QCOMPARE(q.title, title);
        QCOMPARE(q.filter, filter);
        QCOMPARE(q.initialName, initial);
        QCOMPARE(q.defaultExtension, extension);
        QCOMPARE(q.mustExist, open);
        QCOMPARE(q.confirmOverwrite, !open);
        QCOMPARE(q.confirmCreate, !open);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(QDir(r.home.path()).isEmpty());
    }

    // The save dialog proposes the last settings file chosen to load or save; the load dialog always "*.set".
    void rememberedSettingsName() {
        Rig r;
        const QString name = r.path("a.set");
        r.dialogs.saveAnswers.enqueue(name);
        r.trigger("mnusetsave");
        QCOMPARE(FileBytes(name).size(), SETTINGS_FILE_SIZE);
        r.trigger("mnusetload");
        r.trigger("mnusetsave");
        QCOMPARE(r.dialogs.requests[1].initialName, QStringLiteral("*.set"));
        QCOMPARE(r.dialogs.requests[2].initialName, name);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void saveIntoMissingFolderSaysFileError() {
        Rig r;
        r.dialogs.saveAnswers.enqueue(r.path("missing/a.mes"));
        r.trigger("mnumesssave");
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("File error"), QStringLiteral("File handling")}}));
    }

    // After a load the open control box shows the loaded values, even over a field that held the focus
    // with text not yet confirmed, and every caption names the loaded unit.
    void settingsLoadRefreshesTheWindows() {
        Rig r;
        MeasurementModel stored;
        stored.settings.centerFreq = 433.5f;
        stored.settings.userUnitName.set(QStringLiteral("Volt"));
        stored.printActual = true;
        QVERIFY(WriteBytes(r.path("a.set"), WriteSettings(stored)));
        r.window.show();
        r.trigger("mnuprint");
        r.trigger("mnucontrollbox");
        QVERIFY(QTest::qWaitForWindowActive(&r.window));
        auto* centre = r.find<QLineEdit>("centerfreq");
        centre->setFocus();
        QVERIFY(centre->hasFocus());
        centre->selectAll();
        QTest::keyClicks(centre, QStringLiteral("123"));
        const QRect geometry = r.find<QWidget>("boxcon")->parentWidget()->geometry();

        r.dialogs.openAnswers.enqueue(r.path("a.set"));
        r.trigger("mnusetload");
        QCoreApplication::processEvents();
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.model.settings.centerFreq, 433.5f);
        auto* box = r.find<QWidget>("boxcon");
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->parentWidget()->geometry(), geometry);
        QCOMPARE(r.find<QLineEdit>("centerfreq")->text(), QStringLiteral("433.5"));
        QCOMPARE(r.find<QRadioButton>("Einheit3")->text(), QStringLiteral("Volt"));
        QVERIFY(r.find<QCheckBox>("praktuell")->isChecked());
        const QString padded = QStringLiteral("Volt").leftJustified(30);
        QCOMPARE(r.caption("mnutabuser"), padded);
        QCOMPARE(r.caption("mnuwerteuser"), padded);
        QCOMPARE(r.caption("mnugrenzübuser"), padded);
    }

    // A measurement load shows its lines and unit in the open editors. What the old boundary editor held
    // unconfirmed, a typed frequency with the focus and a "log" box not ticked, is not stored over them.
    void measurementLoadReopensTheEditors() {
        Rig r;
        MeasurementModel stored;
        stored.boundaryActual.freqMHz[0] = 30.0f;
        stored.boundaryActual.logSegment[0] = -1;
        stored.settings.userUnitOffset = -97.0f;
        QVERIFY(WriteBytes(r.path("m.mes"), WriteMeasurement(stored)));
        r.window.show();
        r.trigger("mnudefuser");
        r.trigger("mnugrenzbox");
        QVERIFY(QTest::qWaitForWindowActive(&r.window));
        auto* typed = r.find<QLineEdit>("grenzfreq1");
        typed->setFocus();
        QTest::keyClicks(typed, QStringLiteral("99"));

        r.dialogs.openAnswers.enqueue(r.path("m.mes"));
        r.trigger("mnumessload");
        QCOMPARE(r.find<QLineEdit>("grenzfreq0")->text(), QStringLiteral("30"));
        QCOMPARE(r.find<QLineEdit>("defuserwert")->text(), QStringLiteral("10"));
        r.find<QPushButton>("cbgrenzok")->click();
        QCOMPARE(r.model.boundaryActual.freqMHz[1], 0.0f);
        QCOMPARE(r.model.boundaryActual.logSegment[0], std::int16_t(-1));
    }

    // The measurement load closes the link before it asks, and stays closed when the dialog is cancelled.
    void measurementLoadClosesTheLinkFirst() {
        Rig r;
        r.port.open(QStringLiteral("x"));
        r.window.SetOnlineChecked(true);
        r.trigger("mnumessload");
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.window.action(QStringLiteral("mopen"))->isChecked());
    }

    void measurementLoadResults_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("captioned");
        QTest::newRow("whole") << 11411 << true;
        QTest::newRow("short") << 11000 << true;
        QTest::newRow("tag only") << 4 << false;
    }
    void measurementLoadResults() {
        QFETCH(int, length);
        QFETCH(bool, captioned);
        Rig r;
        MeasurementModel stored;
        stored.traceActual[7] = 99;
        stored.timeActual.set(QStringLiteral("10:00:00"));
        QVERIFY(WriteBytes(r.path("m.mes"), WriteMeasurement(stored).left(length)));
        r.dialogs.openAnswers.enqueue(r.path("m.mes"));
        r.trigger("mnumessload");
        QCOMPARE(r.dialogs.messages.isEmpty(), length == 11411);
        auto* grafik = r.find<QWidget>("grafik");
        QCOMPARE(grafik != nullptr, captioned);
        if (!captioned) return;
        QCOMPARE(r.model.traceActual[7], 99);
        QVERIFY(r.model.graphOpen);
        const QString title = grafik->windowTitle();
        QVERIFY2(title.startsWith(QStringLiteral("m.mes | ")), qPrintable(title));
        QCOMPARE(title.contains(QStringLiteral(" | Ac: 10:00:00  Av: ")), length == 11411);
        QCOMPARE(r.model.fileNames.measurement, r.path("m.mes"));
    }

    void measurementSaveDatesTheFile() {
        Rig r;
        r.clock.setDate(QStringLiteral("24.12.2030"));
        r.dialogs.saveAnswers.enqueue(r.path("m.mes"));
        r.trigger("mnumesssave");
        QCOMPARE(r.model.readDate.text(), QStringLiteral("24.12.2030"));
        QCOMPARE(FileBytes(r.path("m.mes")).mid(8047 + 2 + 3000 + 300 + 16, 10), QByteArray("24.12.2030"));
    }

    void tableInTheUserUnit() {
        Rig r;
        r.model.settings.userUnitName.set(QStringLiteral(" Volt "));
        r.dialogs.saveAnswers.enqueue(r.path("t.tab"));
        r.trigger("mnutabuser");
        QCOMPARE(r.model.tableUnit, 3);
        QVERIFY(FileBytes(r.path("t.tab")).startsWith("Frequenz in MHz\tActual in Volt\tAverage in Volt\t"));
    }

    // The window shows the offset from dBm; "&OK" stores the name cut or padded to 30 characters and the
    // offset from dBuV, and every caption follows.
    void userUnitWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<float>("storedOffset");
        QTest::addColumn<int>("messages");
        Row("blanks around", "  Volt ", "10", "  Volt", -97.0f, 0);
        Row("long", QString(35, u'n'), "12abc", QString(30, u'n'), -95.0f, 0);
        Row("letters", "dB\u00b5V", "abc", "dB\u00b5V", -107.0f, 0);
        Row("not in the code page", "\u20acx", "-0.5", "?x", -107.5f, 1);
    }
    void userUnitWindow() {
        QFETCH(QString, name);
        QFETCH(QString, offset);
        QFETCH(QString, storedName);
        QFETCH(float, storedOffset);
        QFETCH(int, messages);
        Rig r;
        r.window.show();
        r.trigger("mnucontrollbox");
        r.trigger("mnudefuser");
        QPointer<QWidget> box = r.find<QWidget>("boxdefuser");
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Definition of unit"));
        auto* nameField = r.find<QLineEdit>("defusertxt");
        auto* offsetField = r.find<QLineEdit>("defuserwert");
        QCOMPARE(nameField->text(), QStringLiteral("User").leftJustified(30));
        QCOMPARE(offsetField->text(), QStringLiteral("0"));
        nameField->setText(name);
        offsetField->setText(offset);
        r.find<QPushButton>("kok")->click();
        QVERIFY(!box->isVisible());
        QCOMPARE(r.model.settings.userUnitName.text(), storedName.leftJustified(30));
        QCOMPARE(r.model.settings.userUnitOffset, storedOffset);
        QCOMPARE(r.caption("mnuwerteuser"), storedName.leftJustified(30));
        QCOMPARE(r.find<QRadioButton>("Einheit3")->text(), storedName.trimmed());
        QCOMPARE(r.dialogs.messages.size(), messages);
        QCOMPARE(WriteSettings(r.model).size(), SETTINGS_FILE_SIZE);
    }

    void userUnitEnterKeys() {
        Rig r;
        r.window.show();
        r.trigger("mnudefuser");
        auto* nameField = r.find<QLineEdit>("defusertxt");
        auto* offsetField = r.find<QLineEdit>("defuserwert");
        nameField->setText(QStringLiteral("V"));
        QTest::keyClick(nameField, Qt::Key_Return);
        offsetField->setText(QStringLiteral("12.25 dB"));
        QTest::keyClick(offsetField, Qt::Key_Return);
        QCOMPARE(offsetField->text(), QStringLiteral("12.25"));
        QVERIFY(r.find<QWidget>("boxdefuser")->isVisible());
        QCOMPARE(r.model.settings.userUnitName.trimmed(), QStringLiteral("User"));
        QCOMPARE(r.model.settings.userUnitOffset, -107.0f);
    }

    // Opening the window and pressing "&OK" changes no value, whatever digits the offset has.
    // A typed 9.7 shows again as 9.7, without the digits of its binary form.
    void userUnitOkKeepsTheValues_data() {
        QTest::addColumn<float>("offset");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tenth") << 0.1f << QString();
        QTest::newRow("one third") << -107.0f / 3.0f << QString();
        QTest::newRow("tiny") << 1e-30f << QString();
        QTest::newRow("large") << 3e12f << QString();
        QTest::newRow("typed 9.7") << ToSingle(9.7 - 107) << QStringLiteral("9.7");
    }
    void userUnitOkKeepsTheValues() {
        QFETCH(float, offset);
        QFETCH(QString, shown);
        Rig r;
        r.model.settings.userUnitOffset = offset;
        r.trigger("mnudefuser");
        if (!shown.isEmpty()) QCOMPARE(r.find<QLineEdit>("defuserwert")->text(), shown);
        r.find<QPushButton>("kok")->click();
        QCOMPARE(r.model.settings.userUnitOffset, offset);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
