// What the layout-driven check of every loader leaves to the measurement file: the show flags that decide
// which traces and which comparison curve a load keeps, unusable resolutions, and the graph caption.
#include <QtTest>

#include "MeasurementFile.h"
#include "SampleFiles.h"

using namespace tk;
using namespace tk::test;

class TestMeasurementFile : public QObject {
    Q_OBJECT
private slots:
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
        const auto sample = MeasurementSample(5, 8);
        const auto want = sample.loaded();
        QCOMPARE(ReadMeasurement(sample.bytes, m), LoadResult::Loaded);
        QCOMPARE(m.traceActual[250], off == 0 ? 7 : want->traceActual[250]);
        QCOMPARE(m.traceAverage[250], off == 1 ? 7 : want->traceAverage[250]);
        QCOMPARE(m.tracePeak[500], off == 2 ? 7 : want->tracePeak[500]);
        // Point 0, which no file holds, starts the graph at point 1's level.
        for (int t = 0; t < 3; ++t) QCOMPARE((*traces[t])[0], t == off ? 7 : (*traces[t])[1]);
        QCOMPARE(m.settings.limitAverage.raw(), want->settings.limitAverage.raw());
    }

    void shownComparisonCurveStays() {
        MeasurementModel m;
        m.showComparison = true;
        m.traceComparison.fill(9);
        QByteArray file = MeasurementSample(4, 8).bytes;
        file.replace(8005, 2, I16(0));
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.traceComparison[1], 9);
        QCOMPARE(m.traceComparison[4000], 9);
        QVERIFY(!m.showComparison);
        QCOMPARE(m.settings.levelUnit, 3);
    }

    // A stored resolution no sweep has would walk the wrong number of points: the file is refused whole.
    void unusableResolutionRefused_data() {
        QTest::addColumn<int>("resolution");
        for (int r : {0, 3, 16, -8}) QTest::addRow("%d", r) << r;
    }
    void unusableResolutionRefused() {
        QFETCH(int, resolution);
        QByteArray file = MeasurementSample(5, 8).bytes;
        // The common part at resolution 8 is 3364 bytes from the resolution on.
        file.replace(file.size() - 3364, 2, I16(resolution));
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Refused);
        QCOMPARE(WriteMeasurement(m), before);
    }

    // A "mes1 " file whose unit name is empty: the offset's 0 byte comes right after the unit.
    void mes1WithoutUnitName() {
        QByteArray file = MeasurementSample(1, 8).bytes.remove(7, 3);
        MeasurementModel m;
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, ' '));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
    }

    void caption() {
        MeasurementModel m;
        m.readDate.set(QStringLiteral("01.02.2024"));
        m.timeActual.set(QStringLiteral("12:00:01"));
        m.timePeak.set(QStringLiteral("12:00:02"));
        m.timeAverage.set(QStringLiteral("12:00:03"));
        QCOMPARE(MeasurementCaption(QStringLiteral("/data/run 1/a.mes"), m),
                 QStringLiteral("a.mes | 01.02.2024 | Ac: 12:00:01  Av: 12:00:03  Pe: 12:00:02  "));
    }
};

QTEST_MAIN(TestMeasurementFile)
#include "tst_measurementfile.moc"
