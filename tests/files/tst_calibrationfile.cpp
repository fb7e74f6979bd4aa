// What the layout-driven check of every loader leaves to the calibration curve file: the count's limits,
// what stays of the curve before, foreign files, and files on disk.
#include <QFile>
#include <QTemporaryDir>
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
        const auto unknown = static_cast<int>(CalibrationLoad::UnknownTag);
        const auto cannot = static_cast<int>(CalibrationLoad::CannotOpen);

        Row("empty", eic1 + I16(0), loaded, Points{});
        Row("101 points give the first 100", eic1 + I16(101) + Pairs(Numbered(101)), loaded, Numbered(100));
        Row("count above the pairs of a long file", eic1 + I16(30000) + Pairs(Numbered(120)), loaded,
            Numbered(100));
        Row("negative count is empty", eic1 + I16(-3) + Pairs(three), loaded, Points{});
        Row("3 of 50 pairs: no old points behind", eic1 + I16(50) + Pairs(Numbered(3)), shortRead,
            Numbered(3));
        Row("count cut short", eic1 + QByteArray(1, '\x03'), shortRead, BEFORE);
        const Points tenOld = Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}};
        Row("old tag: ten pairs, zeros included", "eic  " + Pairs(tenOld), loaded, tenOld);
        Row("old tag ignores what follows", "eic  " + Pairs(Numbered(12)), loaded, Numbered(10));
        Row("letter case", "EIC1 " + I16(3) + Pairs(three), unknown, BEFORE);
        Row("other version", "eic2 " + I16(3) + Pairs(three), unknown, BEFORE);
        Row("settings file", "set4 " + QByteArray(196, '\0'), unknown, BEFORE);
        Row("tag cut short", QByteArray("eic1"), cannot, BEFORE);
    }
    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(Points, points);
        CalibrationCurve curve = CurveOf(BEFORE);
        QCOMPARE(static_cast<int>(LoadCalibrationBytes(bytes, curve)), result);
        QCOMPARE(PointsOf(curve), points);
    }

    void save_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<QByteArray>("bytes");
        Row("empty, 7 bytes", Points{}, "eic1 " + I16(0));
        Row("101 points", Numbered(101), "eic1 " + I16(101) + Pairs(Numbered(101)));
    }
    void save() {
        QFETCH(Points, points);
        QFETCH(QByteArray, bytes);
        QCOMPARE(CalibrationFileBytes(CurveOf(points)), bytes);
    }

    void savedFileLoadsBack_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<Points>("loaded");
        Row("three", Numbered(3), qint64(31), Numbered(3));
        Row("empty", Points{}, qint64(7), Points{});
        Row("101 typed, 100 loaded", Numbered(101), qint64(815), Numbered(100));
    }
    void savedFileLoadsBack() {
        QFETCH(Points, points);
        QFETCH(qint64, size);
        QFETCH(Points, loaded);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("curve.eic"));
        QVERIFY(SaveCalibrationFile(path, CurveOf(points)));
        QCOMPARE(QFileInfo(path).size(), size);
        CalibrationCurve curve = CurveOf(BEFORE);
        QCOMPARE(LoadCalibrationFile(path, curve), CalibrationLoad::Loaded);
        QCOMPARE(PointsOf(curve), loaded);
    }

    void fileFailures() {
        QTemporaryDir dir;
        CalibrationCurve curve = CurveOf(BEFORE);
        QCOMPARE(LoadCalibrationFile(dir.filePath(QStringLiteral("missing.eic")), curve),
                 CalibrationLoad::CannotOpen);
        QCOMPARE(LoadCalibrationFile(dir.path(), curve), CalibrationLoad::CannotOpen);
        QCOMPARE(PointsOf(curve), BEFORE);
        QVERIFY(!SaveCalibrationFile(dir.path(), curve));
    }
};

QTEST_GUILESS_MAIN(TestCalibrationFile)
#include "tst_calibrationfile.moc"
