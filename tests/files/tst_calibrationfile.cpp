// The calibration curve file: both tags, the 100-point limit, short and foreign files, and the bytes
// written, against files laid out here byte by byte.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "CalibrationFile.h"

using namespace tk;

namespace {

using Points = QList<QPair<float, float>>;

QByteArray I16(int v) {
    const auto u = static_cast<std::uint16_t>(v);
    QByteArray b;
    b.append(static_cast<char>(u & 0xff));
    b.append(static_cast<char>(u >> 8));
    return b;
}

QByteArray F32(float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    QByteArray b;
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>((bits >> (8 * i)) & 0xff));
    return b;
}

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

Points PointsOf(const CalibrationCurve& c) {
    Points p;
    for (int i = 0; i < c.pointCount; ++i) p.append({c.freqMHz[i], c.offsetDb[i]});
    return p;
}

CalibrationCurve CurveOf(const Points& points) {
    CalibrationCurve c;
    for (int i = 0; i < points.size(); ++i) {
        c.freqMHz[i] = points[i].first;
        c.offsetDb[i] = points[i].second;
    }
    c.pointCount = static_cast<std::int16_t>(points.size());
    return c;
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

        QTest::newRow("three points") << eic1 + I16(3) + Pairs(three) << loaded << three;
        QTest::newRow("empty") << eic1 + I16(0) << loaded << Points{};
        QTest::newRow("101 points give the first 100")
            << eic1 + I16(101) + Pairs(Numbered(101)) << loaded << Numbered(100);
        QTest::newRow("count above the pairs of a long file")
            << eic1 + I16(30000) + Pairs(Numbered(120)) << loaded << Numbered(100);
        QTest::newRow("negative count is empty") << eic1 + I16(-3) + Pairs(three) << loaded << Points{};
        QTest::newRow("3 of 50 pairs: no old points behind")
            << eic1 + I16(50) + Pairs(Numbered(3)) << shortRead << Numbered(3);
        QTest::newRow("half a pair at the end")
            << eic1 + I16(3) + Pairs(Numbered(2)) + F32(99.0f) << shortRead << Numbered(2);
        QTest::newRow("count cut short") << eic1 + QByteArray(1, '\x03') << shortRead << BEFORE;
        QTest::newRow("old tag: ten pairs, zeros included")
            << QByteArray("eic  ") + Pairs(Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}}) << loaded
            << Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}};
        QTest::newRow("old tag ignores what follows")
            << QByteArray("eic  ") + Pairs(Numbered(12)) << loaded << Numbered(10);
        QTest::newRow("old tag cut short")
            << QByteArray("eic  ") + Pairs(Numbered(4)) << shortRead << Numbered(4);
        QTest::newRow("letter case") << QByteArray("EIC1 ") + I16(3) + Pairs(three) << unknown << BEFORE;
        QTest::newRow("other version") << QByteArray("eic2 ") + I16(3) + Pairs(three) << unknown << BEFORE;
        QTest::newRow("settings file") << QByteArray("set4 ") + QByteArray(196, '\0') << unknown << BEFORE;
        QTest::newRow("tag cut short") << QByteArray("eic1") << cannot << BEFORE;
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
        const Points three{{100.0f, 2.0f}, {50.0f, -4.5f}, {1500.25f, 0.1f}};
        QTest::newRow("three points, unsorted, 31 bytes")
            << three << QByteArray("eic1 ") + I16(3) + Pairs(three);
        QTest::newRow("empty, 7 bytes") << Points{} << QByteArray("eic1 ") + I16(0);
        QTest::newRow("101 points") << Numbered(101) << QByteArray("eic1 ") + I16(101) + Pairs(Numbered(101));
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
        QTest::newRow("three") << Numbered(3) << qint64(31) << Numbered(3);
        QTest::newRow("empty") << Points{} << qint64(7) << Points{};
        QTest::newRow("101 typed, 100 loaded") << Numbered(101) << qint64(815) << Numbered(100);
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
