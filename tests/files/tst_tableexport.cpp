#include <QtTest>

#include "TableExport.h"

using namespace tk;

class TestTableExport : public QObject {
    Q_OBJECT
private slots:
    // The header and the first and last lines at resolution 8, in dBm and in the user unit (the offsets of
    // the units are the level formatting's test). Raw 255 is 80 dB above raw 0.
    void headerAndLines_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const QString h = QStringLiteral("Frequenz in MHz\tActual in %1\tAverage in %1\tPeak in %1");
        QTest::newRow("dBm") << 1 << h.arg(u"dBm") << QStringLiteral("0000.000\t-107.0\t-027.0\t-117.0")
                             << QStringLiteral("0998.000\t-106.7\t-107.3\t-105.4");
        QTest::newRow("user unit") << 3 << h.arg(u"V\u00f6lt x")
                                   << QStringLiteral("0000.000\t-097.5\t-017.5\t-107.5")
                                   << QStringLiteral("0998.000\t-097.2\t-097.8\t-095.9");
    }
    void headerAndLines() {
        QFETCH(int, unit);
        MeasurementModel m;  // centre 500 MHz, 100 MHz per division, resolution 8, attenuation 0
        m.settings.userUnitName.set(QStringLiteral("  V\u00f6lt x "));
        m.settings.userUnitOffset = -97.5f;
        m.traceAverage[0] = 255;
        m.tracePeak[0] = -32;
        m.traceActual[499] = 1;
        m.traceAverage[499] = -1;
        m.tracePeak[499] = 5;
        m.traceActual[500] = 100;  // past the last point: not written
        const QByteArray table = TableText(m, unit);
        QVERIFY(table.endsWith("\r\n"));
        const QList<QByteArray> lines = table.chopped(1).split('\n');
        QCOMPARE(lines.size(), 501);
        for (const QByteArray& line : lines) QVERIFY(line.endsWith('\r'));
        QTEST(QString::fromLatin1(lines.first().chopped(1)), "header");
        QTEST(QString::fromLatin1(lines[1].chopped(1)), "first");
        QCOMPARE(QString::fromLatin1(lines[2].left(8)), QStringLiteral("0002.000"));
        QTEST(QString::fromLatin1(lines.last().chopped(1)), "last");
    }

    void attenuationAndFrequencies() {
        MeasurementModel m;
        m.settings.attenuation = 10.0f;
        m.settings.centerFreq = 100.0f;
        m.settings.scanWidth = 50.0f;
        m.settings.resolution = 1;
        m.traceActual[0] = 255;
        const QList<QByteArray> lines = TableText(m, 2).split('\n');
        QCOMPARE(lines.size(), 4002);  // header, 4000 points, and nothing after the last line end
        QCOMPARE(lines[1], QByteArray("-0150.000\t090.0\t010.0\t010.0\r"));
        QCOMPARE(lines[4000].left(9), QByteArray("0349.875\t"));
    }
};

QTEST_MAIN(TestTableExport)
#include "tst_tableexport.moc"
