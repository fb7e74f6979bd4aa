#include <QRegularExpression>
#include <QTest>
#include <array>
#include <memory>

#include "Boundaries.h"
#include "LogFrequency.h"
#include "PeakTable.h"
#include "RecordingCanvas.h"
#include "Rows.h"
#include "SpectrumGraph.h"

using namespace tk;
using tk::test::BoundaryOf;
using tk::test::Row;

namespace {

// An open graph that shows nothing yet: every test switches on what it looks at.
std::unique_ptr<MeasurementModel> Model() {
    auto model = std::make_unique<MeasurementModel>();
    model->graphOpen = true;
    model->settings.showActual = model->settings.showAverage = model->settings.showPeak = false;
    return model;
}

// Settings from "name value" pairs: centre, width, atten, unit; "closed 1" closes the graph.
void Apply(MeasurementModel& model, const QString& setup) {
    MeasurementSettings& s = model.settings;
    const QStringList kv = setup.split(' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < kv.size(); i += 2) {
        const float v = kv[i + 1].toFloat();
        if (kv[i] == "centre") s.centerFreq = v;
        if (kv[i] == "width") s.scanWidth = v;
        if (kv[i] == "atten") s.attenuation = v;
        if (kv[i] == "unit") s.levelUnit = static_cast<std::int16_t>(v);
        if (kv[i] == "closed") model.graphOpen = false;
    }
}

// The lines drawn in one colour, as "x1,y1-x2,y2", with "/wN" when wider than 1.
QStringList Lines(const RecordingCanvas& canvas, int colour) {
    QStringList out;
    for (const QString& e : canvas.log)
        if (e.startsWith("line ") && e.section(' ', 2, 2) == 'c' + QString::number(colour))
            out << e.section(' ', 1, 1) +
                       (e.section(' ', 3, 3) == "w1" ? QString() : '/' + e.section(' ', 3, 3));
    return out;
}

QStringList Texts(const RecordingCanvas& canvas) {
    QStringList out;
    for (const QString& e : canvas.log)
        if (e.startsWith("text ")) out << e.section('"', 1, 1);
    return out;
}

}  // namespace

class TestGraph : public QObject {
    Q_OBJECT
private slots:
    // One full redraw in order: cleared and scaled, the frame and the grid with its wider centre line, the
    // actual boundary under the actual trace, each open list refreshed before its cursor is drawn (the level
    // cursor's old place was wiped, so it is not drawn again to erase it), the labels and the refresh.
    void fullRedraw() {
        auto model = Model();
        model->settings.limitActual = model->settings.showActual = true;
        model->boundaryActual = BoundaryOf("100:-40 200:-60", 1);
        model->levelWindowOpen = model->limitListOpen = true;
        model->levelCursorX = 1200;
        model->levelCursorDrawnX = 400;
        model->limitCursorX = 2800;
        RecordingCanvas canvas;
        GraphHooks hooks;
        hooks.refreshLevelWindow = [&] { canvas.log << "level window refreshed"; };
        hooks.refreshViolationList = [&] { canvas.log << "violation list refreshed"; };
        RedrawGraph(*model, canvas, hooks);

        const QStringList& log = canvas.log;
        QCOMPARE(log.mid(0, 2), (QStringList{"clear", "scale -310,255-4200,-20"}));
        QCOMPARE(log.last(), QStringLiteral("refresh"));
        QCOMPARE(Lines(canvas, COLOUR_BLACK).join(' '),
                 QStringLiteral("0,0-4000,0/w3 0,255-4000,255/w3 0,0-0,255/w3 4000,0-4000,255/w3"));
        QStringList grid;
        for (int y = 32; y < 255; y += 32) grid << QStringLiteral("0,%1-4000,%1").arg(y);
        for (int x = 0; x <= 4000; x += 400)
            grid << QStringLiteral("%1,0-%1,255").arg(x) + (x == 2000 ? "/w2" : "");
        QCOMPARE(Lines(canvas, COLOUR_GREY), grid);
        QCOMPARE(Lines(canvas, COLOUR_GREEN).mid(0, 2), (QStringList{"400,214-800,150", "0,0-8,0"}));
        QCOMPARE(log.filter(QRegularExpression("refreshed$|^line .* notxor$")),
                 (QStringList{"level window refreshed", "line 1200,0-1200,255 c12 w1 dotted notxor",
                              "violation list refreshed", "line 2800,0-2800,255 c10 w1 dotted notxor"}));
        // Magenta labels: a level beside each grid line and the unit at the top, the frequencies and "MHz"
        // below; the values are the labels test's, here their places.
        const QStringList labels = log.filter("text ");
        QCOMPARE(labels.size(), 8 + 1 + 11 + 1);
        QCOMPARE((QStringList{labels[0], labels[7], labels[8], labels[9], labels[19], labels[20]}),
                 (QStringList{R"(text -300,6 c5 "-107.0")", R"(text -300,230 c5 "-37.0")",
                              R"(text -300,254 c5 "dBm")", R"(text -70,-3 c5 "0.00")",
                              R"(text 3930,-3 c5 "1000.00")", R"(text 3930,-12 c5 "MHz")"}));
    }

    void levelRange_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QString>("curve");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("levels");  // the frame's bottom and top, then the grid lines
        const QString flat = "scale -310,255-4200,-20";
        const QString grid = "0 255 32 64 96 128 160 192 224";
        Row("300 raises the top", 8, "actual", 10, 300, "scale -310,300-4200,-23.5294",
            "0 300 32 64 96 128 160 192 224 256 288");
        Row("negative lowers the bottom", 8, "peak", 499, -70, "scale -310,255-4200,-95.4902",
            "-70 255 32 64 96 128 160 192 224 -32 -64");
        Row("comparison shown", 8, "comparison", 10, 260, "scale -310,260-4200,-20.3922",
            "0 260 32 64 96 128 160 192 224 256");
        Row("comparison hidden", 8, "hidden comparison", 10, -280, flat, grid);
        Row("index N+1 not looked at", 8, "actual", 500, 300, flat, grid);
        Row("resolution 1, index N", 1, "average", 3999, 258, "scale -310,258-4200,-20.2353",
            "0 258 32 64 96 128 160 192 224 256");
    }
    void levelRange() {
        QFETCH(int, resolution);
        QFETCH(QString, curve);
        QFETCH(int, index);
        QFETCH(int, value);
        auto model = Model();
        model->settings.resolution = static_cast<std::int16_t>(resolution);
        // The measured traces are shown and flat, so that only the curve under test can widen the range.
        model->settings.showActual = model->settings.showAverage = model->settings.showPeak = true;
        model->showComparison = curve == "comparison";
        TraceArray* traces[] = {&model->traceActual, &model->traceAverage, &model->tracePeak,
                                &model->traceComparison};
        const int k = QStringList{"actual", "average", "peak", "comparison"}.indexOf(curve.section(' ', -1));
        (*traces[k])[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(value);
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QTEST(canvas.log.filter("scale ").join('|'), "scale");
        QStringList ys;
        static const QRegularExpression horizontal(R"(^line 0,(-?\d+)-4000,\1 c[08] )");
        for (const QString& e : canvas.log)
            if (const auto m = horizontal.match(e); m.hasMatch()) ys << m.captured(1);
        QTEST(ys.join(' '), "levels");
    }

    void trace_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<float>("suppression");
        QTest::addColumn<int>("bottom");  // a value in another shown trace, to move the bottom of the plot
        QTest::addColumn<int>("value");   // at index 0; index 1 holds 200, index N 77
        QTest::addColumn<QString>("expected");  // N, the first segment, the last
        Row("resolution 8", 8, 0.0f, 0, 10, "499 0,10-8,200 3984,0-3992,77");
        Row("resolution 1", 1, 0.0f, 0, 10, "3999 0,10-1,200 3998,0-3999,77");
        // 3.2 dB is 10.2 raw units, floor 10; 3.1 dB is 9.88, floor 9 (rounded it would be 10).
        Row("noise floor, at", 8, 3.2f, 0, 10, "499 0,0-8,200 3984,0-3992,77");
        Row("floor rounded down", 8, 3.1f, 0, 10, "499 0,10-8,200 3984,0-3992,77");
        Row("floor from a bottom below 0, at", 8, 3.2f, -20, -10, "499 0,-20-8,200 3984,0-3992,77");
        Row("floor from a bottom below 0, above", 8, 3.2f, -20, -9, "499 0,-9-8,200 3984,0-3992,77");
    }
    void trace() {
        QFETCH(int, resolution);
        QFETCH(float, suppression);
        QFETCH(int, bottom);
        QFETCH(int, value);
        QFETCH(QString, expected);
        auto model = Model();
        model->settings.resolution = static_cast<std::int16_t>(resolution);
        model->settings.noiseSuppression = suppression;
        model->settings.showActual = model->settings.showPeak = true;
        model->tracePeak[100] = static_cast<std::int16_t>(bottom);
        TraceArray& t = model->traceActual;
        t[0] = static_cast<std::int16_t>(value);
        t[1] = 200;
        const auto last = expected.section(' ', 0, 0).toULong();
        t[last] = 77;
        t[last + 1] = 99;  // beyond the sweep, never drawn
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const QStringList lines = Lines(canvas, COLOUR_GREEN);
        QCOMPARE(QString::number(lines.size()) + ' ' + lines.value(0) + ' ' + lines.value(lines.size() - 1),
                 expected);
    }

    void boundaries_data() {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("points");
        QTest::addColumn<QString>("expected");  // the lines; a trailing "..." compares only the first ones
        Row("actual, whole stays", "actual", "", "100:-97 200:-87", "400,32-800,64");
        Row("x rounded down", "peak", "", "100.2:-60 299.9:-60", "400,150.4-1199,150.4");
        Row("attenuation", "peak", "atten 10", "100:-40 200:-40", "400,182.4-800,182.4");
        Row("above the top", "peak", "", "100:10 200:-28", "400,255-800,252.8");
        Row("below the bottom", "peak", "", "100:-150 200:-107", "400,0-800,0");
        Row("beyond the sweep", "peak", "", "100:-60 2000:-60", "400,150.4-4000,150.4");
        Row("points after a gap", "peak", "", "100:-60 200:-60 0:-60 400:-60 500:-60",
            "400,150.4-800,150.4 1600,150.4-2000,150.4");
        Row("width 0, inside", "average", "width 0", "499.75:-60 500.25:-60", "1000,150.4-3000,150.4");
        Row("log, actual unrounded", "actual", "", "100:-40L 104:-60", "400,214.4-416,150.4");
        // 105 and 110 MHz lie 41.4 % and 80.9 % of the way from 100 to 112.5 MHz in log10.
        Row("log in steps of 20", "peak", "", "100:-40L 112.5:-60",
            "400,214.4-420,187.889 420,187.889-440,162.611 440,162.611-450,150.4");
        // Cut off where the sweep starts, 200 MHz, with the level the line has there: half way.
        Row("log from before the sweep", "peak", "centre 700", "100:-40L 400:-60", "0,182.4-20,181.26 ...");
    }
    void boundaries() {
        QFETCH(QString, limit);
        QFETCH(QString, setup);
        QFETCH(QString, points);
        QFETCH(QString, expected);
        auto model = Model();
        Apply(*model, setup);
        const int k = QStringList{"actual", "average", "peak"}.indexOf(limit);
        BoundaryLine* lines[] = {&model->boundaryActual, &model->boundaryAverage, &model->boundaryPeak};
        VbBool* on[] = {&model->settings.limitActual, &model->settings.limitAverage,
                        &model->settings.limitPeak};
        *lines[k] = BoundaryOf(points, 1);
        *on[k] = true;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QStringList drawn = Lines(canvas, std::array{COLOUR_GREEN, COLOUR_LIGHT_BLUE, COLOUR_LIGHT_RED}[k]);
        if (expected.endsWith(" ...")) {
            expected.chop(4);
            drawn = drawn.mid(0, expected.count(' ') + 1);
        }
        QCOMPARE(drawn.join(' '), expected);
    }

    void labels_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("expected");  // levels 0 and 224, the unit, frequencies 0, 2 and 10
        Row("user unit, trimmed", "unit 3 atten 5", "-95.0|-25.0|mV/m|0.00|200.00|1000.00");
        Row("user unit, graph closed", "unit 3 closed 1", "");
        Row("dBpW", "unit 0", "-17.0| 53.0|dBpW|0.00|200.00|1000.00");
        Row("dBuV, padded to five", "unit 2", "  0.0| 70.0|dBuV|0.00|200.00|1000.00");
        Row("wide value stays whole", "unit 2 atten 12345", "12345.0|12415.0|dBuV|0.00|200.00|1000.00");
        Row("below zero", "centre 10 width 5", "-107.0|-37.0|dBm|-15.00|-5.00|35.00");
    }
    void labels() {
        QFETCH(QString, setup);
        auto model = Model();
        model->settings.userUnitName.set("   mV/m ");
        model->settings.userUnitOffset = -100.0f;
        Apply(*model, setup);
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        const QStringList t = Texts(canvas);
        QTEST(t.isEmpty() ? QString() : QStringList({t[0], t[7], t[8], t[9], t[11], t[19]}).join('|'),
              "expected");
        // The user unit's name is stored as shown, whether the graph is open or not; the others leave it.
        const QString name = setup.contains("unit 3") ? "mV/m" : "   mV/m ";
        QCOMPARE(model->settings.userUnitName.text(), name.leftJustified(30));
    }

    // A top that falls on a grid line gets its level label: 256 raw is 80 dB above -107 dBm.
    void topmostLevelLabel() {
        auto model = Model();
        model->settings.showActual = true;
        model->traceActual[7] = 256;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        QCOMPARE(Texts(canvas).filter(QRegularExpression("^-?\\d+\\.0$")).last(), QStringLiteral("-27.0"));
    }

    void whatARedrawDraws_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("port");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("first");  // the first entry, empty when nothing is drawn
        const QString caption = "caption \"Ac: 10:15:02  Av: --:--:--  Pk: 10:14:30  E:";
        Row("caption, zero errors", true, false, true, 0, caption + "  0\"");
        Row("caption, negative, no blank", true, false, true, -3, caption + " -3\"");
        Row("port closed, no caption", true, false, false, 0, "clear");
        Row("minimised, caption only", true, true, true, 5, caption + "  5\"");
        Row("graph closed, nothing", false, false, true, 0, "");
    }
    void whatARedrawDraws() {
        QFETCH(bool, open);
        QFETCH(bool, minimised);
        QFETCH(bool, port);
        QFETCH(int, errors);
        auto model = Model();
        model->graphOpen = open;
        model->timeActual.set("10:15:02");
        model->timePeak.set("10:14:30");
        model->invalidTransferCount = static_cast<std::int16_t>(errors);
        model->settings.showActual = model->levelWindowOpen = true;
        model->traceActual[3] = 400;
        RecordingCanvas canvas;
        canvas.minimised = minimised;
        bool listRefreshed = false;
        GraphHooks hooks;
        hooks.portOpen = [=] { return port; };
        hooks.refreshLevelWindow = [&] { listRefreshed = true; };
        RedrawGraph(*model, canvas, hooks);
        const bool drawn = open && !minimised;
        QTEST(canvas.log.value(0), "first");
        QCOMPARE(canvas.log.size() > 1, drawn);
        QCOMPARE(listRefreshed, drawn);
        QCOMPARE(int(model->graphLevelMax), open ? 400 : 255);  // kept up to date for the other windows
    }

    // The level cursor moves: its old line is drawn once more, which erases it, then the new one, each over
    // the whole plot (here -32..255); the caller's pen is left as it was. The violation list's cursor, and a
    // list closed, are the list windows' tests.
    void cursor() {
        auto model = Model();
        model->settings.showPeak = true;
        model->tracePeak[0] = -32;
        model->levelWindowOpen = true;
        model->levelCursorX = 800;
        RecordingCanvas canvas;
        RedrawGraph(*model, canvas);
        canvas.setPenColour(COLOUR_MAGENTA);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.log.clear();
        model->levelCursorX = 1600;
        DrawLevelCursor(*model, canvas);
        QCOMPARE(canvas.log.filter("line "), (QStringList{"line 800,-32-800,255 c12 w1 dotted notxor",
                                                          "line 1600,-32-1600,255 c12 w1 dotted notxor"}));
        QCOMPARE(canvas.penColour(), COLOUR_MAGENTA);
        QCOMPARE(canvas.drawMode(), DrawMode::NotXor);
        QCOMPARE(canvas.log.filter("style ").last(), QStringLiteral("style solid"));
    }

    // The logarithmic view: frequencies to known places, and back.
    void logarithmicAxis_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<double>("plotX");
        QTest::addColumn<double>("viewX");
        Row("band start", "centre 25 width 5", 0.15, 30.0, 0.15, 12.0, 0.0);
        Row("band stop", "centre 25 width 5", 0.15, 30.0, 30.0, 2400.0, 4000.0);
        Row("zero scan", "centre 100 width 0", 99.6, 100.4, 100.0, 2000.0, 2004.0);
    }
    void logarithmicAxis() {
        QFETCH(QString, setup);
        QFETCH(double, frequency);
        auto model = Model();
        Apply(*model, setup);
        QFETCH(double, start);
        QFETCH(double, stop);
        const LogFrequencyAxis axis(model->settings, start, stop);
        QFETCH(double, plotX);
        QFETCH(double, viewX);
        QVERIFY(qAbs(axis.PlotXOf(frequency) - plotX) < 1e-3);
        QVERIFY(qAbs(*axis.ViewX(plotX) - viewX) < 1e-3);
        QVERIFY(qAbs(axis.PlotXOfView(viewX) - plotX) < 1e-3);
        QVERIFY(!axis.ViewX(axis.PlotXOf(start * 0.99)) && !axis.ViewX(axis.PlotXOf(stop * 1.01)));
    }

    // Drawn in the view, a sweep from -15 to 35 MHz keeps to 0.15..30 MHz: nothing at or below 0 Hz, the
    // spike at 1.5 MHz a decade from the start, the grid and labels the view's; the readout and the peak
    // markers follow. Switched off, or with a stop below the start, the graph is linear.
    void logarithmicView() {
        auto model = Model();
        Apply(*model, "centre 10 width 5");
        model->settings.showActual = true;
        model->traceActual.fill(100);
        model->traceActual[165] = 200;  // 1.5 MHz
        model->traceActual[10] = 300;   // -14 MHz: not in the view, but it widens the level range
        model->boundaryActual = BoundaryOf("0.001:-60 1.5:-60 40:-80", 1);
        model->settings.limitActual = true;
        const double spikeX = 1738.352;
        for (const FrequencyView view :
             {FrequencyView{true, 0.15f, 30.0f}, FrequencyView{false, 0.15f, 30.0f},
              FrequencyView{true, 30.0f, 0.15f}}) {
            model->frequencyView = view;
            const bool log = view.logarithmic && view.stopMHz > view.startMHz;
            RecordingCanvas canvas;
            RedrawGraph(*model, canvas);
            const QStringList green = Lines(canvas, COLOUR_GREEN);
            bool spike = false;
            int slopePieces = 0;
            for (const QString& l : green) {
                const QStringList xy = l.section('/', 0, 0).split(QRegularExpression("[,-](?=\\d|-)"));
                const double x1 = xy[0].toDouble(), x2 = xy[2].toDouble();
                if (log) QVERIFY2(x1 >= 0.0 && x2 >= 0.0 && x1 <= 4000.0 && x2 <= 4000.0, qPrintable(l));
                spike |= qAbs(x2 - (log ? spikeX : 1320.0)) < 0.01 && xy[3] == "200";
                slopePieces += x1 > spikeX + 1.0 && xy[1] != "100";
            }
            QVERIFY(spike);
            // The boundary's slope from 1.5 to 40 MHz, straight in frequency, is drawn in pieces that follow
            // it.
            QVERIFY(!log || slopePieces > 100);
            const QStringList texts = Texts(canvas);
            QCOMPARE(texts.contains("0.15") && texts.contains("1") && texts.contains("30"), log);
            QCOMPARE(texts.contains("-15.00"), !log);
            // The unit stands where the linear graph has it.
            QCOMPARE(canvas.log.filter("\"MHz\""), QStringList{"text 3930,-14.1176 c5 \"MHz\""});
            // The decades 1 and 10 MHz are the view's wide grid lines, the centre the linear graph's.
            QCOMPARE(Lines(canvas, COLOUR_GREY).filter("/w2").size(), log ? 2 : 1);
            QVERIFY(GraphReadout(*model, log ? spikeX : 1320.0).startsWith("1.500 MHz\nActual"));
            RecordingCanvas markers;
            PeakRow row;
            row.index = 165;
            DrawPeakMarkers(*model, markers, BoundaryTrace::Actual, {row});
            QCOMPARE(markers.log.filter("line ").value(0).section(',', 0, 0).mid(5).toDouble(),
                     log ? 1738.35 : 1320.0);
        }
        // Off the view there is nothing to read.
        model->frequencyView = {true, 0.15f, 30.0f};
        QCOMPARE(GraphReadout(*model, -1.0), QString());
        QCOMPARE(GraphReadout(*model, 4001.0), QString());
    }

    // Erasing without a graph window opens the graph and keeps the level range up to date.
    void eraseWithoutWindow() {
        auto model = Model();
        model->graphOpen = false;
        model->settings.showActual = true;
        model->traceActual.fill(300);
        model->traceComparison.fill(7);
        model->invalidTransferCount = 5;
        SpectrumGraph graph(*model);
        graph.EraseTraces();
        QVERIFY(model->graphOpen);
        QCOMPARE(model->traceActual[4000], std::int16_t{0});
        QCOMPARE(model->traceComparison[0], std::int16_t{7});
        QCOMPARE(model->invalidTransferCount, std::int16_t{0});
        QCOMPARE(int(model->graphLevelMax), 255);
    }
};

QTEST_MAIN(TestGraph)
#include "tst_graph.moc"
