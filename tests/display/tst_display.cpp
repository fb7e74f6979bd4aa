#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Boundaries.h"
#include "BoundaryLevels.h"
#include "BoundaryMargins.h"
#include "Emissions.h"
#include "GraphDrawing.h"
#include "GraphWindow.h"
#include "ImageCanvas.h"
#include "LogFrequency.h"
#include "PeakTable.h"
#include "PointLists.h"
#include "RecordingCanvas.h"
#include "Rows.h"
#include "SpectrumGraph.h"
#include "Units.h"
#include "Waterfall.h"

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

QRgb Pixel(const ImageCanvas& canvas, int x, int y) {
    return canvas.image().pixel(x, y) & 0xffffff;
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return n;
}

// A window whose redraw draws the real graph and counts how often it was asked to.
struct Fixture {
    MeasurementModel model;
    int redraws = 0;
    std::unique_ptr<GraphWindow> window;

    Fixture() {
        model.graphOpen = true;
        window = std::make_unique<GraphWindow>(model, [this] {
            ++redraws;
            RedrawGraph(model, window->canvas());
        });
    }
};

// A sweep from 0 MHz in steps of 2 MHz (resolution 8, 500 points).
MeasurementModel Sweep() {
    MeasurementModel m;
    m.settings.centerFreq = 500.0f;
    m.settings.scanWidth = 100.0f;
    m.settings.resolution = 8;
    return m;
}

QStringList Rows(const QString& text) {
    QStringList rows = text.split(QStringLiteral("\r\n"));
    if (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();
    return rows;
}

QString Found(const std::vector<std::int16_t>& levels, double floor, const PeakOptions& options) {
    QStringList out;
    for (int i : FindPeaks(levels, floor, options)) out << QString::number(i);
    return out.join(QLatin1Char(' '));
}

// 100..200 MHz at 500 points (0.2 MHz a point), raw 0 at -107 dBm: peaks at 110, 150, 170 and 190 MHz of
// -59, -75, -43 and -43 dBm.
MeasurementModel SweepWithFourPeaks() {
    MeasurementModel m;
    m.settings.centerFreq = 150.0f;
    m.settings.scanWidth = 10.0f;
    m.settings.resolution = 8;
    m.settings.attenuation = 0.0f;
    m.traceActual.fill(0);
    m.traceActual[50] = 153;
    m.traceActual[250] = 102;
    m.traceActual[350] = 204;
    m.traceActual[450] = 204;
    return m;
}

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

class TestDisplay : public QObject {
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

    // A picture of 200 x 100 pixels for x 100..300 and y 60 down to -40: one pixel a unit, pixel column
    // x - 100, pixel row 60 - y. A trace, a grid line two pixels wide, a wide boundary, wide and thin dashed
    // lines and two cursors in not-xor mode, each at the pixels worked out from that; the lines after the
    // boundary share its colour and change one thing at a time, so each change must reach the painter. Qt's
    // aliased dashes are 4 pen widths on and 2 off, its dots 1 on and 2 off, and a wide pen's square caps add
    // half its width at both ends of a dash (3-pixel dashes of 15 with gaps of 3, the first cut at the
    // picture's edge); not-xor of a colour over white gives the colour, light red over itself white, light
    // green over light red blue.
    void drawnPictureInPixels() {
        ImageCanvas canvas(QSize(200, 100));
        canvas.setScale(100, 60, 300, -40);
        canvas.setPenColour(COLOUR_GREEN);
        // The trace in two parts: a polyline of two points is one segment.
        const std::vector<QPointF> fall{{100, 60}, {150, 10}}, flat{{150, 10}, {175, 10}, {200, 10}};
        canvas.polyline(fall);
        canvas.polyline(flat);
        canvas.setLineWidth(2);
        canvas.line(130, 60, 130, -40, COLOUR_GREY);
        canvas.setPenColour(COLOUR_LIGHT_RED);
        canvas.setLineWidth(3);
        canvas.line(100, 20, 300, 20);
        canvas.setLineStyle(LineStyle::Dashed);
        canvas.line(100, -20, 300, -20);
        canvas.setLineWidth(1);
        canvas.line(100, -30, 300, -30);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.line(250, 60, 250, -40);
        canvas.setLineStyle(LineStyle::Dotted);
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QCOMPARE(canvas.penColour(), COLOUR_LIGHT_RED);
        const char* const expected[] = {
            "0,0 008000",   "28,10 ffffff", "29,10 808080",  "30,10 808080", "31,10 ffffff",  "25,25 008000",
            "50,50 008000", "99,50 008000", "101,50 ffffff", "25,30 ffffff", "20,38 ffffff",  "20,39 ff0000",
            "20,41 ff0000", "20,42 ffffff", "5,78 ffffff",   "13,79 ff0000", "13,81 ff0000",  "5,82 ffffff",
            "14,80 ffffff", "16,80 ffffff", "17,80 ff0000",  "3,89 ffffff",  "3,90 ff0000",   "4,90 ffffff",
            "5,90 ffffff",  "6,90 ff0000",  "150,3 ff0000",  "150,4 ffffff", "150,39 ffffff", "150,40 ff0000",
            "160,0 00ff00", "160,1 ffffff", "160,3 00ff00",  "160,39 0000ff"};
        for (const QString e : expected) {
            const QString at = e.section(u' ', 0, 0);
            const QRgb pixel = Pixel(canvas, at.section(u',', 0, 0).toInt(), at.section(u',', 1).toInt());
            QCOMPARE(at + QStringLiteral(" %1").arg(pixel, 6, 16, QLatin1Char('0')), e);
        }
        // Drawn once more the cursor is gone, and a third time it is back; a copy of the picture taken in
        // between, as the clipboard takes one, does not change.
        const QImage shown = canvas.image();
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QVERIFY(canvas.image() != shown);
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QCOMPARE(canvas.image(), shown);
    }

    // A font set while a text is being painted applies to the next text.
    void fontReachesTheOpenPainter() {
        ImageCanvas canvas(QSize(200, 100));
        QFont font = QApplication::font();
        font.setPixelSize(10);
        canvas.setFont(font);
        canvas.text(0, 0, QStringLiteral("M"));
        font.setPixelSize(40);
        canvas.setFont(font);
        canvas.text(100, 0, QStringLiteral("M"));
        const QImage image = canvas.image();
        int small = 0, big = 0;
        for (int y = 0; y < 100; ++y) {
            small += image.copy(0, y, 100, 1) != image.copy(0, 99, 100, 1);
            big += image.copy(100, y, 100, 1) != image.copy(100, 99, 100, 1);
        }
        QVERIFY2(small > 0 && big > 2 * small, qPrintable(QStringLiteral("%1 %2").arg(small).arg(big)));
    }

    void thinLinesAreCutAtTheEdge_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<int>("pixels");
        QTest::newRow("inside") << QPointF(1, 5) << QPointF(9, 5) << 81;
        QTest::newRow("right to left") << QPointF(9, 5) << QPointF(1, 5) << 81;
        QTest::newRow("far outside") << QPointF(-1e9, 5) << QPointF(1e9, 5) << 100;
        QTest::newRow("above the image") << QPointF(0, 20) << QPointF(10, 20) << 0;
        QTest::newRow("diagonal through a corner") << QPointF(-5, 15) << QPointF(15, -5) << 100;
        QTest::newRow("one point") << QPointF(3, 3) << QPointF(3, 3) << 1;
    }
    void thinLinesAreCutAtTheEdge() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        ImageCanvas canvas(QSize(100, 100));
        canvas.setScale(0, 10, 10, 0);
        canvas.line(from.x(), from.y(), to.x(), to.y(), COLOUR_LIGHT_RED);
        QTEST(CountPixels(canvas.image(), PaletteColour(COLOUR_LIGHT_RED)), "pixels");
    }

    void showPaintResizeClose() {
        Fixture f;
        f.window->resize(451, 275);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QCOMPARE(f.redraws, 1);
        f.window->repaint();  // shows the picture, does not draw it again
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, 1);
        f.window->resize(600, 400);
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, 2);
        QCOMPARE(f.window->image().size(), QSize(600, 400));
        QVERIFY(f.window->close());
        QVERIFY(!f.model.graphOpen);
    }

    void minimisedSubWindowIsRedrawnOnlyWhenRestored() {
        QMdiArea area;
        area.resize(800, 600);
        Fixture f;  // goes first, with the window
        QMdiSubWindow* frame = area.addSubWindow(f.window.get());
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        frame->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(f.window->isMinimisedWindow());
        const int before = f.redraws;
        f.window->resize(200, 100);
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, before);
        frame->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(f.redraws > before);
    }

    void boundaryLevelAt_data() {
        QTest::addColumn<QString>("points");
        QTest::addColumn<float>("freq");
        QTest::addColumn<int>("level");
        const QString line = QStringLiteral("100:-40 200:-60");
        Row("linear between points", line, 150.0f, -50);
        Row("before the first point", line, 99.9f, 32000);
        Row("after the last point", line, 200.1f, 32000);
        Row("vertical step takes the higher, falling", "100:-40 100:-60 200:-60", 100.0f, -40);
        Row("vertical step takes the higher, rising", "50:-60 100:-60 100:-40", 100.0f, -40);
        Row("log at the geometric mean", "100:-40L 200:-60", 141.42f, -50);
        Row("log flag of the upper point does not count", "100:-40 200:-60L 300:-60", 141.42f, -48);
        Row("halves to even", "100:-41.5 200:-41.5", 150.0f, -42);
        Row("interpolated half to even", "100:-40 200:-61", 150.0f, -50);
        Row("level not a number", "100:nan 200:-60", 150.0f, 32000);
        // Out of order: the last point in use at or below F and the first at or above it, whatever lies
        // between.
        Row("out of order", "100:-40 300:0 200:-60 400:-80", 150.0f, -30);
        Row("out of order, reversed", "300:0 100:-40", 200.0f, -20);
        Row("points not in use skipped", "100:-40 0:0 -5:10 200:-60", 150.0f, -50);
        Row("level beyond 16 bits", "100:1e9 200:1e9", 150.0f, 32767);
        Row("level below 16 bits", "100:-1e30 200:-1e30", 150.0f, -32768);
        Row("point 10 not used", "100:-40 200:-60 0:0 0:0 0:0 0:0 0:0 0:0 0:0 0:0 300:-80", 250.0f, 32000);
    }
    void boundaryLevelAt() {
        QFETCH(QString, points);
        QFETCH(float, freq);
        QTEST(int(BoundaryLevelAt(BoundaryOf(points), freq)), "level");
    }

    // Outside the line's points nothing is reached, not even by a level above 32000 dBm; a level at the
    // boundary is listed (the row texts' peak).
    void notCoveredIsNeverReached() {
        MeasurementModel m = Sweep();
        m.settings.attenuation = 40000.0f;
        m.boundaryActual = m.boundaryAverage = m.boundaryPeak = BoundaryOf(QStringLiteral("100:-40 200:-60"));
        ChooseListUnit(m.limitListUnit, UNIT_DBM);
        QCOMPARE(Rows(ViolationListText(m, 120)).value(5), "->0250.000 MHz - " + QString(32, u' '));
    }

    void smallestMargins_data() {
        QTest::addColumn<QString>("checked");  // the switched-on boundaries: A actual, V average, P peak
        QTest::addColumn<QString>("line");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<QString>("margins");  // trace:reached:margin@MHz per switched-on boundary
        const QString line = QStringLiteral("100:-40 200:-60");
        // Raw 0 is -107 dBm + attenuation; the line falls from -40 dBm at 100 MHz to -60 dBm at 200 MHz, in
        // whole dBm: -60 from 198 MHz on, where the smallest margin is first met.
        const QString flat = QStringLiteral("100:-50 200:-50");
        Row("reached where the line is lowest", "A", line, 57.0f, "actual:1:-10.00@198");
        Row("at the line counts, first point wins", "A", flat, 57.0f, "actual:1:0.00@100");
        Row("0.1 dB under it", "A", flat, 56.9f, "actual:0:0.10@100");
        Row("each switched-on trace", "AV", line, 0.0f, "actual:0:47.00@198;average:0:47.00@198");
        Row("spike on the peak trace", "P", line, 0.0f, "peak:1:-4.14@120");
        Row("nothing switched on", "", line, 57.0f, "");
    }
    void smallestMargins() {
        QFETCH(QString, checked);
        QFETCH(QString, line);
        QFETCH(float, attenuation);
        MeasurementModel m = Sweep();
        m.boundaryActual = m.boundaryAverage = m.boundaryPeak = BoundaryOf(line);
        m.settings.limitActual = checked.contains(u'A');
        m.settings.limitAverage = checked.contains(u'V');
        m.settings.limitPeak = checked.contains(u'P');
        m.settings.attenuation = attenuation;
        // One point of the peak trace at 120 MHz (line -44 dBm) at raw 214, -39.86 dBm; the rest far below.
        if (checked == QStringLiteral("P")) m.tracePeak[60] = 214;
        QStringList got;
        for (const BoundaryMargin& b : SmallestBoundaryMargins(m)) {
            const char* names[] = {"actual", "average", "peak"};
            const QString where = b.marginDb
                                      ? QString::asprintf("%.2f@%g", *b.marginDb, double(b.frequencyMHz))
                                      : QStringLiteral("none");
            got << QStringLiteral("%1:%2:%3")
                       .arg(QLatin1String(names[int(b.trace)]))
                       .arg(int(b.reached))
                       .arg(where);
        }
        QTEST(got.join(u';'), "margins");
    }

    void rowTexts_data() {
        QTest::addColumn<bool>("violations");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("row");
        // Point 1 at 2 MHz: actual raw 0, average raw 255, peak raw 51 with attenuation 107 (0, 80 and 16
        // dBm).
        Row("level dBm", false, UNIT_DBM, "->0002.000 MHz - Ac: 0000.0 dBm  Av: 0080.0 dBm  Pk: 0016.0 dBm");
        // Only the average (80 dBm) and peak (16 dBm) reach their boundaries of 50 dBm and 16 dBm. The user
        // unit's filler is twelve blanks and one per letter of the trimmed name; the fillers of the other
        // units are the list windows' tests.
        Row("limit user", true, UNIT_USER,
            "->0002.000 MHz - " + QString(14, u' ') + "Av: 0090.0 mV  Pk: 0026.0 mV");
    }
    void rowTexts() {
        QFETCH(bool, violations);
        QFETCH(int, unit);
        MeasurementModel m = Sweep();
        m.settings.attenuation = 107.0f;
        m.settings.userUnitName.set(QStringLiteral("  mV"));
        m.settings.userUnitOffset = -97.0f;
        m.traceActual[1] = 0;
        m.traceAverage[1] = 255;
        m.tracePeak[1] = 51;
        m.boundaryActual = BoundaryOf(QStringLiteral("1:50 3:50"));
        m.boundaryAverage = BoundaryOf(QStringLiteral("1:50 3:50"));
        m.boundaryPeak = BoundaryOf(QStringLiteral("1:16 3:16"));
        ChooseListUnit(violations ? m.limitListUnit : m.levelWindowUnit, unit);
        const QStringList rows = Rows(violations ? ViolationListText(m, -4) : LevelWindowText(m, -4));
        QCOMPARE(rows.size(), 11);
        QTEST(rows.value(5), "row");
        QCOMPARE(rows.value(0), QString());  // index -4
        QVERIFY(rows.value(4).startsWith("   0000.000 MHz - "));
        QVERIFY(rows.value(10).startsWith("   0012.000 MHz - "));
    }

    // At 4000 points, at the bottom: the sweep's last point marked and the list ends after it, its first row
    // (m - 5) with a prefix of two blanks. The rows before point 0 are the row texts' test; the graph
    // window's tests scroll the list of 500 points.
    void scrollLimits() {
        QCOMPARE(ListScrollMaximum(1), 3994);
        MeasurementModel m = Sweep();
        m.settings.resolution = 1;
        ChooseListUnit(m.levelWindowUnit, UNIT_DBM);
        const QStringList rows = Rows(LevelWindowText(m, 3994));
        QCOMPARE(rows.size(), 6);
        QVERIFY2(rows[0].startsWith("  0998.500 MHz"), qPrintable(rows[0]));
        QVERIFY2(rows[5].startsWith("->0999.750 MHz"), qPrintable(rows[5]));
        QCOMPARE(ListCursorX(3994, 1), std::int16_t(3999));
    }

    void find_data() {
        QTest::addColumn<std::vector<std::int16_t>>("levels");
        QTest::addColumn<double>("floor");
        QTest::addColumn<double>("prominence");  // dB; 16 dB is 51 raw units
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("peaks");  // indices, highest first
        using L = std::vector<std::int16_t>;
        Row("odd plateau at its middle", L{0, 100, 100, 100, 0}, 0.0, 16.0, 3, 10, "2");
        Row("even plateau at its lower middle", L{0, 100, 100, 0}, 0.0, 16.0, 3, 10, "1");
        Row("step up is no plateau peak", L{0, 100, 100, 120, 0}, 0.0, 16.0, 1, 10, "3");
        Row("peaks at both ends", L{100, 40, 0, 0, 60}, 0.0, 16.0, 3, 10, "0 4");
        Row("plateau at the end", L{0, 0, 100, 100}, 0.0, 16.0, 1, 10, "2");
        Row("end peak too low above its side", L{0, 100, 40, 50}, 0.0, 16.0, 1, 10, "1");
        Row("rise of exactly the prominence", L{0, 51, 0}, 0.0, 16.0, 3, 10, "1");
        Row("one unit short of it", L{1, 51, 1}, 0.0, 16.0, 3, 10, "");
        Row("one deep side is not enough", L{0, 60, 20, 100, 0}, 0.0, 16.0, 1, 10, "3");
        Row("shoulder on a slope", L{0, 100, 200, 160, 170, 100, 0}, 0.0, 16.0, 1, 10, "2");
        Row("valley beyond a lower hill counts", L{0, 200, 0, 100, 30, 120, 0}, 0.0, 16.0, 1, 10, "1 5 3");
        Row("closer than the spacing", L{0, 100, 0, 120, 0}, 0.0, 16.0, 3, 10, "3");
        Row("just at the spacing", L{0, 100, 0, 120, 0}, 0.0, 16.0, 2, 10, "3 1");
        Row("equal peaks lower index first", L{0, 80, 0, 0, 80, 0}, 0.0, 16.0, 3, 10, "1 4");
        Row("plateau with ripples is one peak", L{0, 100, 90, 100, 95, 100, 0}, 0.0, 16.0, 1, 10, "1");
        Row("the count highest", L{0, 60, 0, 80, 0, 70, 0}, 0.0, 16.0, 1, 2, "3 5");
        Row("at the noise floor", L{0, 100, 0}, 100.0, 16.0, 3, 10, "");
        Row("one above the noise floor", L{0, 100, 0}, 99.0, 16.0, 3, 10, "1");
        Row("flat trace", L{5, 5, 5}, 0.0, 0.0, 1, 10, "");
    }
    void find() {
        QFETCH(std::vector<std::int16_t>, levels);
        QFETCH(double, floor);
        QFETCH(double, prominence);
        QFETCH(int, spacing);
        QFETCH(int, count);
        QTEST(Found(levels, floor, PeakOptions{count, prominence, spacing}), "peaks");
    }

    // Only the points the interface sends count: 4000 / resolution of them.
    void sweepPoints_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("last");
        QTest::newRow("resolution 1") << 1 << 3999;
        QTest::newRow("resolution 8") << 8 << 499;
    }
    void sweepPoints() {
        QFETCH(int, resolution);
        QFETCH(int, last);
        MeasurementModel m;
        m.settings.resolution = static_cast<std::int16_t>(resolution);
        m.traceAverage.fill(0);
        m.traceAverage[static_cast<std::size_t>(last)] = 100;
        m.traceAverage[static_cast<std::size_t>(last) + 1] = 200;
        const std::vector<PeakRow> rows = PeakTable(m, BoundaryTrace::Average, {});
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(rows[0].index, last);
    }

    void table_data() {
        QTest::addColumn<QString>("boundary");  // its points, none for off
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("rows");
        const char* linearLine = "120:-66 200:-34";
        const QString linear = QStringLiteral(
            "1;170.000;-43.0;-46.0;-3.0;*|2;190.000;-43.0;-38.0;5.0;|3;150.000;-75.0;-54.0;21.0;"
            "|4;110.000;-59.0;;;");
        Row("linear, dBm", linearLine, UNIT_DBM, linear);
        Row("linear, user unit 100 below dBuV", linearLine, UNIT_USER,
            "1;170.000;-36.0;-39.0;-3.0;*|2;190.000;-36.0;-31.0;5.0;|3;150.000;-68.0;-47.0;21.0;"
            "|4;110.000;-52.0;;;");
        Row("log segment", "120:-66L 200:-34", UNIT_DBM,
            "1;170.000;-43.0;-44.0;-1.0;*|2;190.000;-43.0;-37.0;6.0;|3;150.000;-75.0;-52.0;23.0;"
            "|4;110.000;-59.0;;;");
        Row("vertical step, equal margins keep the level order", "120:-66 170:-66 170:-40 200:-40", UNIT_DBM,
            "1;170.000;-43.0;-40.0;3.0;|2;190.000;-43.0;-40.0;3.0;|3;150.000;-75.0;-66.0;9.0;"
            "|4;110.000;-59.0;;;");
        Row("uncovered peaks after the covered, highest first", "165:-66 175:-66", UNIT_DBM,
            "1;170.000;-43.0;-66.0;-23.0;*|2;190.000;-43.0;;;|3;110.000;-59.0;;;|4;150.000;-75.0;;;");
        Row("boundary off: highest first", "", UNIT_DBM,
            "1;170.000;-43.0;;;|2;190.000;-43.0;;;|3;110.000;-59.0;;;|4;150.000;-75.0;;;");
    }
    void table() {
        QFETCH(QString, boundary);
        QFETCH(int, unit);
        MeasurementModel m = SweepWithFourPeaks();
        m.settings.levelUnit = static_cast<std::int16_t>(unit);
        m.settings.userUnitOffset = -100.0f;
        m.settings.limitActual = !boundary.isEmpty();
        m.boundaryActual = BoundaryOf(boundary);
        QStringList shown;
        for (const PeakRow& r : PeakTable(m, BoundaryTrace::Actual, {})) shown << PeakRowFields(r).join(u';');
        QTEST(shown.join(u'|'), "rows");
    }

    void text() {
        MeasurementModel m = SweepWithFourPeaks();
        m.settings.levelUnit = UNIT_USER;
        m.settings.userUnitName.set(QStringLiteral("dB,x"));
        m.settings.userUnitOffset = 0.0f;
        std::vector<PeakRow> rows = PeakTable(m, BoundaryTrace::Actual, {});
        rows.resize(1);
        QCOMPARE(PeakTableText(m.settings, rows, u'\t'),
                 QStringLiteral("No\tFrequency (MHz)\tLevel (dB,x)\tBoundary (dB,x)\tMargin (dB)\tReached\n"
                                "1\t170.000\t64.0\t\t\t\n"));
        QCOMPARE(
            PeakTableText(m.settings, rows, u','),
            QStringLiteral("No,Frequency (MHz),\"Level (dB,x)\",\"Boundary (dB,x)\",Margin (dB),Reached\n"
                           "1,170.000,64.0,,,\n"));
    }

    void markers() {
        MeasurementModel m = SweepWithFourPeaks();
        m.graphLevelMax = 510;  // d = 2
        RecordingCanvas canvas;
        canvas.setPenColour(COLOUR_MAGENTA);
        canvas.log.clear();
        DrawPeakMarkers(m, canvas, BoundaryTrace::Actual,
                        PeakTable(m, BoundaryTrace::Actual, {PEAK_COUNT_MIN}));
        QCOMPARE(canvas.log, QStringList({"colour 2", "line 2800,210-2800,222 c2 w1",
                                          "text 2775,248 c2 \"1\"", "colour 5"}));
        // Numbers that would overlap stand one above the other, also across traces drawn in turn.
        PeakLabels labels;
        canvas.log.clear();
        const auto at = [](int number, int index) {
            PeakRow row;
            row.number = number;
            row.index = index;
            return row;
        };
        DrawPeakMarkers(m, canvas, BoundaryTrace::Actual, {at(1, 350), at(2, 352), at(3, 500)}, &labels);
        DrawPeakMarkers(m, canvas, BoundaryTrace::Peak, {at(10, 351)}, &labels);
        canvas.log = canvas.log.filter(QStringLiteral("text"));
        QCOMPARE(canvas.log.size(), 4);
        QCOMPARE(labels.taken.size(), std::size_t{4});
        for (std::size_t i = 0; i < labels.taken.size(); ++i)
            for (std::size_t k = 0; k < i; ++k) QVERIFY(!labels.taken[i].intersects(labels.taken[k]));
        // The one far off keeps its place.
        QCOMPARE(labels.taken[2].y(),
                 std::clamp<double>(m.traceActual[500], m.graphLevelMin, m.graphLevelMax) + 44.0);
    }
    // Capture by emission: a new one captures, a steady one once; one that clears and comes back captures
    // again only after the hold-off since its last capture; a drift within the tolerance stays the same
    // emission; another trace's emission at the same frequency is another emission.
    void emissionTracker() {
        const struct {
            double time;
            BoundaryTrace trace;
            std::vector<float> violating;  // MHz
            const char* captured;
        } reads[] = {
            {0, BoundaryTrace::Actual, {3.9f, 16.1f}, "3.9 16.1"},
            {10, BoundaryTrace::Actual, {3.9f, 16.1f}, ""},           // steady
            {20, BoundaryTrace::Actual, {3.92f}, ""},                 // the burst cleared; a drift
            {30, BoundaryTrace::Actual, {3.9f, 16.1f}, ""},           // back within the hold-off
            {40, BoundaryTrace::Actual, {3.9f}, ""},                  // cleared again
            {70, BoundaryTrace::Actual, {3.9f, 16.12f}, "16.12"},     // back after it
            {70, BoundaryTrace::Peak, {3.9f}, "3.9"},                 // another trace
            {80, BoundaryTrace::Actual, {3.9f, 16.1f, 25.0f}, "25"},  // a new one
        };
        EmissionTracker tracker;
        for (const auto& read : reads) {
            std::vector<PeakRow> rows;
            for (float f : read.violating) {
                PeakRow row;
                row.frequencyMHz = f;
                rows.push_back(row);
            }
            QStringList captured;
            for (const PeakRow& r : tracker.Update(read.trace, rows, read.time, 60.0, 0.3))
                captured << QString::number(double(r.frequencyMHz));
            QCOMPARE(captured.join(u' '), QString::fromLatin1(read.captured));
        }
    }

    // The capture's picture marks the emission, draws its trace on top and names it.
    void captureAnnotation() {
        MeasurementModel m = SweepWithFourPeaks();
        m.graphLevelMax = 510;  // d = 2
        m.boundaryActual = BoundaryOf("100:-50 200:-50");
        m.settings.limitActual = true;
        const std::vector<PeakRow> emissions = ViolatingEmissions(m, BoundaryTrace::Actual);
        QCOMPARE(emissions.size(), std::size_t{2});  // 170 and 190 MHz, -43 dBm against -50
        RecordingCanvas canvas;
        DrawCaptureAnnotation(m, canvas, BoundaryTrace::Actual, emissions[0], QStringLiteral("10:15:02"));
        QVERIFY(canvas.log.contains(QStringLiteral("line 2800,0-2800,510 c2 w1 dashed")));
        QVERIFY(canvas.log.filter(QStringLiteral(" c2 w1")).size() >= 499);  // the trace again, on top
        QCOMPARE(canvas.log.filter(QStringLiteral("text")),
                 QStringList({"text 40,502 c2 \"10:15:02  Actual  170.000 MHz\"",
                              "text 40,478 c2 \"-43.0 dBm  boundary -50.0 dBm  margin -7.0 dB\""}));
    }
    // The readout under the mouse: the nearest point's frequency and each shown trace's level there, with
    // boundary and margin where it is checked; nothing off the plot.
    void readout() {
        MeasurementModel m = SweepWithFourPeaks();
        m.settings.showPeak = false;
        m.boundaryActual = BoundaryOf("100:-50 200:-50");
        m.settings.limitActual = true;
        QCOMPARE(GraphReadout(m, 2798.0),
                 QStringLiteral("170.000 MHz\nActual -43.0 dBm (boundary -50.0, margin -7.0 dB)\n"
                                "Average -107.0 dBm"));
        QCOMPARE(GraphReadout(m, -1.0), QString());
        QCOMPARE(GraphReadout(m, 4001.0), QString());
    }

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

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
