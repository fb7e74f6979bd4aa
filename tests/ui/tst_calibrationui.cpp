// The calibration curve editor, its file commands and the correction, through the main window's menus and
// buttons, against the in-process emulated interface in simulated time.
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "CalibrationCommands.h"
#include "CurvePoints.h"
#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "Rows.h"

using namespace tk;
using namespace tk::test;

namespace {

struct App : EmulatorAppRig {
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

class TestCalibrationUi : public QObject {
    Q_OBJECT
private slots:
    // Enter takes the typed point into the list and leaves the fields showing what was stored, selected;
    // a double click puts a point back into the fields; the buttons sort, remove the selected point and
    // clear the curve.
    void editingPrintAndOk() {
        App app;
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

    void saveCommand() {
        App app;
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

    void loadCommand_data() {
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
    void loadCommand() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, lines);
        App app;
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

QTEST_MAIN(TestCalibrationUi)
#include "tst_calibrationui.moc"
