#include <QTest>
#include <vector>

#include "Boundaries.h"
#include "Emissions.h"
#include "PeakTable.h"
#include "RecordingCanvas.h"
#include "Rows.h"
#include "Units.h"

using namespace tk;
using tk::test::BoundaryOf;
using tk::test::Row;

namespace {

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

}  // namespace

class TestPeaks : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(TestPeaks)
#include "tst_peaks.moc"
