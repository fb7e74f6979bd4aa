#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "FileBytes.h"
#include "MainWindowRig.h"
#include "MeasurementFile.h"
#include "ScriptFile.h"
#include "SettingsFile.h"

using namespace tk;
using namespace tk::test;

namespace {

struct Rig : MainWindowRig {
    QString path(const char* name) const { return home.filePath(QString::fromLatin1(name)); }
    QString caption(const char* name) { return window.action(QString::fromUtf8(name))->text(); }
};

using Message = ScriptedDialogs::Message;

}  // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    // Each command asks once; cancelling writes nothing and says nothing.
    void cancelledDialogs() {
        for (const char* entry :
             {"mnusetload", "mnusetsave", "mnumessload", "mnumesssave", "mnutabuser", "mnuscriptsave"}) {
            Rig r;
            r.trigger(entry);
            QCOMPARE(r.dialogs.requests.size(), 1);
            QVERIFY(r.dialogs.messages.isEmpty());
            QVERIFY2(QDir(r.home.path()).isEmpty(), entry);
        }
    }

    // The save dialog proposes the last settings file chosen to load or save; the load dialog always "*.set".
    void rememberedSettingsName() {
        Rig r;
        const QString name = r.path("a.set");
        r.dialogs.saveAnswers.enqueue(name);
        r.trigger("mnusetsave");
        QVERIFY(QFile::exists(name));
        r.trigger("mnusetload");
        r.trigger("mnusetsave");
        QCOMPARE(r.dialogs.requests[1].initialName, QStringLiteral("*.set"));
        QCOMPARE(r.dialogs.requests[2].initialName, name);
        QVERIFY(r.dialogs.messages.isEmpty());
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
        QCOMPARE(
            (QStringList{r.caption("mnutabuser"), r.caption("mnuwerteuser"), r.caption("mnugrenzübuser")}),
            QStringList(3, QStringLiteral("Volt").leftJustified(30)));
    }

    // A measurement load shows its lines and unit in the open editors. What the old boundary editor held
    // unconfirmed, a typed frequency with the focus and a "log" box not ticked, is not stored over them.
    void measurementLoadReopensTheEditors() {
        Rig r;
        MeasurementModel stored;
        stored.boundaryActual.freqMHz[0] = 30.0f;
        stored.boundaryActual.logSegment[0] = -1;
        stored.settings.userUnitOffset = -97.0f;
        stored.settings.userUnitName.set(QStringLiteral("Volt"));
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
        QCOMPARE(r.caption("mnutabuser").trimmed(), QStringLiteral("Volt"));
        r.find<QPushButton>("cbgrenzok")->click();
        QCOMPARE(r.model.boundaryActual.freqMHz[1], 0.0f);
        QCOMPARE(r.model.boundaryActual.logSegment[0], std::int16_t(-1));
    }

    // The measurement load closes the link before it asks, and the link stays closed. A whole file or one
    // that ends early is shown in the graph window under its name (the short one with a message) and told
    // as loaded; one refused, or none chosen, opens no graph.
    void measurementLoadResults() {
        for (const int length : {11411, 11000, 4, 0}) {  // 0: the dialog is cancelled
            Rig r;
            QSignalSpy loaded(&r.window.session(), &Session::fileLoaded);
            r.port.open(QStringLiteral("x"));
            r.act("mopen")->setChecked(true);
            QVERIFY(WriteBytes(r.path("m.mes"), WriteMeasurement(MeasurementModel()).left(length)));
            if (length > 0) r.dialogs.openAnswers.enqueue(r.path("m.mes"));
            r.trigger("mnumessload");
            QVERIFY(!r.port.isOpen() && !r.act("mopen")->isChecked());
            QCOMPARE(r.dialogs.messages.size(), length == 11000 || length == 4 ? 1 : 0);
            auto* grafik = r.find<QWidget>("grafik");
            QCOMPARE(grafik != nullptr, length > 4);
            QCOMPARE(bool(r.model.graphOpen), length > 4);
            QCOMPARE(loaded.size(), length > 4 ? 1 : 0);
            if (length > 4) QCOMPARE(loaded[0], (QVariantList{"measurement", r.path("m.mes")}));
            if (grafik)
                QVERIFY2(grafik->windowTitle().startsWith(QStringLiteral("m.mes | ")),
                         qPrintable(grafik->windowTitle()));
        }
    }

    // A script load shows the loaded steps in the editor; a file that cannot be opened opens no editor.
    void scriptLoadShowsTheEditor() {
        for (const bool exists : {true, false}) {
            Rig r;
            ScriptTable table{};
            table[0].settingsFile.set(QStringLiteral("a.set"));
            if (exists) QVERIFY(WriteBytes(r.path("s.scp"), ScriptBytes(table)));
            r.dialogs.openAnswers.enqueue(r.path("s.scp"));
            r.trigger("mnuscriptload");
            auto* field = r.find<QLineEdit>("scrset");
            QCOMPARE(field ? field->text() : QStringLiteral("no editor"),
                     exists ? QStringLiteral("a.set") : QStringLiteral("no editor"));
        }
    }

    // A measurement is stored with the day of the save; into a folder that is not there, with a message. The
    // table is written in the user unit.
    void measurementAndTableSave() {
        Rig r;
        r.clock.setDate(QStringLiteral("24.12.2030"));
        r.dialogs.saveAnswers << r.path("m.mes") << r.path("missing/m.mes");
        r.trigger("mnumesssave");
        QCOMPARE(r.model.readDate.text(), QStringLiteral("24.12.2030"));
        QVERIFY(QFile::exists(r.path("m.mes")));
        QVERIFY(r.dialogs.messages.isEmpty());
        r.trigger("mnumesssave");
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("File error"), QStringLiteral("File handling")}}));
        r.model.settings.userUnitName.set(QStringLiteral(" Volt "));
        r.dialogs.saveAnswers.enqueue(r.path("t.tab"));
        r.trigger("mnutabuser");
        QCOMPARE(r.model.tableUnit, 3);
        QVERIFY(FileBytes(r.path("t.tab")).startsWith("Frequenz in MHz\tActual in Volt\tAverage in Volt\t"));
    }

    // The window shows the offset from dBm, without the digits of its binary form; "&OK" stores the name cut
    // or padded to 30 characters and the offset from dBuV, and every caption follows. Enter in a field tidies
    // it and stores nothing.
    void userUnitWindow() {
        const struct {
            float before;          // the stored offset from dBuV
            QString shown;         // the offset the window opens with
            QString name, offset;  // typed; none leaves the field as shown
            bool enter;            // Enter in each field instead of "&OK"
            QString storedName;
            float storedOffset;
            int messages;
        } rows[] = {
            {-107.0f, "0", "  Volt ", "10", false, "  Volt", -97.0f, 0},
            {-107.0f, "0", QString(35, u'n'), "12abc", false, QString(30, u'n'), -95.0f, 0},
            {-107.0f, "0", "dB\u00b5V", "abc", false, "dB\u00b5V", -107.0f, 0},
            {-107.0f, "0", "\u20acx", "-0.5", false, "?x", -107.5f, 1},  // not in the code page
            {-107.0f, "0", "V", "12.25 dB", true, "User", -107.0f, 0},
            {-97.3f, "9.7", {}, {}, false, "User", -97.3f, 0},
        };
        for (const auto& row : rows) {
            Rig r;
            r.model.settings.userUnitOffset = row.before;
            r.window.show();
            r.trigger("mnucontrollbox");
            r.trigger("mnudefuser");
            QPointer<QWidget> box = r.find<QWidget>("boxdefuser");
            QVERIFY(box);
            auto* nameField = r.find<QLineEdit>("defusertxt");
            auto* offsetField = r.find<QLineEdit>("defuserwert");
            QCOMPARE(nameField->text(), QStringLiteral("User").leftJustified(30));
            QCOMPARE(offsetField->text(), row.shown);
            for (const auto& [field, text] :
                 {std::pair{nameField, row.name}, std::pair{offsetField, row.offset}}) {
                if (text.isNull()) continue;
                field->setText(text);
                if (row.enter) QTest::keyClick(field, Qt::Key_Return);
            }
            if (row.enter)
                QCOMPARE(offsetField->text(), QStringLiteral("12.25"));
            else
                r.find<QPushButton>("kok")->click();
            QCOMPARE(box->isVisible(), row.enter);
            QCOMPARE(r.model.settings.userUnitName.text(), row.storedName.leftJustified(30));
            QCOMPARE(r.model.settings.userUnitOffset, row.storedOffset);
            if (!row.enter) {
                QCOMPARE(r.caption("mnuwerteuser"), row.storedName.leftJustified(30));
                QCOMPARE(r.find<QRadioButton>("Einheit3")->text(), row.storedName.trimmed());
            }
            QCOMPARE(r.dialogs.messages.size(), row.messages);
        }
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
