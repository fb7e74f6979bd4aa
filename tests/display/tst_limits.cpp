#include <QtTest>

#include "Boundaries.h"
#include "BoundaryLevels.h"
#include "BoundaryMargins.h"
#include "PointLists.h"
#include "Rows.h"
#include "Units.h"

using namespace tk;
using tk::test::BoundaryOf;
using tk::test::Row;

namespace {

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

}  // namespace

class TestLimits : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"
