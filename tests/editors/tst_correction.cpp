// The calibration curve's rules (interpolation, sort, list lines, entries, removal and the added curve), and
// the correction command against the in-process emulated interface in simulated time, with its division and
// deviation rules.
#include <QtTest>
#include <cmath>

#include "Calibration.h"
#include "CalibrationEditor.h"
#include "Correction.h"
#include "CurvePoints.h"
#include "EmulatorLinkRig.h"
#include "FileBytes.h"
#include "Rows.h"
#include "SampleFiles.h"
#include "ScriptedDialogs.h"
#include "TraceReader.h"

using namespace tk;
using namespace tk::test;

namespace {

const Points TWO{{100.0f, 2.0f}, {200.0f, 4.0f}};

constexpr double LOSS_DB = 10.0;
constexpr int POINTS = 500;  // resolution 8

struct Switches {
    bool autoMeasurement, fastMode, showActual, showPeak, showAverage;
    static Switches Of(const MeasurementModel& m) {
        return {m.autoMeasurement, m.fastMode, m.settings.showActual, m.settings.showPeak,
                m.settings.showAverage};
    }
    void Set(MeasurementModel& m) const {
        m.autoMeasurement = autoMeasurement;
        m.fastMode = fastMode;
        m.settings.showActual = showActual;
        m.settings.showPeak = showPeak;
        m.settings.showAverage = showAverage;
    }
    bool operator==(const Switches&) const = default;
};

// The link on the emulated interface at 115200 baud and 500 points, with a settled comparison curve
// taken from the average trace without loss; the loss is put in afterwards.
struct Rig : EmulatorLinkRig {
    explicit Rig(QStringList args = {}) : EmulatorLinkRig(args << QStringLiteral("--emu-scene=steady")) {
        model.settings.baudIndex = 5;
        model.settings.resolution = 8;
        model.settings.centerFreq = 600.0f;  // the sweep starts at 100 MHz
        link.ConnectInterface();
        clock.advance(3.0);
        reader.ReadAverageTrace();
        CopySweep(model.traceAverage, model.traceComparison, model.settings.resolution);
        model.showComparison = true;
        port.setLossDb(LOSS_DB);
    }

    // Mean absolute difference in dB between a freshly read average trace and the comparison curve.
    double Difference(double settle = 3.0) {
        clock.advance(settle);
        reader.ReadAverageTrace();
        double sum = 0.0;
        for (int i = 0; i < POINTS; ++i) sum += std::abs(model.traceAverage[i] - model.traceComparison[i]);
        return sum / POINTS * 80.0 / 255.0;
    }

    // The command, answering `answer` when it asks by how much to scale.
    void Correct(const std::optional<QString>& answer = QStringLiteral("100")) {
        dialogs.inputAnswers.enqueue(answer);
        RunCorrection(link, reader);
    }

    TraceReader reader{link};
};

const Switches ODD_SWITCHES{true, true, false, true, false};

// A curve from before the command.
const Points BEFORE{{123.0f, 45.0f}, {900.0f, -3.0f}};

}  // namespace

class TestCorrection : public QObject {
    Q_OBJECT
private slots:
    void interpolate_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<float>("f");
        QTest::addColumn<float>("expected");
        QTest::newRow("between points") << TWO << 150.0f << 3.0f;
        QTest::newRow("on a point") << TWO << 100.0f << 2.0f;
        QTest::newRow("on the last point") << TWO << 200.0f << 4.0f;
        QTest::newRow("before the first: from 0 MHz, 0 dB") << TWO << 50.0f << 1.0f;
        QTest::newRow("after the last") << TWO << 250.0f << 0.0f;
        QTest::newRow("negative frequency") << TWO << -1.0f << 0.0f;
        QTest::newRow("one point, below it") << Points{{400.0f, -8.0f}} << 100.0f << -2.0f;
        QTest::newRow("falling slope") << Points{{0.0f, 10.0f}, {1000.0f, 0.0f}} << 250.0f << 7.5f;
    }
    void interpolate() {
        QFETCH(Points, points);
        QFETCH(float, f);
        QFETCH(float, expected);
        MeasurementModel model;
        model.calibrationCurve = CurveOf(points);
        QCOMPARE(InterpolateCurve(model.calibrationCurve, f), expected);
        QCOMPARE(CorrectionAt(model, f), expected);
        QCOMPARE(model.correctionValue, expected);
    }

    void sort_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<Points>("sorted");
        QTest::newRow("equal frequencies keep the last")
            << Points{{300.0f, 1.0f}, {100.0f, 2.0f}, {300.0f, 5.0f}}
            << Points{{100.0f, 2.0f}, {300.0f, 5.0f}};
        QTest::newRow("all at 0 MHz") << Points{{0.0f, 1.0f}, {0.0f, 2.0f}} << Points{{0.0f, 2.0f}};
        QTest::newRow("negative frequencies")
            << Points{{-5.0f, 1.0f}, {-20.0f, 2.0f}} << Points{{-20.0f, 2.0f}, {-5.0f, 1.0f}};
    }
    void sort() {
        QFETCH(Points, points);
        QFETCH(Points, sorted);
        CalibrationCurve c = CurveOf(points);
        SortCurve(c);
        QCOMPARE(PointsOf(c), sorted);
    }

    void listLines_data() {
        QTest::addColumn<float>("freq");
        QTest::addColumn<float>("offset");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("printed");
        Row("small", 100.0f, 2.0f, "0100.000 MHz\t02.0 dB", "0100.000 MHz       02.0 dB");
        Row("negative", 1999.5f, -12.25f, "1999.500 MHz\t-12.2 dB", "1999.500 MHz       -12.2 dB");
    }
    void listLines() {
        QFETCH(float, freq);
        QFETCH(float, offset);
        QFETCH(QString, line);
        QFETCH(QString, printed);
        QCOMPARE(CalibrationListLine(freq, offset), line);
        QCOMPARE(CalibrationPrintLines(CurveOf({{freq, offset}})), QStringList{printed});
    }

    // What a typed point stores (nothing unless "stored") and the fields show afterwards.
    void entry_data() {
        QTest::addColumn<int>("pointsBefore");
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Points>("stored");
        const int stored = static_cast<int>(EntryResult::Stored);
        const int nan = static_cast<int>(EntryResult::NotANumber);
        Row("blanks and exponent", 2, " 1.5e2 ", "-.5", stored, "150|-0.5", Points{{150.0f, -0.5f}});
        Row("limited", 0, "2500", "-150", stored, "2000|-100", Points{{2000.0f, -100.0f}});
        Row("limited below", 0, "-3", "150", stored, "0|100", Points{{0.0f, 100.0f}});
        Row("digits that read back", 0, "0.1", "1.23456789", stored, "0.1|1.2345679",
            Points{{0.1f, 1.2345679f}});
        Row("text", 0, "abc", "1", nan, "abc|1", Points{});
        Row("number with text behind", 0, "100", "3dB", nan, "100|3dB", Points{});
        Row("101 points take no more", 101, "5", "6", static_cast<int>(EntryResult::Full), "5|6", Points{});
    }
    void entry() {
        QFETCH(int, pointsBefore);
        QFETCH(QString, freq);
        QFETCH(QString, offset);
        QFETCH(Points, stored);
        Points before;
        for (int i = 0; i < pointsBefore; ++i) before.append({static_cast<float>(i), 1.0f});
        CalibrationCurve c = CurveOf(before);
        c.freqMHz[101] = 777.0f;  // beyond the curve: must stay untouched
        QTEST(static_cast<int>(EnterCalibrationPoint(c, freq, offset)), "result");
        QTEST(freq + u'|' + offset, "shown");
        QCOMPARE(PointsOf(c), before + stored);
        QCOMPARE(c.freqMHz[101], 777.0f);
    }

    // A point by its index: its texts for the fields, its removal; none outside the curve.
    void pointsByIndex() {
        CalibrationCurve c = CurveOf({{0.1f, -7.25f}, {2.0f, 2.0f}, {3.0f, 3.0f}});
        QCOMPARE(CalibrationPointTexts(c, 0), std::optional(std::pair{QString("0.1"), QString("-7.25")}));
        for (const int outside : {-1, 3}) {
            QVERIFY(!CalibrationPointTexts(c, outside));
            QVERIFY(!RemoveCalibrationPoint(c, outside));
        }
        QVERIFY(RemoveCalibrationPoint(c, 1));
        QCOMPARE(PointsOf(c), (Points{{0.1f, -7.25f}, {3.0f, 3.0f}}));
        QCOMPARE(CalibrationListLines(c).size(), 2);
        // Every point removed and a new one entered: the removed points do not come back.
        QVERIFY(RemoveCalibrationPoint(c, 1) && RemoveCalibrationPoint(c, 0));
        QString f = QStringLiteral("20"), o = QStringLiteral("2");
        QCOMPARE(EnterCalibrationPoint(c, f, o), EntryResult::Stored);
        QCOMPARE(PointsOf(c), (Points{{20.0f, 2.0f}}));
    }

    // The added curve is interpolated at the curve's own points.
    void addCurve() {
        CalibrationCurve c = CurveOf({{100.0f, 1.0f}, {200.0f, 1.0f}, {300.0f, 1.0f}});
        AddCurve(c, CurveOf({{100.0f, 2.0f}, {300.0f, 6.0f}}));
        QCOMPARE(PointsOf(c), (Points{{100.0f, 3.0f}, {200.0f, 5.0f}, {300.0f, 7.0f}}));
    }

    // "&ADD Curve": the offset at 100 MHz is 1 dB before, 3 dB with the added curve's 2 dB.
    void addCurveFromFile_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("file");  // empty: the dialog is cancelled
        QTest::addColumn<float>("firstOffset");
        QTest::addColumn<int>("messages");
        const QByteArray good = "eic1 " + I16(1) + F32(100.0f) + F32(2.0f);
        Row("added", 1, good, 3.0f, 0);
        Row("empty curve: no dialog", 0, good, 1.0f, 0);
        Row("cancelled", 1, QByteArray(), 1.0f, 0);
        Row("short file", 1, good.left(good.size() - 1), 1.0f, 1);
    }
    void addCurveFromFile() {
        QFETCH(int, points);
        QFETCH(QByteArray, file);
        QFETCH(float, firstOffset);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("add.eic"));
        QVERIFY(WriteBytes(path, file));
        MeasurementModel model;
        model.calibrationCurve = CurveOf({{100.0f, 1.0f}});
        model.calibrationCurve.pointCount = static_cast<std::int16_t>(points);
        ScriptedDialogs d;
        d.openAnswers.enqueue(file.isEmpty() ? std::nullopt : std::optional(path));
        QCOMPARE(AddCurveFromFile(model, d), firstOffset != 1.0f);
        QTEST(int(d.messages.size()), "messages");
        for (const auto& m : d.messages)
            QCOMPARE(m, (ScriptedDialogs::Message{"Cannot open file", "File handling"}));
        QCOMPARE(d.requests.size(), points);  // an empty curve asks for no file
        for (const auto& r : d.requests) QVERIFY(r.title == u"Open" && r.mustExist);
        QCOMPARE(model.calibrationCurve.offsetDb[0], firstOffset);
        QCOMPARE(model.fileNames.calibration, file.isEmpty() || !points ? QStringLiteral("*.eic") : path);
    }

    void divisions_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("j");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("sweepLast");
        Row("500 points, first", 8, 0, 0, 49, 499);
        Row("500 points, last", 8, 9, 450, 499, 499);
        Row("4000 points", 1, 9, 3600, 3999, 3999);
    }
    void divisions() {
        QFETCH(int, resolution);
        QFETCH(int, j);
        const IndexRange r = CorrectionDivision(j, resolution);
        QTEST(r.first, "first");
        QTEST(r.last, "last");
        QTEST(CorrectionSweep(resolution).last, "sweepLast");
    }

    void largestDeviation_data() {
        QTest::addColumn<QList<int>>("comparison");  // index, value pairs; the average is 0
        QTest::addColumn<QList<int>>("average");
        QTest::addColumn<int>("largest");
        QTest::addColumn<int>("remembered");
        using L = QList<int>;
        Row("a tie keeps the earlier", L{3, 5, 7, -5}, L{}, 5, 3);
        Row("the larger size wins", L{2, 3, 4, -9}, L{}, -9, 4);
        Row("outside the range", L{60, 100}, L{}, 0, 42);
        Row("beyond 16 bits", L{5, 32767, 6, 200}, L{5, -32768}, 65535, 5);
    }
    void largestDeviation() {
        QFETCH(QList<int>, comparison);
        QFETCH(QList<int>, average);
        QFETCH(int, largest);
        QFETCH(int, remembered);
        MeasurementModel m;
        for (int i = 0; i + 1 < comparison.size(); i += 2)
            m.traceComparison[comparison[i]] = static_cast<std::int16_t>(comparison[i + 1]);
        for (int i = 0; i + 1 < average.size(); i += 2)
            m.traceAverage[average[i]] = static_cast<std::int16_t>(average[i + 1]);
        int index = 42;
        QCOMPARE(LargestDeviation(m, {0, 49}, index), largest);
        QCOMPARE(index, remembered);
        QCOMPARE(Deviation(m, -1) + Deviation(m, 4001), 0);  // no point there
    }

    // The acceptance figure: after the correction the corrected average lies on the curve taken without
    // the loss.
    void correctsTheLoss() {
        Rig rig;
        const double before = rig.Difference(10.0);
        rig.model.calibrationCurve = CurveOf(BEFORE);
        ODD_SWITCHES.Set(rig.model);
        rig.model.moduleCalculating = false;
        rig.model.settings.calibrationOn = true;
        // At every redraw the switches, and the first average trace read after the traces were erased.
        QList<Switches> during;
        std::optional<TraceArray> firstRead;
        rig.view.duringRedraw = [&] {
            during.append(Switches::Of(rig.model));
            if (rig.view.erased && !firstRead) firstRead = rig.model.traceAverage;
        };

        rig.Correct();

        // While it runs only the average trace is read and shown, in single reads.
        QVERIFY(!during.isEmpty());
        for (const Switches& s : during) QVERIFY(s == (Switches{false, false, false, false, true}));
        // The first read is not corrected by the curve of before (45 dB at 123 MHz, index 11).
        QVERIFY(firstRead);
        QVERIFY(std::abs((*firstRead)[11] - rig.model.traceComparison[11]) < 20);

        // Asked once; the switches as they were, calculating on.
        QVERIFY(rig.dialogs.inputAnswers.isEmpty() && Switches::Of(rig.model) == ODD_SWITCHES);
        QVERIFY(rig.model.moduleCalculating && rig.view.calculating && rig.model.settings.calibrationOn);
        const CalibrationCurve& c = rig.model.calibrationCurve;
        QVERIFY(c.pointCount > 10 && c.pointCount <= 100);
        // Point 0 is (0 MHz, 0 dB), not a point of the curve before.
        QCOMPARE(PointsOf(c).first(), (QPair<float, float>(0.0f, 0.0f)));
        for (int i = 1; i < c.pointCount; ++i) QVERIFY(c.freqMHz[i] > c.freqMHz[i - 1]);
        QCOMPARE(c.freqMHz[1], 100.0f);
        QCOMPARE(c.freqMHz[c.pointCount - 1], 100.0f + 499 * 2.0f);

        // The curve follows the cable's loss, from 0 dB at the first point to its full loss at the last.
        QVERIFY(std::abs(InterpolateCurve(c, 100.0f + 499 * 2.0f) - LOSS_DB) < 2.0);
        QVERIFY(std::abs(InterpolateCurve(c, 100.0f + 250 * 2.0f) - LOSS_DB / 2) < 2.0);
        const double after = rig.Difference();
        qInfo("mean absolute difference: %.2f dB before, %.2f dB after the correction", before, after);
        QVERIFY2(before > 0.4 * LOSS_DB && before < 0.6 * LOSS_DB, qPrintable(QString::number(before)));
        QVERIFY2(after < 1.0, qPrintable(QString::number(after)));
    }

    // The run's structure: "br" and the resolution command, then 65 average reads (two for the first curve,
    // one per refinement pass, one per search step) with a pause of the settle delay before each of the
    // three refinement passes only; the write position reaches 100 and goes no further.
    void runStructure_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("500 points") << 8 << QByteArray("bf");
        QTest::newRow("1000 points") << 4 << QByteArray("be");
    }
    void runStructure() {
        QFETCH(int, resolution);
        QFETCH(QByteArray, command);
        double took[2] = {};
        for (const int settle : {0, 50}) {
            Rig rig;
            rig.model.settings.resolution = static_cast<std::int16_t>(resolution);
            rig.model.parameters.settleDelay = settle;
            CalibrationCurve& c = rig.model.calibrationCurve;
            c.freqMHz[99] = c.freqMHz[100] = 9999.0f;  // found again only where nothing was written
            const qsizetype setup = rig.port.device().received().size();
            const double start = rig.clock.seconds();
            rig.Correct();
            took[settle != 0] = rig.clock.seconds() - start;
            QCOMPARE(rig.port.device().received().mid(setup),
                     QByteArray("br") + command + QByteArray(65, 'm'));
            QVERIFY(c.freqMHz[99] != 9999.0f);
            QCOMPARE(c.freqMHz[100], 9999.0f);
        }
        // Each pause starts at a whole second, so it lasts the delay give or take half a second.
        QVERIFY2(std::abs(took[1] - took[0] - 3 * 50) <= 1.5, qPrintable(QString::number(took[1] - took[0])));
    }

    void answer_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<double>("factor");  // 0: the curve is discarded
        QTest::newRow("leading number") << std::optional<QString>(QStringLiteral("25 %")) << 0.25;
        QTest::newRow("0") << std::optional<QString>(QStringLiteral("0")) << 0.0;
        QTest::newRow("negative") << std::optional<QString>(QStringLiteral("-20")) << 0.0;
        QTest::newRow("cancelled") << std::optional<QString>() << 0.0;
    }
    void answer() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(double, factor);
        Rig reference;
        reference.Correct();
        const CalibrationCurve& full = reference.model.calibrationCurve;

        Rig rig;
        rig.Correct(answer);
        const CalibrationCurve& c = rig.model.calibrationCurve;
        if (factor == 0.0) {
            QCOMPARE(c.pointCount, std::int16_t(0));
            QVERIFY(!rig.model.settings.calibrationOn);
            return;
        }
        QVERIFY(rig.model.settings.calibrationOn);
        QCOMPARE(c.pointCount, full.pointCount);
        bool anyNonZero = false;
        for (int i = 0; i < c.pointCount; ++i) {
            QCOMPARE(c.freqMHz[i], full.freqMHz[i]);
            QCOMPARE(c.offsetDb[i], full.offsetDb[i] * static_cast<float>(factor));
            anyNonZero = anyNonZero || full.offsetDb[i] != 0.0f;
        }
        QVERIFY(anyNonZero);
    }

    // Without an open link or a shown comparison curve the command does nothing and asks nothing; a read
    // that fails on the way leaves everything as before the command, and nothing is asked.
    void leavesEverythingAsBefore_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("comparison");
        QTest::addColumn<int>("bytesIntoRun");  // where the interface disappears; -1: never
        QTest::newRow("link closed") << false << true << -1;
        QTest::newRow("comparison hidden") << true << false << -1;
        QTest::newRow("first read fails") << true << true << 4;
        QTest::newRow("read fails during the refinement") << true << true << 7;
        QTest::newRow("read fails during the search") << true << true << 30;
    }
    void leavesEverythingAsBefore() {
        QFETCH(bool, open);
        QFETCH(bool, comparison);
        QFETCH(int, bytesIntoRun);
        const bool fails = bytesIntoRun >= 0;
        const qsizetype setup = fails ? Rig().port.device().received().size() : 0;
        Rig rig(fails ? QStringList{QStringLiteral("--emu-fault=disappear:%1").arg(setup + bytesIntoRun)}
                      : QStringList());
        QVERIFY(rig.link.IsOpen());
        if (!open) rig.link.ClosePort();
        rig.model.showComparison = comparison;
        rig.model.calibrationCurve = CurveOf(BEFORE);
        rig.model.settings.calibrationOn = fails;  // neither switched on nor off
        ODD_SWITCHES.Set(rig.model);
        const QByteArray sent = rig.port.device().received();
        rig.Correct();
        if (!fails) QCOMPARE(rig.port.device().received(), sent);
        QCOMPARE(rig.link.IsOpen(), open && !fails);
        QCOMPARE(rig.dialogs.inputAnswers.size(), 1);
        QCOMPARE(PointsOf(rig.model.calibrationCurve), BEFORE);
        QCOMPARE(bool(rig.model.settings.calibrationOn), fails);
        QVERIFY(Switches::Of(rig.model) == ODD_SWITCHES);
    }
};

QTEST_GUILESS_MAIN(TestCorrection)
#include "tst_correction.moc"
