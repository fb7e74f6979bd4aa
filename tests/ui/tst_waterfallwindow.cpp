#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "EmulatorAppRig.h"
#include "LimitCommands.h"
#include "PointListWindow.h"
#include "Rows.h"
#include "Units.h"
#include "WaterfallView.h"
#include "WaterfallWindow.h"

using namespace tk;
using namespace tk::test;

namespace {

struct App : EmulatorAppRig {
    WaterfallWindow* waterfall = nullptr;
    App() {
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

class TestWaterfallWindow : public QObject {
    Q_OBJECT
private slots:
    void readsAddRowsUnlessPaused() {
        App app;
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
        App app;
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
        App app;
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
        App app;
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
        App app;
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

QTEST_MAIN(TestWaterfallWindow)
#include "tst_waterfallwindow.moc"
