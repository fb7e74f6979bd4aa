#include <QTest>
#include <cmath>

#include "GraphDrawing.h"
#include "GraphTestModel.h"
#include "RecordingCanvas.h"
#include "SpectrumGraph.h"

using namespace tk;

namespace {

struct Point {
    float freq;
    float level;
    std::int16_t log = 0;
};

void SetPoints(BoundaryLine& b, std::initializer_list<Point> points) {
    std::size_t i = 0;
    for (const Point& p : points) {
        b.freqMHz[i] = p.freq;
        b.levelDbm[i] = p.level;
        b.logSegment[i] = p.log;
        ++i;
    }
}

// The plot's y of a dBm level with no attenuation: 3.2 raw units per dB above -107 dBm.
double YOfDbm(double dbm) {
    return (dbm + 107.0) * 3.2;
}

// A level on a line straight in log10 of the frequency through (f0, l0) and (f1, l1).
double LogLevel(double f, double f0, double l0, double f1, double l1) {
    return l0 + (l1 - l0) * std::log10(f / f0) / std::log10(f1 / f0);
}

QStringList Lines(const std::vector<CanvasOp>& ops) {
    QStringList out;
    for (const CanvasOp& op : ops) out << op.toString();
    return out;
}

}  // namespace

class TestGraphBoundaries : public QObject {
    Q_OBJECT
private slots:
    void colourAndOrderOfTheThreeBoundaries() {
        auto model = OpenGraphModel();
        model->settings.limitActual = model->settings.limitAverage = model->settings.limitPeak = true;
        SetPoints(model->boundaryActual, {{100, -40}, {200, -60}});
        SetPoints(model->boundaryAverage, {{300, -40}, {400, -40}});
        SetPoints(model->boundaryPeak, {{500, -50}, {600, -50}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QStringList drawn;
        for (const CanvasOp& op : canvas.only(CanvasOp::Kind::Line))
            if (op.colour != COLOUR_BLACK && op.colour != COLOUR_GREY) drawn << op.toString();
        QCOMPARE(drawn, (QStringList{"line 400,214-800,150 c2 w1 solid copy",
                                     "line 1200,214.4-1600,214.4 c9 w1 solid copy",
                                     "line 2000,182.4-2400,182.4 c12 w1 solid copy"}));
    }

    void switchedOffBoundaryIsNotDrawn() {
        auto model = OpenGraphModel();
        model->settings.limitAverage = true;
        SetPoints(model->boundaryActual, {{100, -40}, {200, -60}});
        SetPoints(model->boundaryPeak, {{100, -40}, {200, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QVERIFY(canvas.linesIn(COLOUR_GREEN).empty());
        QVERIFY(canvas.linesIn(COLOUR_LIGHT_RED).empty());
        QVERIFY(canvas.linesIn(COLOUR_LIGHT_BLUE).empty());  // on, but without points in use
    }

    void straightSegments_data() {
        QTest::addColumn<bool>("actual");  // the actual trace's boundary rounds down, the others do not
        QTest::addColumn<float>("level0");
        QTest::addColumn<float>("level1");
        QTest::addColumn<float>("freq1");
        QTest::addColumn<QString>("expected");
        QTest::newRow("peak, unrounded") << false << -40.0f << -60.0f << 200.0f << "400,214.4-800,150.4";
        QTest::newRow("actual, rounded down") << true << -40.0f << -60.0f << 200.0f << "400,214-800,150";
        QTest::newRow("actual, whole stays") << true << -97.0f << -87.0f << 200.0f << "400,32-800,64";
        QTest::newRow("above the top") << false << 10.0f << -28.0f << 200.0f << "400,256-800,252.8";
        QTest::newRow("below the bottom") << false << -150.0f << -107.0f << 200.0f << "400,0-800,0";
        QTest::newRow("beyond the sweep") << false << -60.0f << -60.0f << 2000.0f << "400,150.4-4000,150.4";
    }
    void straightSegments() {
        QFETCH(bool, actual);
        QFETCH(float, level0);
        QFETCH(float, level1);
        QFETCH(float, freq1);
        QFETCH(QString, expected);
        auto model = OpenGraphModel();
        model->settings.showAverage = true;
        model->traceAverage[0] = 256;  // so that -27 dBm (raw 256 on the plot's scale) is inside
        BoundaryLine& b = actual ? model->boundaryActual : model->boundaryPeak;
        (actual ? model->settings.limitActual : model->settings.limitPeak) = true;
        SetPoints(b, {{100, level0}, {freq1, level1}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(actual ? COLOUR_GREEN : COLOUR_LIGHT_RED);
        QCOMPARE(lines.size(), std::size_t{1});
        const QString c = actual ? QStringLiteral("2") : QStringLiteral("12");
        QCOMPARE(lines[0].toString(), "line " + expected + " c" + c + " w1 solid copy");
    }

    // 100.2 MHz lies at x 400.8 and 299.9 MHz at 1199.6; both are rounded down.
    void xIsRoundedDown() {
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{100.2f, -60}, {299.9f, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(Lines(canvas.linesIn(COLOUR_LIGHT_RED)),
                 QStringList{QStringLiteral("line 400,150.4-1199,150.4 c12 w1 solid copy")});
    }

    void attenuationMovesBoundaryDown() {
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        model->settings.attenuation = 10.0f;
        SetPoints(model->boundaryPeak, {{100, -40}, {200, -40}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(Lines(canvas.linesIn(COLOUR_LIGHT_RED)),
                 QStringList{QStringLiteral("line 400,182.4-800,182.4 c12 w1 solid copy")});
    }

    void scanWidthZero_data() {
        QTest::addColumn<float>("freq0");
        QTest::addColumn<float>("freq1");
        QTest::addColumn<int>("x0");
        QTest::addColumn<int>("x1");
        QTest::newRow("both far out") << 400.0f << 600.0f << 0 << 4000;
        QTest::newRow("three quarters out") << 499.25f << 500.75f << 0 << 4000;
        QTest::newRow("exactly half out") << 499.5f << 500.5f << 0 << 4000;
        QTest::newRow("inside") << 499.75f << 500.25f << 1000 << 3000;
        QTest::newRow("both below") << 100.0f << 499.0f << 0 << 0;
    }
    void scanWidthZero() {
        QFETCH(float, freq0);
        QFETCH(float, freq1);
        QFETCH(int, x0);
        QFETCH(int, x1);
        auto model = OpenGraphModel();
        model->settings.scanWidth = 0.0f;
        model->settings.limitAverage = true;
        SetPoints(model->boundaryAverage, {{freq0, -60}, {freq1, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_BLUE);
        QCOMPARE(lines.size(), std::size_t{1});
        QCOMPARE(lines[0].x1, double(x0));
        QCOMPARE(lines[0].x2, double(x1));
    }

    void pointsNotInUse_data() {
        QTest::addColumn<float>("third");
        QTest::addColumn<float>("fourth");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("third point 0, rest unused")
            << 0.0f << 0.0f << QStringList{"line 400,150.4-800,150.4 c12 w1 solid copy"};
        QTest::newRow("third point negative")
            << -300.0f << 0.0f << QStringList{"line 400,150.4-800,150.4 c12 w1 solid copy"};
        // Each segment is skipped on its own: points after a gap still make their segment.
        QTest::newRow("gap, then two points") << 0.0f << 400.0f
                                              << QStringList{"line 400,150.4-800,150.4 c12 w1 solid copy",
                                                             "line 1600,150.4-2000,150.4 c12 w1 solid copy"};
    }
    void pointsNotInUse() {
        QFETCH(float, third);
        QFETCH(float, fourth);
        QFETCH(QStringList, expected);
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{100, -60}, {200, -60}, {third, -60}, {fourth, -60}, {500, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(Lines(canvas.linesIn(COLOUR_LIGHT_RED)), expected);
    }

    void tenthPointIsNeverUsed() {
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        BoundaryLine& b = model->boundaryPeak;
        for (std::size_t i = 0; i < 11; ++i) {
            b.freqMHz[i] = 100.0f + 50.0f * static_cast<float>(i);
            b.levelDbm[i] = -60.0f;
        }
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_RED);
        QCOMPARE(lines.size(), std::size_t{9});
        QCOMPARE(lines.back().x2, 2200.0);  // point 9 at 550 MHz; point 10 would be at 2400
    }

    void narrowLogSegmentIsOneLine() {
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{100, -40, 1}, {104, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(Lines(canvas.linesIn(COLOUR_LIGHT_RED)),
                 QStringList{QStringLiteral("line 400,214.4-416,150.4 c12 w1 solid copy")});
    }

    void logSegmentFollowsTheLogarithm() {
        auto model = OpenGraphModel();
        model->settings.limitActual = true;
        SetPoints(model->boundaryActual, {{100, -40, 1}, {200, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_GREEN);
        // Steps from x = 400 to 780, each 20 wide, and the closing line.
        QCOMPARE(lines.size(), std::size_t{21});
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            QCOMPARE(lines[i].x1, 400.0 + 20.0 * double(i));
            QCOMPARE(lines[i].x2, lines[i].x1 + 20.0);
            QCOMPARE(lines[i + 1].x1, lines[i].x2);
            QCOMPARE(lines[i + 1].y1, lines[i].y2);
        }
        // x = 600 is 150 MHz; the levels are not rounded down, not even for the actual trace's boundary.
        QVERIFY(std::abs(lines[9].y2 - YOfDbm(LogLevel(150, 100, -40, 200, -60))) < 1e-4);
        QVERIFY(std::abs(lines[0].y1 - 214.4) < 1e-4);
        QCOMPARE(lines.back().x2, 800.0);
        QVERIFY(std::abs(lines.back().y2 - 150.4) < 1e-9);
    }

    void logSegmentEndsWithAClosingLine() {
        auto model = OpenGraphModel();
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{100, -40, 1}, {112.5, -60}});  // x 400 .. 450
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_RED);
        QCOMPARE(lines.size(), std::size_t{3});
        QCOMPARE(lines[1].x2, 440.0);
        QCOMPARE(lines[2].x1, 440.0);
        QCOMPARE(lines[2].y1, lines[1].y2);
        QCOMPARE(lines[2].x2, 450.0);
        QVERIFY(std::abs(lines[2].y2 - 150.4) < 1e-9);
    }

    // The part of a log segment that lies before the sweep starts is cut off at x = 0, where the steps
    // continue with the level the line has at the sweep's first frequency.
    void logSegmentStartingBeforeTheSweep() {
        auto model = OpenGraphModel();
        model->settings.centerFreq = 700.0f;  // sweep 200..1200 MHz
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{100, -40, 1}, {400, -60}});
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_RED);
        QCOMPARE(lines.size(), std::size_t{41});
        QCOMPARE(lines[0].x1, 0.0);
        QVERIFY(std::abs(lines[0].y1 - YOfDbm(LogLevel(200, 100, -40, 400, -60))) < 1e-4);
    }

    void logSegmentAtScanWidthZeroStaysBetweenItsLevels() {
        auto model = OpenGraphModel();
        model->settings.scanWidth = 0.0f;
        model->settings.limitPeak = true;
        SetPoints(model->boundaryPeak, {{499.75f, -40, 1}, {500.25f, -60}});  // x 1000 .. 3000
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_RED);
        QCOMPARE(lines.size(), std::size_t{101});
        QVERIFY(std::abs(lines[0].y1 - YOfDbm(-40)) < 1e-3);
        QVERIFY(std::abs(lines[50].y1 - YOfDbm(LogLevel(500, 499.75, -40, 500.25, -60))) < 1e-3);
    }

    // The pieces take the printout's differences as parameters: no rounding, its own label offsets.
    void printoutVariantsOfThePieces() {
        auto model = OpenGraphModel();
        SetPoints(model->boundaryActual, {{100, -40}, {200, -60}});
        RecordingCanvas canvas;
        DrawBoundary(canvas, model->boundaryActual, PlacementFor(*model, false));
        QCOMPARE(canvas.log(), QStringList{QStringLiteral("line 400,214.4-800,150.4 c0 w1 solid copy")});

        canvas.ops.clear();
        LabelUnit unit = GraphLabelUnit(model->settings);
        DrawScaleLabels(canvas, unit, model->settings, 0, 255, LabelPlacement{5.0, 9.0});
        const auto texts = canvas.only(CanvasOp::Kind::Text);
        QCOMPARE(texts.front().y1, 5.0);
        QCOMPARE(texts.back().toString(), QStringLiteral("text 3930,-9 c0 \"MHz\""));
    }
};

QTEST_MAIN(TestGraphBoundaries)
#include "tst_graph_boundaries.moc"
