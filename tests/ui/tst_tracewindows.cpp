// The windows that analyse the traces, against the in-process emulated interface in simulated time: the peak
// table with the shipped CISPR 32 class B limit (its rows, its refresh in place, the capture on violation and
// pointing at a frequency), and the waterfall (its rows, the spot under the mouse, its colours and picture).
#include <QAction>
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
#include "Rows.h"
#include "Units.h"
#include "WaterfallView.h"
#include "WaterfallWindow.h"

using namespace tk;
using namespace tk::test;

namespace {

// 0..30 MHz at 500 points (0.06 MHz a point) with the class B limits loaded and switched off; the
// emulator's strongest carrier stands at 3.9 MHz, point 65, above the quasi-peak limit there.
struct PeakApp : EmulatorAppRig {
    QTemporaryDir captures;

    PeakApp() {
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

struct WaterfallApp : EmulatorAppRig {
    WaterfallWindow* waterfall = nullptr;
    WaterfallApp() {
        trigger("mnuwaterfall");
        waterfall = find<WaterfallWindow>("waterfall");
        trigger("mopen");
    }
    void single() {
        clock.advance(5.0);
        find<QToolButton>("Command1")->click();
    }
    QString status() { return find<QLabel>("wfstatus")->text(); }
};

}  // namespace

class TestTraceWindows : public QObject {
    Q_OBJECT
private slots:
    // Each read fills the table again (its fields are tst_display::table's): a reached boundary's mark comes once it
    // is checked; the columns name the display unit after a redraw. The rows export; the graph numbers peaks.
    void refreshedByEachRead() {
        PeakApp app;
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

    // Capture by emission (the tracker's rules are tst_display::emissionTracker's): the carrier at 3.9 MHz,
    // over the class B limit, is captured when it comes, not while it stays or comes back within the hold-off
    // set here, and again after it. Each capture is a measurement, a picture and a line of the index.
    void captureByEmission() {
        PeakApp app;
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
        PeakApp app;
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
        PeakApp app;
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
        PeakApp app;
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
        PeakApp app;
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

    void readsAddRowsUnlessPaused() {
        WaterfallApp app;
        QVERIFY(app.waterfall && app.port.isOpen());
        app.single();
        app.single();
        const WaterfallHistory& history = app.waterfall->history();
        QCOMPARE(history.rowCount(), 2);
        QVERIFY(history.time(0) - history.time(1) >= 5.0);

        app.waterfall->pauseAction()->trigger();
        app.single();
        QCOMPARE(history.rowCount(), 2);
        QCOMPARE(app.status(), QStringLiteral("Paused: reads add no rows"));
        app.waterfall->pauseAction()->trigger();
        app.single();
        QCOMPARE(history.rowCount(), 3);
        // One step down of "Rows" keeps what fits; a typed number counts once it is confirmed.
        auto* rows = app.waterfall->findChild<QSpinBox*>(QStringLiteral("wfrows"));
        rows->stepDown();
        QCOMPARE(history.rowCount(), 3);
        rows->selectAll();
        QTest::keyClicks(rows, QStringLiteral("2"));
        QCOMPARE(history.capacity(), 599);
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(history.rowCount(), 2);
        app.model.settings.centerFreq = 250.0f;
        app.single();
        QCOMPARE(history.rowCount(), 1);
        QCOMPARE(app.status(),
                 QStringLiteral("New history: the resolution, centre frequency or scan width changed"));

        app.waterfall->clearAction()->trigger();
        QCOMPARE(history.rowCount(), 0);
        // Closed, it takes no rows; opened again, it starts empty.
        app.waterfall->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.single();
        app.trigger("mnuwaterfall");
        QCOMPARE(app.find<WaterfallWindow>("waterfall")->history().rowCount(), 0);
    }

    // Centre 500 MHz, 100 MHz per division, 500 points: x = 2000 is 500 MHz, each point 8 x units, 2 MHz.
    void hoverAndClickAtTheCentre() {
        WaterfallApp app;
        app.single();
        app.window->limits().ShowLevelWindow(UNIT_DBM);
        app.window->limits().ShowViolationList(UNIT_DBM);
        WaterfallView* view = app.waterfall->view();
        view->resize(451, view->height());  // 10 x units a column from x = -310
        const QPoint centre(231, 0);
        const WaterfallView::Spot spot = view->SpotAt(centre);
        QCOMPARE(spot.x, 2000);
        QVERIFY2(spot.text.startsWith("500.000 MHz   " + app.clock.timeText().left(5)),
                 qPrintable(spot.text));
        QVERIFY2(
            QRegularExpression(QStringLiteral("   -?[1-9][0-9]*\\.[0-9] dBm$")).match(spot.text).hasMatch(),
            qPrintable(spot.text));                                   // plain digits
        QVERIFY(view->SpotAt(QPoint(centre.x(), 1)).text.isEmpty());  // one read, one row

        QTest::mouseClick(view, Qt::LeftButton, {}, centre);
        QCOMPARE(int{app.model.levelCursorX}, 2000);
        QCOMPARE(int{app.model.limitCursorX}, 2000);
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 245);
    }

    // The colours span the graph's level range, or the two typed levels (dBm = raw * 80 / 255 - 107).
    void levelRangeOfTheColours_data() {
        QTest::addColumn<bool>("followGraph");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<double>("rawMin");
        QTest::addColumn<double>("rawMax");
        Row("the graph's, widened", true, QString(), QString(), -20.0, 300.0);
        Row("typed", false, QString("-87"), QString("-47 dBm"), 63.75, 191.25);
        Row("typed high to low", false, QString("-47"), QString("-87"), 63.75, 191.25);
    }
    void levelRangeOfTheColours() {
        QFETCH(bool, followGraph);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(double, rawMin);
        QFETCH(double, rawMax);
        WaterfallApp app;
        app.single();
        app.model.graphLevelMin = -20;
        app.model.graphLevelMax = 300;
        app.find<QCheckBox>("wffollow")->setChecked(followGraph);
        if (!followGraph) {
            app.find<QLineEdit>("wffrom")->setText(from);
            app.find<QLineEdit>("wfto")->setText(to);
            emit app.find<QLineEdit>("wfto")->editingFinished();
        }
        app.waterfall->UpdateRange();
        QCOMPARE(app.waterfall->view()->rangeMin(), rawMin);
        QCOMPARE(app.waterfall->view()->rangeMax(), rawMax);
    }

    // A read that widens the graph's level range at one end draws the rows anew once, as a rebuild does.
    void aRangeChangedByAReadRedrawsOnce() {
        WaterfallApp app;
        app.single();
        app.single();
        app.model.traceComparison.fill(-40);  // below the graph's range: its lower end follows
        app.model.showComparison = true;
        app.single();
        QCOMPARE(app.waterfall->view()->rangeMin(), -40.0);
        WaterfallView* view = app.waterfall->view();
        const QImage afterRead = view->grab().toImage();
        const double min = view->rangeMin(), max = view->rangeMax();
        view->setRange(min - 1, max);
        view->setRange(min, max);
        QCOMPARE(afterRead, view->grab().toImage());
    }

    // Left of the plot the read times are scaled to the margin: smaller where it is narrow, never larger.
    // Below the plot the legend has the window's colour. The picture is saved, or the failure said.
    void marginLegendAndPicture() {
        WaterfallApp app;
        app.single();
        WaterfallView* view = app.waterfall->view();
        const QRgb background = view->palette().color(QPalette::Window).rgb();
        QImage picture;
        const auto inkRows = [&](int width, int room) {  // rows of the first time label that are not blank
            view->resize(width, view->height());
            picture = QImage(view->size(), QImage::Format_RGB32);
            picture.fill(Qt::magenta);  // what the view leaves unpainted stays magenta
            view->render(&picture, {}, {}, {});
            int rows = 0;
            for (int y = 0; y < 40; ++y) {
                bool ink = false;
                for (int x = 0; x < room; ++x) ink = ink || picture.pixel(x, y) != background;
                rows += ink;
            }
            return rows;
        };
        const int capHeight = view->fontMetrics().capHeight();
        // 300 wide the plot starts at column 21, leaving 14 pixels for a label; 1500 wide, at 103 with 96.
        const int narrow = inkRows(300, 14), wide = inkRows(1500, 96);
        QVERIFY2(narrow > 0 && narrow <= capHeight / 2 && wide > capHeight / 2 && wide <= capHeight + 2,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(narrow).arg(wide).arg(capHeight)));
        QCOMPARE(picture.pixel(0, picture.height() - 1), background);
        // The picture saved is the view's.
        const QString name = app.home.filePath(QStringLiteral("waterfall.png"));
        app.dialogs.saveAnswers.enqueue(name);
        app.waterfall->pictureAction()->trigger();
        QCOMPARE(QImage(name).size(), app.waterfall->view()->size());
        app.dialogs.saveAnswers.enqueue(app.home.filePath(QStringLiteral("none/waterfall.png")));
        app.waterfall->pictureAction()->trigger();
        QCOMPARE(app.dialogs.messages.size(), 1);
        QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Save picture"));
    }
};

QTEST_MAIN(TestTraceWindows)
#include "tst_tracewindows.moc"
