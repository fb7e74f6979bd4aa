#include <QTest>

#include "Format.h"
#include "Units.h"

using namespace tk;

class TestFormat : public QObject {
    Q_OBJECT
private slots:
    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const QString dbm = QStringLiteral("0000.0 dBm;-000.0 dBm");
        QTest::newRow("positive level") << 12.34 << dbm << "0012.3 dBm";
        QTest::newRow("negative level") << -27.0 << dbm << "-027.0 dBm";
        QTest::newRow("large negative") << -1234.5 << dbm << "-1234.5 dBm";
        QTest::newRow("zero") << 0.0 << dbm << "0000.0 dBm";
        QTest::newRow("half to even down") << 0.25 << "0.0"
                                           << "0.2";
        QTest::newRow("half to even up") << 0.75 << "0.0"
                                         << "0.8";
        QTest::newRow("binary value above half") << 0.35 << "0.0"
                                                 << "0.3";  // 0.35 is 0.34999.. in binary
        QTest::newRow("optional digits") << 5.0 << "###0.0"
                                         << "5.0";
        QTest::newRow("optional digits negative") << -32.5 << "###0.0"
                                                  << "-32.5";
        QTest::newRow("more digits than placeholders") << 12345.0 << "###0.0"
                                                       << "12345.0";
        QTest::newRow("mhz") << 500.0 << "0000.000 MHz"
                             << "0500.000 MHz";
        QTest::newRow("mhz two decimals") << 1.005 << "###0.00"
                                          << "1.00";  // 1.005 is below the half
        QTest::newRow("db offset") << 3.25 << "00.0 dB"
                                   << "03.2 dB";
        QTest::newRow("db offset negative") << -3.3 << "00.0 dB"
                                            << "-03.3 dB";
        QTest::newRow("plain") << 7.04 << "000.0"
                               << "007.0";
        QTest::newRow("three decimals") << 2.0 / 3.0 << "0000.000"
                                        << "0000.667";
        QTest::newRow("script index") << 3.0 << "0 -  "
                                      << "3 -  ";
        QTest::newRow("hour") << 7.0 << "00:"
                              << "07:";
        QTest::newRow("minute") << 5.0 << "00"
                                << "05";
        QTest::newRow("user unit section") << -12.0 << "0000.0 ;-000.0 "
                                           << "-012.0 ";
        QTest::newRow("zero section") << 0.0 << "0.0;-0.0;zero"
                                      << "zero";
        QTest::newRow("rounds into next digit") << 9.96 << "00.0 dB"
                                                << "10.0 dB";
        QTest::newRow("hash only, below one") << 0.5 << "#.0"
                                              << ".5";
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(FormatNumber(value, pattern), expected);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "3500" << 3500.0;
        QTest::newRow("leading blanks") << "   42" << 42.0;
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("stops at letter") << "12abc" << 12.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative") << "-5" << -5.0;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("decimal") << "2.75 dB" << 2.75;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("exponent D") << "2d2" << 200.0;
        QTest::newRow("bare exponent letter") << "7E" << 7.0;
        QTest::newRow("stops at comma") << "5,7" << 5.0;
        QTest::newRow("trailing blanks") << "255   " << 255.0;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower case") << "&hff," << 255.0;
        QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("ampersand alone") << "&" << 0.0;
        QTest::newRow("zero scan text") << "ZERO SCAN" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(LeadingNumber(text), expected);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("2.51") << 2.51 << 3.0;
        QTest::newRow("499.5") << 499.5 << 500.0;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }

    void rightAligned() {
        QCOMPARE(RightAligned(QStringLiteral("-10.0"), 5), QStringLiteral("-10.0"));
        QCOMPARE(RightAligned(QStringLiteral("0.0"), 5), QStringLiteral("  0.0"));
        QCOMPARE(RightAligned(QStringLiteral("-100.0"), 5), QStringLiteral("-100.0"));
    }

    void levels_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("raw 0 dBuV") << 0 << UNIT_DBUV << 0.0f << "0000.0 dBuV";
        QTest::newRow("raw 255 dBm") << 255 << UNIT_DBM << 0.0f << "-027.0 dBm";
        QTest::newRow("raw 255 dBpW") << 255 << UNIT_DBPW << 0.0f << "0063.0 dBpW";
        QTest::newRow("attenuation added") << 255 << UNIT_DBM << 10.0f << "-017.0 dBm";
        QTest::newRow("user unit as dBm") << 255 << UNIT_USER << 0.0f << "-027.0 User";
        QTest::newRow("negative raw") << -51 << UNIT_DBUV << 0.0f << "-016.0 dBuV";
    }
    void levels() {
        QFETCH(int, raw);
        QFETCH(int, unit);
        QFETCH(float, attenuation);
        QFETCH(QString, expected);
        MeasurementSettings s;
        s.attenuation = attenuation;
        QCOMPARE(FormatLevel(s, raw, unit), expected);
    }

    void userUnitNameIsNotAPattern() {
        MeasurementSettings s;
        s.userUnitName.set(QStringLiteral("  V0.#  "));
        s.userUnitOffset = 0.0f;
        QCOMPARE(FormatLevel(s, 0, UNIT_USER), QStringLiteral("0000.0 V0.#"));
    }

    void frequencyAxis() {
        MeasurementSettings s;  // 500 MHz centre, 100 MHz per division
        s.resolution = 8;
        QCOMPARE(FrequencyOfPoint(s, 0), 0.0f);
        QCOMPARE(FrequencyOfPoint(s, 250), 500.0f);
        QCOMPARE(FrequencyOfPoint(s, 500), 1000.0f);
        s.resolution = 1;
        s.centerFreq = 100.7f;
        s.scanWidth = 0.3f;
        // single precision start + i * step
        const float start = 100.7f - 5.0f * 0.3f;
        const float step = 0.3f * 1.0f * 10.0f / 4000.0f;
        QCOMPARE(FrequencyOfPoint(s, 1234), start + 1234.0f * step);
        QCOMPARE(PointsWalked(8), 501);
        QCOMPARE(PointsWalked(1), 4001);
        QCOMPARE(BlocksPerTrace(4), 10);
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
