#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "BoundariesFile.h"
#include "BoundaryEditor.h"
#include "MainWindowRig.h"
#include "RecordingCanvas.h"
#include "Rows.h"

using namespace tk;
using namespace tk::test;

namespace {

struct Rig : MainWindowRig {
    RecordingCanvas canvas;

    Rig() { window.graph().setCanvas(&canvas); }
    ~Rig() { window.graph().setCanvas(nullptr); }
    QStringList cursorLines(int colour) const {
        return canvas.log.filter(QStringLiteral(" c%1 w1 dotted notxor").arg(colour));
    }
};

QString Cursor(int x, int colour) {
    return QStringLiteral("line %1,0-%1,255 c%2 w1 dotted notxor").arg(x).arg(colour);
}

QStringList Lines(const QPlainTextEdit* text) {
    return text->toPlainText().split(u'\n');
}

void EnterText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

QLineEdit* Field(QWidget* editor, const char* name, int i) {
    return editor->findChild<QLineEdit*>(QString::fromLatin1(name) + QString::number(i));
}

}  // namespace

class TestLimitWindows : public QObject {
    Q_OBJECT
private slots:
    void violationListFromTheMenu() {
        Rig r;
        r.model.settings.attenuation = 100.0f;  // raw 0 is -7 dBm
        r.model.boundaryPeak.freqMHz = {1, 1000};
        r.model.tracePeak[5] = 51;  // 9 dBm at point 5 (10 MHz), over a boundary of 0 dBm
        r.trigger("mnugrenzübuv");
        auto* limbox = r.find<QPlainTextEdit>("limbox");
        QVERIFY(limbox);
        QVERIFY(r.model.limitListOpen);
        QCOMPARE(Lines(limbox).value(5), "->0010.000 MHz - " + QString(32, u' ') + "Pk: 0116.0 dBuV");
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN), QStringList{Cursor(40, COLOUR_LIGHT_GREEN)});

        // The scroll bar moves the marked point and its line on the graph.
        r.canvas.log.clear();
        auto* scroll = r.find<QScrollBar>("vscwertelim");
        QCOMPARE(scroll->minimum(), -5);
        QCOMPARE(scroll->maximum(), 494);
        scroll->setValue(100);
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN),
                 (QStringList{Cursor(40, COLOUR_LIGHT_GREEN), Cursor(840, COLOUR_LIGHT_GREEN)}));
        QVERIFY(Lines(limbox).value(5).startsWith("->0210.000 MHz"));

        // Another unit entry changes the open list.
        scroll->setValue(0);
        r.trigger("mnugrenzübmw");
        QVERIFY(Lines(limbox).value(5).endsWith("Pk: 0009.0 dBm"));

        // A click on the rows and a redraw show the latest traces.
        r.model.tracePeak[5] = 0;
        QTest::mouseClick(limbox->viewport(), Qt::LeftButton);
        QVERIFY(!Lines(limbox).value(5).contains("Pk"));
        r.model.graphOpen = true;
        r.model.tracePeak[5] = 51;
        r.window.graph().RedrawGraph();
        QVERIFY(Lines(limbox).value(5).contains("Pk"));

        // Closing removes the line: it is drawn once more at its place.
        r.canvas.log.clear();
        qobject_cast<QMdiSubWindow*>(r.find<QWidget>("boxlim")->parentWidget())->close();
        QVERIFY(!r.model.limitListOpen);
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN), QStringList{Cursor(40, COLOUR_LIGHT_GREEN)});
    }

    // After the resolution grows coarser the scroll position is held to the new sweep before it is read.
    void scrollMaximumBeforePosition() {
        Rig r;
        r.model.settings.resolution = 1;
        r.trigger("mnuwerteuser");
        QVERIFY(r.model.levelWindowOpen);
        // The default user unit equals dBm.
        QCOMPARE(Lines(r.find<QPlainTextEdit>("wertebox")).value(5),
                 "->0001.250 MHz - Ac: -107.0 User  Av: -107.0 User  Pk: -107.0 User");
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_RED), QStringList{Cursor(5, COLOUR_LIGHT_RED)});
        auto* scroll = r.find<QScrollBar>("vscwerte");
        scroll->setValue(3000);
        r.model.settings.resolution = 8;
        r.trigger("mnuwertemw");
        QCOMPARE(scroll->maximum(), 494);
        QCOMPARE(r.model.levelCursorX, std::int16_t(3992));
        const QStringList rows = Lines(r.find<QPlainTextEdit>("wertebox"));
        QCOMPARE(rows.size(), 6);
        QVERIFY(rows.last().startsWith("->0998.000 MHz"));
    }

    // A stored -50 dBm at point 2 as each unit shows it, and 10 more typed in that unit stored as 10 dB more;
    // typed values are held to 0..2000 MHz and to +-300 in the shown unit.
    void editorUnitsAndLimits_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<float>("userOffset");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        Row("dBm", 0, -107.0f, "grenzpeg", "-50", "-40", "-40", -40.0f);
        Row("dBpW", 1, -107.0f, "grenzpeg", "40", "50", "50", -40.0f);
        Row("dBuV", 2, -107.0f, "grenzpeg", "57", "67", "67", -40.0f);
        Row("user 10 dB up", 3, -97.0f, "grenzpeg", "-40", "-30", "-30", -40.0f);
        Row("user half down to even", 3, -94.5f, "grenzpeg", "-38", "-28", "-28", -40.0f);  // offset 12
        Row("user half up to even", 3, -93.5f, "grenzpeg", "-36", "-26", "-26", -40.0f);    // offset 14
        Row("user offset beyond 16 bits", 3, 1e9f, "grenzpeg", "32717", "32727", "300", 300.0f - 32767);
        Row("level above 300 dBuV", 2, -107.0f, "grenzpeg", "57", "400", "300", 193.0f);
        Row("level below -300 dBm", 0, -107.0f, "grenzpeg", "-50", "-1000", "-300", -300.0f);
        Row("frequency above 2000", 0, -107.0f, "grenzfreq", "0", "2500", "2000", 2000.0f);
        Row("frequency below 0", 0, -107.0f, "grenzfreq", "0", "-5", "0", 0.0f);
    }
    void editorUnitsAndLimits() {
        QFETCH(int, option);
        QFETCH(float, userOffset);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        MeasurementModel m;
        m.settings.userUnitOffset = userOffset;
        m.boundaryActual.levelDbm[2] = -50.0f;
        BoundaryEditor editor(m);
        // The editor opens on the actual line in dBm.
        QVERIFY(editor.findChild<QButtonGroup*>("seldb")->button(0)->isChecked());
        QVERIFY(editor.findChild<QButtonGroup*>("selgrenz")->button(0)->isChecked());
        editor.findChild<QButtonGroup*>("seldb")->button(option)->click();
        QLineEdit* edit = Field(&editor, qPrintable(field), 2);
        QTEST(edit->text(), "before");
        EnterText(edit, typed);
        QTEST(edit->text(), "shown");
        const BoundaryLine& b = m.boundaryActual;
        QTEST(field == "grenzfreq" ? b.freqMHz[2] : b.levelDbm[2], "stored");
        QVERIFY(m.redrawPending);
    }

    // Enter on a frequency writes back the frequency alone: the row's unsaved tick and level stay for "&OK".
    // Leaving a field stores it; closing by the frame stores nothing that was not confirmed.
    void editorFrequencyLeavesTheRestOfTheRow() {
        MeasurementModel m;
        BoundaryEditor editor(m);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.findChild<QCheckBox*>("grenzver2")->setChecked(true);
        Field(&editor, "grenzpeg", 2)->setText("-33");
        EnterText(Field(&editor, "grenzfreq", 2), "150");
        QCOMPARE(m.boundaryActual.freqMHz[2], 150.0f);
        QVERIFY(editor.findChild<QCheckBox*>("grenzver2")->isChecked());
        QCOMPARE(Field(&editor, "grenzpeg", 2)->text(), QStringLiteral("-33"));
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QCOMPARE(m.boundaryActual.logSegment[2], std::int16_t(-1));
        QCOMPARE(m.boundaryActual.levelDbm[2], -33.0f);

        BoundaryEditor again(m);
        again.show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QLineEdit* first = Field(&again, "grenzfreq", 0);
        first->setFocus();
        QTest::keyClicks(first, "2500");
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(m.boundaryActual.freqMHz[0], 2000.0f);
        QCOMPARE(first->text(), QStringLiteral("2000"));
        QLineEdit* level = Field(&again, "grenzpeg", 0);
        level->setFocus();
        QTest::keyClicks(level, "-20");
        QTest::keyClick(level, Qt::Key_Tab);
        QCOMPARE(m.boundaryActual.levelDbm[0], -20.0f);
        QLineEdit* freq = Field(&again, "grenzfreq", 3);
        freq->setFocus();
        QTest::keyClicks(freq, "77");
        again.close();
        QCOMPARE(m.boundaryActual.freqMHz[3], 0.0f);
    }

    // Switching lines stores the shown one first; "&OK" stores the shown one.
    void editorSwitchesLines() {
        MeasurementModel m;
        m.boundaryPeak.freqMHz[0] = 7.0f;
        BoundaryEditor editor(m);
        auto* lines = editor.findChild<QButtonGroup*>("selgrenz");
        Field(&editor, "grenzfreq", 1)->setText("123");  // typed, not yet confirmed
        editor.findChild<QCheckBox*>("grenzver1")->setChecked(true);
        lines->button(2)->click();
        QCOMPARE(m.editBoundaryIndex, std::int16_t(2));
        QCOMPARE(m.boundaryActual.freqMHz[1], 123.0f);
        QCOMPARE(m.boundaryActual.logSegment[1], std::int16_t(-1));
        QCOMPARE(Field(&editor, "grenzfreq", 0)->text(), QStringLiteral("7"));
        QCOMPARE(Field(&editor, "grenzfreq", 1)->text(), QStringLiteral("0"));
        Field(&editor, "grenzpeg", 3)->setText("-12.5");
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QCOMPARE(m.boundaryPeak.levelDbm[3], -12.5f);
        QCOMPARE(m.boundaryActual.freqMHz[1], 123.0f);
        lines->button(0)->click();
        QCOMPARE(Field(&editor, "grenzfreq", 1)->text(), QStringLiteral("123"));
    }

    // Whatever was loaded reads back unchanged from the fields, in any unit and locale.
    void editorOkChangesNothing_data() {
        QTest::addColumn<int>("option");
        QTest::newRow("dBm") << 0;
        QTest::newRow("dBuV") << 2;
        QTest::newRow("user unit 12") << 3;
    }
    void editorOkChangesNothing() {
        QFETCH(int, option);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        MeasurementModel m;
        m.settings.userUnitOffset = -94.5f;
        const std::array<float, 10> values{0.1f,       -50.123456f, 1234.5677f, 1e-7f, 33.333332f,
                                           -299.9999f, 5000.0f,     0.15f,      -0.0f, 1.0000001f};
        for (std::size_t i = 0; i < values.size(); ++i) {
            m.boundaryActual.freqMHz[i] = values[i];
            m.boundaryActual.levelDbm[i] = values[(i + 3) % values.size()];
            m.boundaryActual.logSegment[i] = std::int16_t(i % 3);  // 2 is a set flag too
        }
        const BoundaryLine loaded = m.boundaryActual;
        BoundaryEditor editor(m);
        editor.findChild<QButtonGroup*>("seldb")->button(option)->click();
        QCOMPARE(Field(&editor, "grenzfreq", 0)->text(), QStringLiteral("0.1"));
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QLocale::setDefault(before);
        QCOMPARE(m.boundaryActual.freqMHz, loaded.freqMHz);
        QCOMPARE(m.boundaryActual.levelDbm, loaded.levelDbm);
        QCOMPARE(m.boundaryActual.logSegment, loaded.logSegment);
    }

    // The file commands: the remembered name, and the editor opened again after a load.
    void fileCommands() {
        Rig r;
        const QString good = r.home.filePath("good.grn");
        const QString other = r.home.filePath("other.set");
        r.model.boundaryAverage.freqMHz[0] = 42.0f;
        r.dialogs.saveAnswers.enqueue(good);
        r.trigger("mnugrenzensave");
        QVERIFY(WriteFileAtomically(other, QByteArray("set4 ").append(196, '\0')));
        r.model.boundaryAverage.freqMHz[0] = 1.0f;

        r.trigger("mnugrenzbox");
        QPointer<QWidget> first = r.find<QWidget>("boxgrenze");
        r.dialogs.openAnswers.enqueue(other);
        r.trigger("mnugrenzenload");
        QCOMPARE(r.dialogs.messages,
                 (QList<ScriptedDialogs::Message>{{"Cannot open file", "File handling"}}));
        QVERIFY(first);  // a refused file changes nothing and reopens nothing

        first->findChild<QButtonGroup*>("selgrenz")->button(1)->click();
        r.dialogs.openAnswers.enqueue(good);
        r.trigger("mnugrenzenload");
        QCOMPARE(r.model.boundaryAverage.freqMHz[0], 42.0f);
        QVERIFY(!first);
        auto* editor = r.find<QWidget>("boxgrenze");
        QCOMPARE(editor->windowTitle(), "Definition of Boundaries   " + good);
        QCOMPARE(r.model.editBoundaryIndex, std::int16_t(0));  // opened anew on the actual line
        r.trigger("mnugrenzensave");                           // cancelled
        QCOMPARE(r.dialogs.requests.last().initialName, good);
    }
};

QTEST_MAIN(TestLimitWindows)
#include "tst_limitwindows.moc"
