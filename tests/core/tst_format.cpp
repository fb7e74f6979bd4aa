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
        const auto row = [](const char* name, double value, const char* pattern, const char* expected) {
            QTest::newRow(name) << value << QString::fromLatin1(pattern) << QString::fromLatin1(expected);
        };
        const char* dbm = "0000.0 dBm;-000.0 dBm";
        row("positive level", 12.34, dbm, "0012.3 dBm");
        row("negative level", -27.0, dbm, "-027.0 dBm");
        row("zero", 0.0, dbm, "0000.0 dBm");
        row("half to even down", 0.25, "0.0", "0.2");
        row("binary value below half", 0.35, "0.0", "0.3");  // 0.35 is 0.34999.. in binary
        row("optional digits negative", -32.5, "###0.0", "-32.5");
        row("more digits than placeholders", 12345.0, "###0.0", "12345.0");
        row("three decimals", 2.0 / 3.0, "0000.000", "0000.667");
        row("zero section", 0.0, "0.0;-0.0;zero", "zero");
        row("rounds into next digit", 9.96, "00.0 dB", "10.0 dB");
        row("hash only, below one", 0.5, "#.0", ".5");
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QTEST(FormatNumber(value, pattern), "expected");
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("stops at letter") << "12abc" << 12.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("exponent D") << "2d2" << 200.0;
        QTest::newRow("bare exponent letter") << "7E" << 7.0;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower case") << "&hff," << 255.0;
        QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("ampersand alone") << "&" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QTEST(LeadingNumber(text), "expected");
    }

    void levels_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("attenuation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("raw 255 dBm") << 255 << UNIT_DBM << 0.0f << "-027.0 dBm";
        QTest::newRow("raw 255 dBpW") << 255 << UNIT_DBPW << 0.0f << "0063.0 dBpW";
        QTest::newRow("attenuation added") << 255 << UNIT_DBM << 10.0f << "-017.0 dBm";
        // The user unit (as dBm at start) is named after the number; its name is no part of the pattern.
        QTest::newRow("user unit as dBm") << 255 << UNIT_USER << 0.0f << "-027.0 V0.#";
        QTest::newRow("negative raw") << -51 << UNIT_DBUV << 0.0f << "-016.0 dBuV";
    }
    void levels() {
        QFETCH(int, raw);
        QFETCH(int, unit);
        QFETCH(float, attenuation);
        MeasurementSettings s;
        s.attenuation = attenuation;
        s.userUnitName.set(QStringLiteral("  V0.#  "));
        QTEST(FormatLevel(s, raw, unit), "expected");
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
