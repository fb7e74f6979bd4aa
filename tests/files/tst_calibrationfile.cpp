// What the layout-driven check of every loader leaves to the calibration curve file: the count's limits and
// what stays of the curve before. The editor's tests load and save files, short and foreign ones too.
#include <QtTest>

#include "CalibrationFile.h"
#include "CurvePoints.h"
#include "Rows.h"
#include "SampleFiles.h"

using namespace tk;
using namespace tk::test;

namespace {

QByteArray Pairs(const Points& points) {
    QByteArray b;
    for (const auto& p : points) b += F32(p.first) + F32(p.second);
    return b;
}

Points Numbered(int n) {
    Points p;
    for (int i = 0; i < n; ++i) p.append({10.0f * static_cast<float>(i + 1), 0.5f * static_cast<float>(i)});
    return p;
}

// What the curve held before a load.
const Points BEFORE = {{1.0f, 11.0f}, {2.0f, 12.0f}, {3.0f, 13.0f}, {4.0f, 14.0f}, {5.0f, 15.0f}};

}  // namespace

class TestCalibrationFile : public QObject {
    Q_OBJECT
private slots:
    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<Points>("points");
        const QByteArray eic1 = "eic1 ";
        const Points three{{100.0f, 2.0f}, {200.0f, -4.5f}, {1500.25f, 0.0f}};
        const auto loaded = static_cast<int>(CalibrationLoad::Loaded);
        const auto shortRead = static_cast<int>(CalibrationLoad::ShortRead);

        Row("101 points give the first 100", eic1 + I16(101) + Pairs(Numbered(101)), loaded, Numbered(100));
        Row("negative count is empty", eic1 + I16(-3) + Pairs(three), loaded, Points{});
        Row("count cut short", eic1 + QByteArray(1, '\x03'), shortRead, BEFORE);
        const Points tenOld = Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}};
        Row("old tag: ten pairs, zeros included", "eic  " + Pairs(tenOld), loaded, tenOld);
        Row("old tag ignores what follows", "eic  " + Pairs(Numbered(12)), loaded, Numbered(10));
    }
    void load() {
        QFETCH(QByteArray, bytes);
        CalibrationCurve curve = CurveOf(BEFORE);
        QTEST(static_cast<int>(LoadCalibrationBytes(bytes, curve)), "result");
        QTEST(PointsOf(curve), "points");
    }

    // All typed points are saved, also those past the 100 a load takes.
    void save() {
        QCOMPARE(CalibrationFileBytes(CurveOf(Numbered(101))), "eic1 " + I16(101) + Pairs(Numbered(101)));
    }
};

QTEST_GUILESS_MAIN(TestCalibrationFile)
#include "tst_calibrationfile.moc"
