#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "GraphDrawing.h"
#include "ImageCanvas.h"
#include "SpectrumGraph.h"
#include "Waterfall.h"

using namespace tk;

namespace {

// Reads whose first point holds the read's number, at the read's number of seconds.
QList<int> FirstPoints(const WaterfallHistory& history) {
    QList<int> firsts;
    for (int age = 0; age < history.rowCount(); ++age) {
        firsts.push_back(history.row(age)[0]);
        if (history.time(age) != history.row(age)[0]) return {-1};
    }
    return firsts;
}

void AddReads(WaterfallHistory& history, MeasurementModel& model, int from, int to) {
    for (int k = from; k <= to; ++k) {
        model.traceActual[0] = static_cast<std::int16_t>(k);
        history.AddRow(model, k);
    }
}

}  // namespace

class TestWaterfall : public QObject {
    Q_OBJECT
private slots:
    void rowsNewestFirstInARing_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("shrinkTo");  // 0: no change of the row limit after the reads
        QTest::addColumn<QList<int>>("firsts");
        QTest::newRow("fewer reads than rows") << 5 << 2 << 0 << QList<int>{2, 1};
        QTest::newRow("exactly full") << 3 << 3 << 0 << QList<int>{3, 2, 1};
        QTest::newRow("wrapped") << 3 << 7 << 0 << QList<int>{7, 6, 5};
        QTest::newRow("fewer rows keep the newest") << 4 << 6 << 2 << QList<int>{6, 5};
        QTest::newRow("more rows keep all") << 2 << 3 << 5 << QList<int>{3, 2};
    }
    void rowsNewestFirstInARing() {
        QFETCH(int, capacity);
        QFETCH(int, reads);
        QFETCH(int, shrinkTo);
        QFETCH(QList<int>, firsts);
        MeasurementModel model;
        WaterfallHistory history(capacity);
        AddReads(history, model, 1, reads);
        if (shrinkTo > 0) history.setCapacity(shrinkTo);
        QCOMPARE(FirstPoints(history), firsts);
        // The ring goes on from where it stands.
        AddReads(history, model, reads + 1, reads + 1);
        QCOMPARE(FirstPoints(history)[0], reads + 1);
        QCOMPARE(history.rowCount(), std::min<int>(static_cast<int>(firsts.size()) + 1, history.capacity()));
    }

    void rowLimits() {
        QCOMPARE(WaterfallHistory(20000).capacity(), 10000);
        QCOMPARE(WaterfallHistory(0).capacity(), 1);
        // Columns 7 (x 0 of -310..4200 in 100 pixels) to 99: a sweep wider than the plot stops at its edge.
        QCOMPARE(WaterfallColumnsFor(100, 4000, 8).firstPoint.size(), std::size_t(93));
    }

    // Range 0..255 in 256 slices of 255/256 raw units each.
    void colourOfLevels_data() {
        QTest::addColumn<double>("raw");
        QTest::addColumn<double>("rawMin");
        QTest::addColumn<double>("rawMax");
        QTest::addColumn<int>("index");
        QTest::newRow("below the range") << -40.0 << 0.0 << 255.0 << 0;
        QTest::newRow("top") << 255.0 << 0.0 << 255.0 << 255;
        QTest::newRow("just below the middle") << 127.0 << 0.0 << 255.0 << 127;  // 127.498
        QTest::newRow("just above the middle") << 128.0 << 0.0 << 255.0 << 128;  // 128.502
        QTest::newRow("middle of a widened range") << 100.0 << -56.0 << 256.0 << 128;
        QTest::newRow("empty range") << 10.0 << 10.0 << 10.0 << 0;
    }
    void colourOfLevels() {
        QFETCH(double, raw);
        QFETCH(double, rawMin);
        QFETCH(double, rawMax);
        QFETCH(int, index);
        QCOMPARE(WaterfallColourIndex(raw, rawMin, rawMax), index);
        // A row of one point paints its column in the same entry.
        const std::vector<std::int16_t> row{static_cast<std::int16_t>(raw)};
        const WaterfallColumns columns = WaterfallColumnsFor(100, 1, 8);
        QRgb line[100] = {};
        DrawWaterfallRow(line, 100, columns, row, rawMin, rawMax);
        QCOMPARE(line[columns.firstColumn], WaterfallColourMap()[static_cast<std::size_t>(index)]);
    }

    // The map's steps are equal in CIELAB, where viridis' first half is the shorter, so the middle entry lies
    // past viridis' middle (0x21918c), on the way to its green at three quarters (0x5ec962).
    void colourMapMiddle() {
        const auto& map = WaterfallColourMap();
        const QRgb middle = map[128];
        QVERIFY2(qRed(middle) > 0x21 && qRed(middle) < 0x5e && qGreen(middle) > 0x91 &&
                     qGreen(middle) < 0xc9 && qBlue(middle) > 0x62 && qBlue(middle) < 0x8c,
                 qPrintable(QString::number(middle & 0xffffff, 16)));
        // Lighter at every step: a level never looks lower than a smaller one.
        for (int i = 1; i < 256; ++i)
            QVERIFY(qGray(map[static_cast<std::size_t>(i)]) >= qGray(map[static_cast<std::size_t>(i - 1)]));
    }

    // A carrier's column is the column where the graph draws its peak, in a window of the same width; the
    // frequency scale's ticks stand at the graph's division lines, with its labels.
    void carrierColumnUnderTheGraphs_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("point");
        QTest::newRow("4000 points, wide") << 1600 << 1 << 3999;
        QTest::newRow("500 points, wide") << 1600 << 8 << 17;
        QTest::newRow("500 points, on a division") << 800 << 8 << 150;
    }
    void carrierColumnUnderTheGraphs() {
        QFETCH(int, width);
        QFETCH(int, resolution);
        QFETCH(int, point);
        MeasurementModel model;
        model.graphOpen = true;
        model.settings.resolution = static_cast<std::int16_t>(resolution);
        model.settings.showPeak = model.settings.showAverage = false;
        model.traceActual[static_cast<std::size_t>(point)] = 200;
        ImageCanvas canvas(QSize(width, 400));
        RedrawGraph(model, canvas);
        int graphColumn = -1;
        for (int y = 0; y < 400 && graphColumn < 0; ++y)
            for (int x = 0; x < width; ++x)
                if ((canvas.image().pixel(x, y) & 0xffffff) == 0x008000) {
                    graphColumn = x;
                    break;
                }

        WaterfallHistory history;
        history.AddRow(model, 0.0);
        std::vector<QRgb> line(static_cast<std::size_t>(width), 0);
        DrawWaterfallRow(line.data(), width, WaterfallColumnsFor(width, history.points(), resolution),
                         history.row(0), 0.0, 255.0);
        const QRgb carrier = WaterfallColourMap()[200];
        QCOMPARE(line[static_cast<std::size_t>(graphColumn)], carrier);
        // Only the columns nearest to the carrier's point show it.
        const double pixelsPerPoint = width * resolution / 4510.0;
        QVERIFY(std::count(line.begin(), line.end(), carrier) <= std::max(1.0, pixelsPerPoint + 1.0));
        const std::vector<WaterfallTick> ticks =
            WaterfallFrequencyTicks(WaterfallKeyOf(model.settings), width);
        QCOMPARE(ticks.size(), std::size_t{11});
        QCOMPARE(ticks.back().text, QStringLiteral("1000.00"));  // 500 MHz at 100 MHz per division
        if (point * resolution % PLOT_X_DIVISION == 0) {
            const auto& tick = ticks[static_cast<std::size_t>(point * resolution / PLOT_X_DIVISION)];
            QCOMPARE(tick.column, graphColumn);
            QCOMPARE(tick.text, QStringLiteral("300.00"));
        }
    }

    // A new centre frequency is the waterfall window's test.
    void settingsThatStartANewHistory_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<float>("centre");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("resolution") << 4 << 500.0f << 100.0f << 0.0f << true;
        QTest::newRow("scan width") << 8 << 500.0f << 50.0f << 0.0f << true;
        QTest::newRow("attenuation lines up") << 8 << 500.0f << 100.0f << 10.0f << false;
    }
    void settingsThatStartANewHistory() {
        QFETCH(int, resolution);
        QFETCH(float, centre);
        QFETCH(float, width);
        QFETCH(float, attenuation);
        QFETCH(bool, restarts);
        MeasurementModel model;
        WaterfallHistory history;
        QCOMPARE(history.AddRow(model, 1.0), WaterfallHistory::Added::FirstRow);
        history.AddRow(model, 2.0);
        model.settings.resolution = static_cast<std::int16_t>(resolution);
        model.settings.centerFreq = centre;
        model.settings.scanWidth = width;
        model.settings.attenuation = attenuation;
        model.traceActual[4000 / resolution] = 77;
        QCOMPARE(history.AddRow(model, 3.0),
                 restarts ? WaterfallHistory::Added::NewHistory : WaterfallHistory::Added::Row);
        QCOMPARE(history.rowCount(), restarts ? 1 : 3);
        QCOMPARE(history.points(), 4000 / resolution + 1);
        QCOMPARE(history.row(0).back(), std::int16_t{77});
    }

    // Every read of a long run goes into the storage taken for the first.
    void memoryFixedOverALongRun() {
        MeasurementModel model;
        model.settings.resolution = 1;
        WaterfallHistory history;
        history.AddRow(model, 0.0);
        const std::size_t bytes = history.storageBytes();
        QCOMPARE(bytes, std::size_t{600} * (4001 * 2 + 8));
        AddReads(history, model, 1, 20000);
        QCOMPARE(history.storageBytes(), bytes);
        QCOMPARE(history.rowCount(), 600);
        QCOMPARE(history.time(599), 19401.0);
    }

    void timeOfDayText() {
        QCOMPARE(WaterfallTimeText(8 * 3600.0 + 5 * 60 + 9.75), QStringLiteral("08:05:09"));
        QCOMPARE(WaterfallTimeText(86400.0 + 61.0), QStringLiteral("00:01:01"));  // past midnight
    }
};

QTEST_MAIN(TestWaterfall)
#include "tst_waterfall.moc"
