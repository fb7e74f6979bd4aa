#include <QTest>
#include <cmath>

#include "GraphTestModel.h"
#include "RecordingCanvas.h"
#include "SpectrumGraph.h"

using namespace tk;

namespace {

// The operations with the coordinates taken out, and runs of equal entries counted, so that the order of the
// redraw's steps can be read at a glance.
QStringList Outline(const RecordingCanvas& canvas) {
    QStringList out;
    QString last;
    int count = 0;
    const auto flush = [&] {
        if (count > 0) out << (count > 1 ? QStringLiteral("%1 x%2").arg(last).arg(count) : last);
    };
    for (const CanvasOp& op : canvas.ops) {
        QString entry = op.toString();
        if (op.kind == CanvasOp::Kind::Line)
            entry = QStringLiteral("line c%1 w%2 %3 %4")
                        .arg(op.colour)
                        .arg(op.width)
                        .arg(CanvasOp::styleName(op.style), CanvasOp::modeName(op.mode));
        else if (op.kind == CanvasOp::Kind::Text)
            entry = QStringLiteral("text c%1").arg(op.colour);
        else if (op.kind == CanvasOp::Kind::Scale)
            entry = QStringLiteral("scale");
        if (entry == last) {
            ++count;
        } else {
            flush();
            last = entry;
            count = 1;
        }
    }
    flush();
    return out;
}

void SetStraightBoundary(BoundaryLine& b) {
    b.freqMHz[0] = 100.0f;
    b.levelDbm[0] = -40.0f;
    b.freqMHz[1] = 200.0f;
    b.levelDbm[1] = -60.0f;
}

GraphHooks PortOpen() {
    GraphHooks hooks;
    hooks.portOpen = [] { return true; };
    return hooks;
}

std::vector<CanvasOp> HorizontalGridLines(const RecordingCanvas& canvas) {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : canvas.linesIn(COLOUR_GREY))
        if (op.y1 == op.y2) out.push_back(op);
    return out;
}

QString YesNo(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

bool Near(double a, double b) {
    return std::abs(a - b) < 1e-9;
}

}  // namespace

class TestGraph : public QObject {
    Q_OBJECT
private slots:
    void fullRedrawDrawsEveryElementInOrder() {
        auto model = OpenGraphModel();
        model->settings.limitActual = true;
        SetStraightBoundary(model->boundaryActual);
        model->timeActual.set(QStringLiteral("10:15:02"));
        model->timeAverage.set(QStringLiteral("10:14:00"));
        model->timePeak.set(QStringLiteral("10:14:30"));
        model->invalidTransferCount = 12;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas, PortOpen());

        const QStringList expected{
            QStringLiteral("caption \"Ac: 10:15:02  Av: 10:14:00  Pk: 10:14:30  E:  12\""),
            "clear",
            "scale -310,255-4200,-20",
            "colour 8",
            "width 3",
            "line 0,0-4000,0 c0 w3 solid copy",
            "line 0,255-4000,255 c0 w3 solid copy",
            "line 0,0-0,255 c0 w3 solid copy",
            "line 4000,0-4000,255 c0 w3 solid copy",
            "width 1",
            "line 0,32-4000,32 c8 w1 solid copy",
            "line 0,64-4000,64 c8 w1 solid copy",
            "line 0,96-4000,96 c8 w1 solid copy",
            "line 0,128-4000,128 c8 w1 solid copy",
            "line 0,160-4000,160 c8 w1 solid copy",
            "line 0,192-4000,192 c8 w1 solid copy",
            "line 0,224-4000,224 c8 w1 solid copy",
            "line 0,0-0,255 c8 w1 solid copy",
            "line 400,0-400,255 c8 w1 solid copy",
            "line 800,0-800,255 c8 w1 solid copy",
            "line 1200,0-1200,255 c8 w1 solid copy",
            "line 1600,0-1600,255 c8 w1 solid copy",
            "width 2",
            "line 2000,0-2000,255 c8 w2 solid copy",
            "width 1",
            "line 2400,0-2400,255 c8 w1 solid copy",
            "line 2800,0-2800,255 c8 w1 solid copy",
            "line 3200,0-3200,255 c8 w1 solid copy",
            "line 3600,0-3600,255 c8 w1 solid copy",
            "line 4000,0-4000,255 c8 w1 solid copy",
            "colour 2",
            // The actual trace's boundary: 214.4 and 150.4 rounded down.
            "line 400,214-800,150 c2 w1 solid copy",
            "colour 5",
            "text -300,6 c5 \"-107.0\"",
            "text -300,38 c5 \"-97.0\"",
            "text -300,70 c5 \"-87.0\"",
            "text -300,102 c5 \"-77.0\"",
            "text -300,134 c5 \"-67.0\"",
            "text -300,166 c5 \"-57.0\"",
            "text -300,198 c5 \"-47.0\"",
            "text -300,230 c5 \"-37.0\"",
            "text -300,254 c5 \"dBm\"",
            "text -70,-3 c5 \"0.00\"",
            "text 330,-3 c5 \"100.00\"",
            "text 730,-3 c5 \"200.00\"",
            "text 1130,-3 c5 \"300.00\"",
            "text 1530,-3 c5 \"400.00\"",
            "text 1930,-3 c5 \"500.00\"",
            "text 2330,-3 c5 \"600.00\"",
            "text 2730,-3 c5 \"700.00\"",
            "text 3130,-3 c5 \"800.00\"",
            "text 3530,-3 c5 \"900.00\"",
            "text 3930,-3 c5 \"1000.00\"",
            "text 3930,-12 c5 \"MHz\"",
            "refresh",
        };
        QCOMPARE(canvas.log(), expected);
    }

    void stepsComeInOrderWithEverythingShown() {
        auto model = OpenGraphModel();
        MeasurementSettings& s = model->settings;
        s.showActual = s.showAverage = s.showPeak = true;
        model->showComparison = true;
        s.limitActual = s.limitAverage = s.limitPeak = true;
        SetStraightBoundary(model->boundaryActual);
        SetStraightBoundary(model->boundaryAverage);
        SetStraightBoundary(model->boundaryPeak);
        model->levelWindowOpen = true;
        model->limitListOpen = true;
        model->redrawPending = true;
        RecordingCanvas canvas;
        GraphHooks hooks;
        hooks.refreshLevelWindow = [&] {
            canvas.note(QStringLiteral("level window, erased ") + YesNo(model->levelCursorErased));
        };
        hooks.refreshViolationList = [&] {
            canvas.note(QStringLiteral("violation list, erased ") + YesNo(model->limitCursorErased) +
                        QStringLiteral(", pending ") + YesNo(model->redrawPending));
        };
        RedrawGraph(*model, canvas, hooks);

        const QStringList expected{
            "clear", "scale", "colour 8", "width 3", "line c0 w3 solid copy x4", "width 1",
            "line c8 w1 solid copy x12", "width 2", "line c8 w2 solid copy", "width 1",
            "line c8 w1 solid copy x5",
            // Boundaries: actual, average, peak.
            "colour 2", "line c2 w1 solid copy", "colour 9", "line c9 w1 solid copy", "colour 12",
            "line c12 w1 solid copy",
            // Traces: actual, average, peak, comparison; 499 segments each at resolution 8.
            "colour 2", "line c2 w1 solid copy x499", "colour 9", "line c9 w1 solid copy x499", "colour 12",
            "line c12 w1 solid copy x499", "colour 3", "line c3 w1 solid copy x499",
            // The lists are refreshed after the redraw is no longer pending, then their cursors drawn.
            "note level window, erased true", "colour 12", "mode notxor", "width 1", "style dotted",
            "line c12 w1 dotted notxor", "width 1", "style solid", "colour 3", "mode copy",
            "note violation list, erased true, pending false", "colour 10", "mode notxor", "width 1",
            "style dotted", "line c10 w1 dotted notxor", "width 1", "style solid", "colour 3", "mode copy",
            // 8 level labels, the unit, 11 frequencies and "MHz".
            "colour 5", "text c5 x21", "refresh"};
        QCOMPARE(Outline(canvas), expected);
        QVERIFY(!model->redrawPending);
        QVERIFY(!model->levelCursorErased);
        QVERIFY(!model->limitCursorErased);
    }

    void levelRange_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("curve");  // 0 actual, 1 average, 2 peak, 3 comparison
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expectedMin");
        QTest::addColumn<int>("expectedMax");
        QTest::newRow("within 0..255") << 8 << 0 << true << 10 << 255 << 0 << 255;
        QTest::newRow("300 raises the top") << 8 << 0 << true << 10 << 300 << 0 << 300;
        QTest::newRow("negative lowers the bottom") << 8 << 2 << true << 499 << -40 << -40 << 255;
        QTest::newRow("average counts") << 8 << 1 << true << 0 << 256 << 0 << 256;
        QTest::newRow("index N+1 is not looked at") << 8 << 0 << true << 500 << 300 << 0 << 255;
        QTest::newRow("resolution 1, last index") << 1 << 0 << true << 3999 << 400 << 0 << 400;
        QTest::newRow("resolution 1, index 4000") << 1 << 0 << true << 4000 << 400 << 0 << 255;
        QTest::newRow("hidden trace") << 8 << 1 << false << 10 << 300 << 0 << 255;
        QTest::newRow("comparison shown") << 8 << 3 << true << 10 << 280 << 0 << 280;
        QTest::newRow("comparison hidden") << 8 << 3 << false << 10 << -280 << 0 << 255;
    }
    void levelRange() {
        QFETCH(int, resolution);
        QFETCH(int, curve);
        QFETCH(bool, shown);
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(int, expectedMin);
        QFETCH(int, expectedMax);
        auto model = OpenGraphModel();
        model->settings.resolution = static_cast<std::int16_t>(resolution);
        // The other curves are shown and flat, so only the one under test can move the range.
        model->settings.showActual = model->settings.showAverage = model->settings.showPeak = true;
        TraceArray* traces[] = {&model->traceActual, &model->traceAverage, &model->tracePeak,
                                &model->traceComparison};
        VbBool* flags[] = {&model->settings.showActual, &model->settings.showAverage,
                           &model->settings.showPeak, &model->showComparison};
        (*traces[curve])[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(value);
        *flags[curve] = shown;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(int(model->graphLevelMin), expectedMin);
        QCOMPARE(int(model->graphLevelMax), expectedMax);
        const auto scale = canvas.only(CanvasOp::Kind::Scale);
        QCOMPARE(scale.size(), std::size_t{1});
        QCOMPARE(scale[0].y1, double(expectedMax));
        QVERIFY(Near(scale[0].y2, expectedMin - 20.0 * (expectedMax - expectedMin) / 255.0));
    }

    void valueOf300AddsGridLineAt288() {
        auto model = OpenGraphModel();
        model->settings.showActual = true;
        model->traceActual[7] = 300;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QStringList ys;
        for (const CanvasOp& op : HorizontalGridLines(canvas)) ys << CanvasOp::number(op.y1);
        QCOMPARE(ys, QStringList({"32", "64", "96", "128", "160", "192", "224", "256", "288"}));
        const auto frame = canvas.linesIn(COLOUR_BLACK);
        QCOMPARE(frame.size(), std::size_t{4});
        QCOMPARE(frame[1].y1, 300.0);  // the top side
        QCOMPARE(frame[2].y2, 300.0);  // the left side reaches up to it
        // The labels are placed in units of d = 300/255.
        const double d = 300.0 / 255.0;
        const auto texts = canvas.only(CanvasOp::Kind::Text);
        QCOMPARE(texts.size(), std::size_t{10 + 1 + 11 + 1});
        QVERIFY(Near(texts[9].y1, 288 + 6 * d));
        QCOMPARE(texts[9].text, QStringLiteral("-17.0"));
        QCOMPARE(texts[10].text, QStringLiteral("dBm"));
        QVERIFY(Near(texts[10].y1, 300 - d));
        QVERIFY(Near(texts[11].y1, -3 * d));
        QCOMPARE(texts.back().text, QStringLiteral("MHz"));
        QVERIFY(Near(texts.back().y1, -12 * d));
    }

    void negativeValuesAddGridLinesAndLabelsBelowZero() {
        auto model = OpenGraphModel();
        model->settings.showPeak = true;
        model->tracePeak[3] = -70;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QStringList ys;
        for (const CanvasOp& op : HorizontalGridLines(canvas)) ys << CanvasOp::number(op.y1);
        QCOMPARE(ys, QStringList({"32", "64", "96", "128", "160", "192", "224", "-32", "-64"}));
        QStringList labels;
        for (const CanvasOp& op : canvas.only(CanvasOp::Kind::Text)) labels << op.text;
        QCOMPARE(labels.mid(0, 11), QStringList({"-107.0", "-97.0", "-87.0", "-77.0", "-67.0", "-57.0",
                                                 "-47.0", "-37.0", "-117.0", "-127.0", "dBm"}));
    }

    void traceSegments_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("segments");
        QTest::addColumn<int>("lastX");
        QTest::newRow("resolution 8") << 8 << 499 << 3992;
        QTest::newRow("resolution 4") << 4 << 999 << 3996;
        QTest::newRow("resolution 2") << 2 << 1999 << 3998;
        QTest::newRow("resolution 1") << 1 << 3999 << 3999;
    }
    void traceSegments() {
        QFETCH(int, resolution);
        QFETCH(int, segments);
        QFETCH(int, lastX);
        auto model = OpenGraphModel();
        model->settings.resolution = static_cast<std::int16_t>(resolution);
        model->settings.showAverage = true;
        model->traceAverage[0] = 10;
        model->traceAverage[1] = 20;
        model->traceAverage[2] = 5;
        model->traceAverage[static_cast<std::size_t>(segments)] = 77;
        model->traceAverage[static_cast<std::size_t>(segments + 1)] = 99;  // never drawn
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_LIGHT_BLUE);
        QCOMPARE(int(lines.size()), segments);
        const QString r = QString::number(resolution);
        QCOMPARE(lines[0].toString(), QStringLiteral("line 0,10-%1,20 c9 w1 solid copy").arg(r));
        QCOMPARE(lines[1].toString(),
                 QStringLiteral("line %1,20-%2,5 c9 w1 solid copy").arg(r, QString::number(2 * resolution)));
        QCOMPARE(lines.back().x2, double(lastX));
        QCOMPARE(lines.back().y2, 77.0);
    }

    void noiseFloor_data() {
        QTest::addColumn<float>("noiseSuppression");
        QTest::addColumn<int>("elsewhere");  // a value in another shown trace, to move the bottom
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("drawnAt");
        // 3.2 dB is 10.2 raw units, floor 10.
        QTest::newRow("at the floor") << 3.2f << 0 << 10 << 0;
        QTest::newRow("one above") << 3.2f << 0 << 11 << 11;
        // 3.1 dB is 9.88 raw units, floor 9.
        QTest::newRow("rounded down, above") << 3.1f << 0 << 10 << 10;
        QTest::newRow("rounded down, at") << 3.1f << 0 << 9 << 0;
        // 10 dB is 31.875 raw units on the level conversion's scale (not 32 on the plot's own scale).
        QTest::newRow("ten dB, at") << 10.0f << 0 << 31 << 0;
        QTest::newRow("ten dB, above") << 10.0f << 0 << 32 << 32;
        // The floor counts from the bottom of the plot: -20 + 10.
        QTest::newRow("bottom below 0, at") << 3.2f << -20 << -10 << -20;
        QTest::newRow("bottom below 0, above") << 3.2f << -20 << -9 << -9;
        QTest::newRow("no suppression, bottom value") << 0.0f << -20 << -20 << -20;
        QTest::newRow("no suppression, zero") << 0.0f << -20 << 0 << 0;
    }
    void noiseFloor() {
        QFETCH(float, noiseSuppression);
        QFETCH(int, elsewhere);
        QFETCH(int, value);
        QFETCH(int, drawnAt);
        auto model = OpenGraphModel();
        model->settings.noiseSuppression = noiseSuppression;
        model->settings.showActual = true;
        model->settings.showPeak = true;
        model->tracePeak[100] = static_cast<std::int16_t>(elsewhere);
        model->traceActual[0] = static_cast<std::int16_t>(value);
        model->traceActual[1] = 200;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto lines = canvas.linesIn(COLOUR_GREEN);
        QVERIFY(!lines.empty());
        QCOMPARE(lines[0].y1, double(drawnAt));
        QCOMPARE(lines[0].y2, 200.0);
    }

    void labels_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<QString>("atZero");
        QTest::addColumn<QString>("atTop");
        QTest::addColumn<QString>("unitText");
        QTest::newRow("dBpW") << 0 << 0.0f << "-17.0"
                              << " 53.0"
                              << "dBpW";
        QTest::newRow("dBm") << 1 << 0.0f << "-107.0"
                             << "-37.0"
                             << "dBm";
        QTest::newRow("dBuV, padded to five") << 2 << 0.0f << "  0.0"
                                              << " 70.0"
                                              << "dBuV";
        QTest::newRow("attenuation added") << 2 << 10.0f << " 10.0"
                                           << " 80.0"
                                           << "dBuV";
        QTest::newRow("half to even") << 2 << 0.25f << "  0.2"
                                      << " 70.2"
                                      << "dBuV";
        QTest::newRow("wide value stays whole") << 2 << 12345.0f << "12345.0"
                                                << "12415.0"
                                                << "dBuV";
    }
    void labels() {
        QFETCH(int, unit);
        QFETCH(float, attenuation);
        QFETCH(QString, atZero);
        QFETCH(QString, atTop);
        QFETCH(QString, unitText);
        auto model = OpenGraphModel();
        model->settings.levelUnit = static_cast<std::int16_t>(unit);
        model->settings.attenuation = attenuation;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto texts = canvas.only(CanvasOp::Kind::Text);
        QCOMPARE(texts[0].text, atZero);
        QCOMPARE(texts[7].text, atTop);  // y = 224
        QCOMPARE(texts[8].text, unitText);
        for (const CanvasOp& t : texts) QCOMPARE(t.colour, COLOUR_MAGENTA);
    }

    void frequencyLabels_data() {
        QTest::addColumn<float>("centerFreq");
        QTest::addColumn<float>("scanWidth");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("default") << 500.0f << 100.0f
                                 << QStringList{"0.00",   "100.00", "200.00", "300.00", "400.00", "500.00",
                                                "600.00", "700.00", "800.00", "900.00", "1000.00"};
        // 0.375 and 0.625 are exact halves in binary, rounded to even.
        QTest::newRow("halves to even")
            << 1.0f << 0.125f << QStringList{"0.38", "0.50", "0.62", "0.75", "0.88", "1.00",
                                             "1.12", "1.25", "1.38", "1.50", "1.62"};
        QTest::newRow("below zero") << 10.0f << 5.0f
                                    << QStringList{"-15.00", "-10.00", "-5.00", "0.00",  "5.00", "10.00",
                                                   "15.00",  "20.00",  "25.00", "30.00", "35.00"};
        QTest::newRow("scan width 0") << 500.0f << 0.0f << QStringList(11, QStringLiteral("500.00"));
    }
    void frequencyLabels() {
        QFETCH(float, centerFreq);
        QFETCH(float, scanWidth);
        QFETCH(QStringList, expected);
        auto model = OpenGraphModel();
        model->settings.centerFreq = centerFreq;
        model->settings.scanWidth = scanWidth;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto texts = canvas.only(CanvasOp::Kind::Text);
        QStringList got;
        for (std::size_t k = 9; k < 20; ++k) {
            got << texts[k].text;
            QCOMPARE(texts[k].x1, 400.0 * double(k - 9) - 70.0);
        }
        QCOMPARE(got, expected);
    }

    void userUnitNameIsTrimmedAndStored_data() {
        QTest::addColumn<bool>("graphOpen");
        QTest::newRow("graph open") << true;
        QTest::newRow("graph closed, still stored") << false;
    }
    void userUnitNameIsTrimmedAndStored() {
        QFETCH(bool, graphOpen);
        auto model = OpenGraphModel();
        model->graphOpen = graphOpen;
        model->settings.levelUnit = 3;
        model->settings.userUnitName.set(QStringLiteral("   mV/m "));
        model->settings.userUnitOffset = -100.0f;
        model->settings.attenuation = 5.0f;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(model->settings.userUnitName.text(), QStringLiteral("mV/m") + QString(26, QLatin1Char(' ')));
        if (!graphOpen) {
            QVERIFY(canvas.ops.empty());
            return;
        }
        const auto texts = canvas.only(CanvasOp::Kind::Text);
        QCOMPARE(texts[0].text, QStringLiteral("-95.0"));
        QCOMPARE(texts[8].text, QStringLiteral("mV/m"));
    }

    void userUnitOfOtherUnitsIsLeftAlone() {
        auto model = OpenGraphModel();
        model->settings.levelUnit = 1;
        model->settings.userUnitName.set(QStringLiteral("  mV/m"));
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(model->settings.userUnitName.text(),
                 QStringLiteral("  mV/m") + QString(24, QLatin1Char(' ')));
    }

    void caption_data() {
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("expected");
        QTest::newRow("positive count") << 12 << "Ac: 10:15:02  Av: --:--:--  Pk: 10:14:30  E:  12";
        QTest::newRow("zero") << 0 << "Ac: 10:15:02  Av: --:--:--  Pk: 10:14:30  E:  0";
        QTest::newRow("negative, no blank") << -3 << "Ac: 10:15:02  Av: --:--:--  Pk: 10:14:30  E: -3";
    }
    void caption() {
        QFETCH(int, errors);
        QFETCH(QString, expected);
        auto model = OpenGraphModel();
        model->timeActual.set(QStringLiteral("10:15:02"));
        model->timePeak.set(QStringLiteral("10:14:30"));
        model->invalidTransferCount = static_cast<std::int16_t>(errors);
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas, PortOpen());
        const auto captions = canvas.only(CanvasOp::Kind::Caption);
        QCOMPARE(captions.size(), std::size_t{1});
        QCOMPARE(captions[0].text, expected);
        QCOMPARE(canvas.ops[0].kind, CanvasOp::Kind::Caption);
    }

    void noCaptionWhilePortClosed() {
        auto model = OpenGraphModel();
        RecordingCanvas canvas;
        GraphHooks hooks;
        hooks.portOpen = [] { return false; };
        RedrawGraph(*model, canvas, hooks);
        QVERIFY(canvas.only(CanvasOp::Kind::Caption).empty());
        QVERIFY(!canvas.only(CanvasOp::Kind::Refresh).empty());
    }

    void minimisedWindowGetsOnlyTheCaption() {
        auto model = OpenGraphModel();
        model->settings.showActual = true;
        model->traceActual[3] = 400;
        model->levelWindowOpen = true;
        model->redrawPending = true;
        RecordingCanvas canvas;
        canvas.minimised = true;
        GraphHooks hooks = PortOpen();
        bool refreshed = false;
        hooks.refreshLevelWindow = [&] { refreshed = true; };
        RedrawGraph(*model, canvas, hooks);
        QCOMPARE(canvas.log(),
                 QStringList{QStringLiteral("caption \"Ac: --:--:--  Av: --:--:--  Pk: --:--:--  E:  0\"")});
        QCOMPARE(int(model->graphLevelMax), 400);  // the range is still worked out
        QVERIFY(model->redrawPending);
        QVERIFY(!refreshed);
    }

    void closedGraphDrawsNothing() {
        auto model = OpenGraphModel();
        model->graphOpen = false;
        model->settings.showActual = true;
        model->traceActual[3] = 400;
        model->levelWindowOpen = true;
        model->limitListOpen = true;
        model->redrawPending = true;
        RecordingCanvas canvas;
        GraphHooks hooks = PortOpen();
        int refreshed = 0;
        hooks.refreshLevelWindow = [&] { ++refreshed; };
        hooks.refreshViolationList = [&] { ++refreshed; };
        RedrawGraph(*model, canvas, hooks);
        QVERIFY(canvas.ops.empty());
        QCOMPARE(refreshed, 0);
        QCOMPARE(int(model->graphLevelMax), 255);
        QVERIFY(model->redrawPending);
    }

    void eraseClearsTracesAndRedraws() {
        auto model = OpenGraphModel();
        model->graphOpen = false;
        model->settings.showActual = model->settings.showAverage = model->settings.showPeak = true;
        for (TraceArray* t : {&model->traceActual, &model->traceAverage, &model->tracePeak}) t->fill(300);
        model->traceComparison.fill(7);
        model->invalidTransferCount = 5;
        RecordingCanvas canvas;
        EraseTraces(*model, canvas);
        for (TraceArray* t : {&model->traceActual, &model->traceAverage, &model->tracePeak}) {
            QVERIFY(std::all_of(t->begin(), t->begin() + 4001, [](std::int16_t v) { return v == 0; }));
            QCOMPARE((*t)[4001], std::int16_t{300});  // beyond the widest sweep
        }
        QCOMPARE(model->traceComparison[0], std::int16_t{7});
        QCOMPARE(model->invalidTransferCount, std::int16_t{0});
        QVERIFY(model->graphOpen);
        QCOMPARE(int(model->graphLevelMax), 255);
        QCOMPARE(canvas.ops.front().toString(), QStringLiteral("clear"));
        QCOMPARE(canvas.linesIn(COLOUR_GREEN).front().toString(),
                 QStringLiteral("line 0,0-8,0 c2 w1 solid copy"));
    }

    void cursorFirstDrawHasNoErase() {
        auto model = OpenGraphModel();
        model->levelWindowOpen = true;
        model->levelCursorX = 1200;
        model->levelCursorDrawnX = 400;  // where it was before the full redraw wiped it
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const auto cursor = canvas.linesIn(COLOUR_LIGHT_RED);
        QCOMPARE(cursor.size(), std::size_t{1});
        QCOMPARE(cursor[0].toString(), QStringLiteral("line 1200,0-1200,255 c12 w1 dotted notxor"));
        QCOMPARE(model->levelCursorDrawnX, std::int16_t{1200});
        QVERIFY(!model->levelCursorErased);
    }

    void cursorMove_data() {
        QTest::addColumn<bool>("levelCursor");
        QTest::addColumn<int>("colour");
        QTest::newRow("level window") << true << COLOUR_LIGHT_RED;
        QTest::newRow("violation list") << false << COLOUR_LIGHT_GREEN;
    }
    void cursorMove() {
        QFETCH(bool, levelCursor);
        QFETCH(int, colour);
        auto model = OpenGraphModel();
        model->settings.showPeak = true;
        model->tracePeak[0] = -32;  // the lines span the whole plot, -32..255
        (levelCursor ? model->levelWindowOpen : model->limitListOpen) = true;
        (levelCursor ? model->levelCursorX : model->limitCursorX) = 800;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        // A caller's own state must survive the cursor.
        canvas.setPenColour(COLOUR_MAGENTA);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.ops.clear();
        (levelCursor ? model->levelCursorX : model->limitCursorX) = 1600;
        levelCursor ? DrawLevelCursor(*model, canvas) : DrawLimitCursor(*model, canvas);
        const QString c = QString::number(colour);
        QCOMPARE(canvas.log(),
                 (QStringList{
                     "colour " + c,
                     "mode notxor",
                     "width 1",
                     "style dotted",
                     "line 800,-32-800,255 c" + c + " w1 dotted notxor",  // the old line, removed
                     "line 1600,-32-1600,255 c" + c + " w1 dotted notxor",
                     "width 1",
                     "style solid",
                     "colour 5",
                     "mode notxor",
                 }));
        QCOMPARE(canvas.penColour(), COLOUR_MAGENTA);
        QCOMPARE(canvas.drawMode(), DrawMode::NotXor);
        QCOMPARE(levelCursor ? model->levelCursorDrawnX : model->limitCursorDrawnX, std::int16_t{1600});
    }

    // Closing a list draws its line once more where it is, which removes it, and erases nothing before.
    void cursorOfClosedListIsDrawnOnce() {
        auto model = OpenGraphModel();
        model->limitCursorX = 2000;
        model->limitCursorDrawnX = 2000;
        model->limitListOpen = false;
        RecordingCanvas canvas;
        DrawLimitCursor(*model, canvas);
        const auto lines = canvas.only(CanvasOp::Kind::Line);
        QCOMPARE(lines.size(), std::size_t{1});
        QCOMPARE(lines[0].toString(), QStringLiteral("line 2000,0-2000,255 c10 w1 dotted notxor"));
    }

    void graphWithoutWindowKeepsRangeAndDrawsNothing() {
        auto model = OpenGraphModel();
        model->settings.showActual = true;
        model->traceActual[0] = 260;
        SpectrumGraph graph(*model, PortOpen());
        graph.RedrawGraph();
        QCOMPARE(int(model->graphLevelMax), 260);
        RecordingCanvas canvas;
        graph.setCanvas(&canvas);
        graph.EraseTraces();
        QCOMPARE(int(model->graphLevelMax), 255);
        QCOMPARE(canvas.only(CanvasOp::Kind::Caption).size(), std::size_t{1});
        QVERIFY(!canvas.only(CanvasOp::Kind::Line).empty());
    }
};

QTEST_MAIN(TestGraph)
#include "tst_graph.moc"
