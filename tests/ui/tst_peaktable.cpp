// The peak table against the in-process emulated interface with the shipped CISPR 32 class B limit, in
// simulated time: its rows, its refresh in place, the capture on violation, and pointing at a frequency.
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "BoundariesFile.h"
#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "LimitCommands.h"
#include "PeakCommands.h"
#include "PointListWindow.h"
#include "RecordingCanvas.h"
#include "Units.h"

using namespace tk;
using namespace tk::test;

namespace {

// 0..30 MHz at 500 points (0.06 MHz a point) with the class B limits loaded and switched off; the
// emulator's strongest carrier stands at 3.9 MHz, point 65, above the quasi-peak limit there.
struct App : EmulatorAppRig {
    QTemporaryDir captures;

    App() {
        model.settings.baudIndex = 5;
        model.settings.resolution = 8;
        model.settings.centerFreq = 15.0f;
        model.settings.scanWidth = 3.0f;
        model.settings.limitActual = model.settings.limitAverage = model.settings.limitPeak = false;
        QFile limits(QStringLiteral(TK_SOURCE_DIR "/examples/limits/cispr32-class-b-mains.grn"));
        if (limits.open(QIODevice::ReadOnly)) LoadBoundaries(limits.readAll(), model);
        window->link().ConnectInterface();
        model.autoMeasurement = false;
        trigger("mnupeaks");
    }
    QTableView* table() { return find<QTableView>("peaktable"); }
    QString cell(int row, int column) { return table()->model()->index(row, column).data().toString(); }
    void single() {
        clock.advance(1.0);
        find<QToolButton>("Command1")->click();
    }
    void enableCapture(const QString& folder) {
        find<QLineEdit>("peakfolder")->setText(folder);
        find<QCheckBox>("peakcapture")->setChecked(true);
    }
    QStringList captured() const { return QDir(captures.path()).entryList(QDir::Files, QDir::Name); }
    QString information() {
        auto* box = find<QMdiSubWindow>("infobox");
        return box && box->isVisible() ? box->findChild<QLabel*>(QStringLiteral("infotext"))->text()
                                       : QString();
    }
};

}  // namespace

class TestPeakTable : public QObject {
    Q_OBJECT
private slots:
    // Each read fills the table again (its fields are tst_peaks'): a reached boundary's mark comes once it
    // is checked; the columns name the display unit after a redraw. The rows export; the graph numbers peaks.
    void refreshedByEachRead() {
        App app;
        app.single();
        QCOMPARE(app.table()->model()->rowCount(), 10);
        QCOMPARE(app.cell(0, 1), QStringLiteral("3.900"));
        app.model.settings.limitActual = true;
        app.single();
        QCOMPARE(app.cell(0, 5), QStringLiteral("*"));
        app.model.settings.levelUnit = UNIT_DBUV;
        QSignalSpy header(app.table()->model(), &QAbstractItemModel::headerDataChanged);
        app.window->RedrawGraph();
        QCOMPARE(app.table()->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Level (dBuV)"));
        // The whole header is shown anew.
        QCOMPARE(header.value(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0,
                                                app.table()->model()->columnCount() - 1}));
        // The rows exported; a file that cannot be written is said.
        const QString name = app.captures.filePath(QStringLiteral("peaks.csv"));
        app.dialogs.saveAnswers << name << app.captures.filePath(QStringLiteral("none/peaks.csv"));
        app.window->peaks().window()->ExportRows();
        QVERIFY(test::FileBytes(name).split('\n').value(1).startsWith("1,3.900,"));
        QVERIFY(app.dialogs.messages.isEmpty());
        app.window->peaks().window()->ExportRows();
        QCOMPARE(app.dialogs.messages, (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
        // The graph numbers the peaks in the trace's colour while the table is open.
        RecordingCanvas canvas;
        Canvas* shown = app.window->graph().canvas();
        app.window->graph().setCanvas(&canvas);
        app.window->RedrawGraph();
        QCOMPARE(canvas.log.filter(QRegularExpression(QStringLiteral("^text .* c2 \"(10|[1-9])\"$"))).size(),
                 10);
        canvas.log.clear();
        app.find<QWidget>("boxpeaks")->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(canvas.log.filter(QRegularExpression(QStringLiteral("^text .* c2 "))).size(), 0);
        QVERIFY(canvas.log.contains(QStringLiteral("refresh")));
        app.window->graph().setCanvas(shown);
    }

    // Capture by emission (the tracker's rules are tst_peaks::emissionTracker's): the carrier at 3.9 MHz,
    // over the class B limit, is captured when it comes, not while it stays or comes back within the hold-off
    // set here, and again after it. Each capture is a measurement, a picture and a line of the index.
    void captureByEmission() {
        App app;
        app.find<QSpinBox>("peakholdoff")->setValue(30);  // half the default
        app.enableCapture(app.captures.path());
        for (const bool over : {true, true, false, true, false}) {
            app.model.settings.limitActual = over;
            app.single();  // one second apart
        }
        app.clock.advance(30.0);
        app.model.settings.limitActual = true;
        app.single();
        const QStringList index =
            QString::fromUtf8(test::FileBytes(app.captures.filePath(QString::fromLatin1(CAPTURE_INDEX_NAME))))
                .split(u'\n');
        QCOMPARE(index.value(0),
                 QStringLiteral("Time,File,Trace,Frequency (MHz),Level (dBm),Boundary (dBm),Margin (dB)"));
        QCOMPARE(index.size() - 2, 2);  // the header and the last line's end
        QCOMPARE(index.filter(",Actual,3.900,").size(), 2);
        QCOMPARE(app.captured().size(), 2 * 2 + 1);  // .mes and .png each, and the index
        const QString state = app.find<QLabel>("peakcapturestate")->text();
        QVERIFY2(state.startsWith(QStringLiteral("Captures: 2, last: ")), qPrintable(state));
        QVERIFY(app.information().isEmpty());
    }

    // Capture stops automatic measurement where asked.
    void captureStopsAutoMeasurement() {
        App app;
        app.enableCapture(app.captures.path());
        app.find<QCheckBox>("peakcapturestop")->setChecked(true);
        app.model.settings.limitActual = true;
        app.model.autoMeasurement = app.model.fastMode = true;
        app.window->Tick();
        QCOMPARE(app.captured().size(), 3);
        QVERIFY(!app.model.autoMeasurement);
        QVERIFY(!app.window->action(QStringLiteral("mnuauto"))->isChecked());
    }

    // Told once in the information window; the measurement goes on.
    void captureNotWritten() {
        App app;
        const QString missing = app.captures.filePath(QStringLiteral("none"));
        // The folder is chosen through the program's dialogs; a cancelled choice keeps the one before.
        app.dialogs.folderAnswers << missing << std::nullopt;
        app.find<QPushButton>("peakfolderbrowse")->click();
        app.find<QPushButton>("peakfolderbrowse")->click();
        QCOMPARE(app.find<QLineEdit>("peakfolder")->text(), missing);
        app.enableCapture(missing);
        app.model.settings.limitActual = true;
        app.model.autoMeasurement = app.model.fastMode = true;
        app.window->Tick();
        QCOMPARE(app.information(),
                 QStringLiteral("Capture not written to ") + QDir::toNativeSeparators(missing));
        QVERIFY(app.model.autoMeasurement);
        app.model.settings.limitActual = false;
        app.window->Tick();
        app.model.settings.limitActual = true;
        const QString before = app.model.timeActual.text();
        app.clock.advance(5.0);
        app.window->Tick();
        QVERIFY(app.model.timeActual.text() != before);
        QCOMPARE(app.information(), QString());
        QVERIFY(
            app.find<QLabel>("peakcapturestate")->text().endsWith(QStringLiteral("could not be written")));
    }

    void refreshKeepsSelectionAndScroll() {
        App app;
        app.find<QDoubleSpinBox>("peakprominence")->setValue(0.0);
        app.find<QSpinBox>("peakspacing")->setValue(1);
        app.find<QSpinBox>("peakcount")->setValue(PEAK_COUNT_MAX);
        app.single();
        QTableView* table = app.table();
        QCOMPARE(table->model()->rowCount(), PEAK_COUNT_MAX);
        table->parentWidget()->resize(520, 300);
        table->selectRow(30);
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2);
        const int scroll = table->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        app.single();
        QCOMPARE(table->currentIndex().row(), 30);
        QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table->verticalScrollBar()->value(), scroll);
    }

    // A click on the graph and a double click on a peak move the open lists' marked point.
    void pointAt() {
        App app;
        app.single();
        app.window->limits().ShowLevelWindow(UNIT_DBM);
        auto* grafik = app.find<QWidget>("grafik");
        grafik->resize(451, 300);  // 10 x units a pixel from x = -310
        app.window->RedrawGraph();
        QTest::mouseClick(grafik, Qt::LeftButton, {}, QPoint(231, 100));  // x 2000: point 250
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 245);
        QCOMPARE(app.model.levelCursorX, 2000);
        QVERIFY(!app.window->limits().violationList());

        QTableView* table = app.table();
        const QRect first = table->visualRect(table->model()->index(0, 1));
        // A double click is the second press of a click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 65 - 5);
        QCOMPARE(app.model.levelCursorX, 65 * 8);
    }
};

QTEST_MAIN(TestPeakTable)
#include "tst_peaktable.moc"
