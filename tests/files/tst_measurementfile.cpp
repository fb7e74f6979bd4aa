#include <QtTest>

#include "LayoutBytes.h"
#include "MeasurementFile.h"

using namespace tk;
using namespace tk::test;

namespace {

std::int16_t Comparison(int i) {
    return static_cast<std::int16_t>((i * 37) % 700 - 300);
}
std::int16_t Actual(int i) {
    return static_cast<std::int16_t>(i + 1000);
}
std::int16_t Average(int i) {
    return static_cast<std::int16_t>(-i);
}
std::int16_t Peak(int i) {
    return static_cast<std::int16_t>(3 * i - 500);
}

// The header of each version after the tag, then the common part at the given resolution; every value
// unlike the model's defaults.
QByteArray MeasurementBytes(int version, int resolution, int showComparison = -1) {
    LayoutBytes b;
    b.raw(QByteArray(version == 0 ? "mes  " : "mes" + QByteArray::number(version) + " "));
    if (version == 1) b.i16(2).raw("Volt").f32(-97.5f);  // the offset's first byte (00) ends the name
    if (version == 2) b.i16(2).text(30, "Volt").f32(-97.5f);
    if (version >= 3) {
        for (int i = 1; i <= 4000; ++i) {
            if (version == 3)
                b.raw(QByteArray(1, char(i % 256)));
            else
                b.i16(Comparison(i));
        }
        b.i16(showComparison).i16(2).text(30, "Volt").f32(-97.5f);
    }
    if (version == 5) b.i16(1).i16(-1);
    const int n = 4000 / resolution;
    b.i16(resolution);
    for (int i = 1; i <= n; ++i) b.i16(Actual(i));
    for (int i = 1; i <= n; ++i) b.i16(Average(i));
    for (int i = 1; i <= n; ++i) b.i16(Peak(i));
    for (int i = 0; i < 10; ++i)
        for (int k = 0; k < 3; ++k)
            b.f32(100.0f * i + k + 0.5f).f32(-50.0f - i - k * 0.25f).i16((i + k) % 2 ? -1 : 0);
    b.f32(1.25f).f32(10.5f).f32(433.92f).f32(2.0f);
    b.text(10, "01.02.2024").text(10, "12:00:01").text(10, "12:00:02").text(10, "12:00:03");
    b.i16(-1).i16(0).i16(-1);
    return b.bytes();
}

// Where the last complete field of a cut "mes5 " file at resolution 8 ends.
qsizetype CompleteFieldsEnd(qsizetype length) {
    QList<int> widths{5};
    widths.append(QList<int>(4000, 2));
    widths.append({2, 2, 30, 4, 2, 2, 2});
    widths.append(QList<int>(1500, 2));
    for (int i = 0; i < 30; ++i) widths.append({4, 4, 2});
    widths.append({4, 4, 4, 4, 10, 10, 10, 10, 2, 2, 2});
    qsizetype end = 0;
    for (int w : widths) {
        if (end + w > length) break;
        end += w;
    }
    return end;
}

void CheckLoaded(const MeasurementModel& m, int version, int resolution) {
    const MeasurementModel d;
    const MeasurementSettings& s = m.settings;
    const bool unit = version >= 1, comparison = version >= 3, mes5 = version == 5;
    QCOMPARE(s.levelUnit, unit ? 2 : d.settings.levelUnit);
    QCOMPARE(s.userUnitName.trimmed(), unit ? QStringLiteral("Volt") : QStringLiteral("User"));
    QCOMPARE(s.userUnitOffset, unit ? -97.5f : d.settings.userUnitOffset);
    QCOMPARE(m.showComparison.raw(), comparison ? -1 : 0);
    for (int i : {1, 2, 255, 256, 3999, 4000}) {
        const int expected = version == 3 ? i % 256 : version > 3 ? Comparison(i) : 0;
        QCOMPARE(m.traceComparison[i], expected);
    }
    QCOMPARE(m.traceComparison[0], 0);
    QCOMPARE(s.bandwidthIndex, mes5 ? 1 : d.settings.bandwidthIndex);
    QCOMPARE(s.videoFilterOn, mes5 ? -1 : d.settings.videoFilterOn);
    QCOMPARE(s.resolution, resolution);
    const int n = 4000 / resolution;
    for (int i : {1, n / 2, n}) {
        QCOMPARE(m.traceActual[i], Actual(i));
        QCOMPARE(m.traceAverage[i], Average(i));
        QCOMPARE(m.tracePeak[i], Peak(i));
    }
    // Index 0 is not in the file; past the stored points the traces keep what they held.
    for (const TraceArray* t : {&m.traceActual, &m.traceAverage, &m.tracePeak}) {
        QCOMPARE((*t)[0], 0);
        QCOMPARE((*t)[n + 1], 0);
    }
    QCOMPARE(m.boundaryAverage.freqMHz[3], 301.5f);
    QCOMPARE(m.boundaryPeak.levelDbm[9], -59.5f);
    QCOMPARE(m.boundaryActual.logSegment[1], -1);
    QCOMPARE(m.boundaryActual.freqMHz[10], 0.0f);
    QCOMPARE(s.noiseSuppression, 1.25f);
    QCOMPARE(s.attenuation, 10.5f);
    QCOMPARE(s.centerFreq, 433.92f);
    QCOMPARE(s.scanWidth, 2.0f);
    QCOMPARE(m.readDate.text(), QStringLiteral("01.02.2024"));
    QCOMPARE(m.timeActual.text(), QStringLiteral("12:00:01  "));
    QCOMPARE(m.timePeak.text(), QStringLiteral("12:00:02  "));
    QCOMPARE(m.timeAverage.text(), QStringLiteral("12:00:03  "));
    QCOMPARE(s.limitActual.raw(), -1);
    QCOMPARE(s.limitPeak.raw(), 0);
    QCOMPARE(s.limitAverage.raw(), -1);
}

}  // namespace

class TestMeasurementFile : public QObject {
    Q_OBJECT
private slots:
    void everyVersion_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("resolution");
        for (int v = 0; v <= 5; ++v)
            for (int r : {8, 4}) QTest::addRow("mes%d at %d", v, r) << v << r;
        QTest::newRow("mes5 at 1") << 5 << 1;
    }
    void everyVersion() {
        QFETCH(int, version);
        QFETCH(int, resolution);
        MeasurementModel m;  // resolution 8, every trace shown, no comparison curve shown
        QCOMPARE(ReadMeasurement(MeasurementBytes(version, resolution), m), LoadResult::Loaded);
        CheckLoaded(m, version, resolution);
    }

    void mes5RoundTripsBitForBit_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("size");
        QTest::newRow("8") << 8 << 11411;
        QTest::newRow("2") << 2 << 20411;
        QTest::newRow("1") << 1 << 32411;
    }
    void mes5RoundTripsBitForBit() {
        QFETCH(int, resolution);
        QFETCH(int, size);
        const QByteArray file = MeasurementBytes(5, resolution);
        QCOMPARE(file.size(), size);
        QCOMPARE(MeasurementFileSize(resolution), size);
        MeasurementModel m;
        QVERIFY(ReadMeasurement(file, m) == LoadResult::Loaded);
        QCOMPARE(WriteMeasurement(m), file);
    }

    // A trace switched off keeps its contents, and the traces after it still load from their places.
    void traceSwitchedOffKeepsItsValues_data() {
        QTest::addColumn<int>("off");
        QTest::newRow("actual") << 0;
        QTest::newRow("average") << 1;
        QTest::newRow("peak") << 2;
    }
    void traceSwitchedOffKeepsItsValues() {
        QFETCH(int, off);
        MeasurementModel m;
        VbBool* flags[] = {&m.settings.showActual, &m.settings.showAverage, &m.settings.showPeak};
        TraceArray* traces[] = {&m.traceActual, &m.traceAverage, &m.tracePeak};
        *flags[off] = false;
        traces[off]->fill(7);
        QCOMPARE(ReadMeasurement(MeasurementBytes(5, 8), m), LoadResult::Loaded);
        QCOMPARE((*traces[off])[250], 7);
        QCOMPARE(m.traceActual[250], off == 0 ? 7 : Actual(250));
        QCOMPARE(m.traceAverage[250], off == 1 ? 7 : Average(250));
        QCOMPARE(m.tracePeak[500], off == 2 ? 7 : Peak(500));
        QCOMPARE(m.settings.limitAverage.raw(), -1);
    }

    void shownComparisonCurveStays() {
        MeasurementModel m;
        m.showComparison = true;
        m.traceComparison.fill(9);
        QCOMPARE(ReadMeasurement(MeasurementBytes(4, 8, 0), m), LoadResult::Loaded);
        QCOMPARE(m.traceComparison[1], 9);
        QCOMPARE(m.traceComparison[4000], 9);
        QVERIFY(!m.showComparison);
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
    }

    // A stored resolution no sweep has would walk the wrong number of points: the file is refused whole.
    void unusableResolutionRefused_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("resolution");
        for (int r : {0, 3, 16, -8}) {
            QTest::addRow("mes5 %d", r) << 5 << r;
            QTest::addRow("mes1 %d", r) << 1 << r;
        }
    }
    void unusableResolutionRefused() {
        QFETCH(int, version);
        QFETCH(int, resolution);
        QByteArray file = MeasurementBytes(version, 8);
        const qsizetype at = version == 5 ? 8047 : 5 + 2 + 4 + 4;
        file.replace(at, 2, LayoutBytes().i16(resolution).bytes());
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Refused);
        QCOMPARE(WriteMeasurement(m), before);
    }

    void truncatedFile_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("inside the tag") << 3;
        QTest::newRow("inside the comparison curve") << 5 + 201;
        QTest::newRow("inside the unit name") << 8020;
        QTest::newRow("before the resolution") << 8047;
        QTest::newRow("at a boundary group") << 8049 + 3000 + 60;
        QTest::newRow("inside a time") << 11411 - 10;
        QTest::newRow("one byte short") << 11410;
    }
    void truncatedFile() {
        QFETCH(int, length);
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        const QByteArray file = MeasurementBytes(5, 8);
        QCOMPARE(ReadMeasurement(file.left(length), m),
                 length < 5 ? LoadResult::Refused : LoadResult::Incomplete);
        const qsizetype end = CompleteFieldsEnd(length);
        QCOMPARE(WriteMeasurement(m), file.left(end) + before.mid(end));
    }

    void mes1NameWithoutEnd() {
        LayoutBytes b;
        b.tag("mes1 ").i16(3).raw("Volt");
        MeasurementModel m;
        QCOMPARE(ReadMeasurement(b.bytes(), m), LoadResult::Incomplete);
        QCOMPARE(m.settings.levelUnit, 3);
        QCOMPARE(m.settings.userUnitName.trimmed(), QStringLiteral("User"));
    }

    void unknownTagChangesNothing_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::newRow("capital") << QByteArray("MES5 ");
        QTest::newRow("version 6") << QByteArray("mes6 ");
        QTest::newRow("settings") << QByteArray("set4 ");
    }
    void unknownTagChangesNothing() {
        QFETCH(QByteArray, tag);
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        QCOMPARE(ReadMeasurement(tag + MeasurementBytes(5, 8).mid(5), m), LoadResult::Refused);
        QCOMPARE(WriteMeasurement(m), before);
    }

    void caption() {
        MeasurementModel m;
        QVERIFY(ReadMeasurement(MeasurementBytes(2, 8), m) == LoadResult::Loaded);
        QCOMPARE(MeasurementCaption(QStringLiteral("/data/run 1/a.mes"), m),
                 QStringLiteral("a.mes | 01.02.2024 | Ac: 12:00:01  Av: 12:00:03  Pe: 12:00:02  "));
    }
};

QTEST_MAIN(TestMeasurementFile)
#include "tst_measurementfile.moc"
