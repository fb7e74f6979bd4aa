#include <QJsonDocument>
#include <QtTest>
#include <bit>

#include "../files/LayoutBytes.h"
#include "DataFile.h"
#include "JsonConvert.h"
#include "JsonValues.h"
#include "MeasurementCsv.h"
#include "MeasurementPicture.h"
#include "Units.h"

using namespace tk;
using namespace tk::test;

namespace {

const float kNaN = std::bit_cast<float>(0x7FC12345u);   // a NaN with a payload
const float kTiny = std::bit_cast<float>(0x00000001u);  // the smallest subnormal

// The fields of each version, from the layout tables, with values that a lossy path would change: NaN,
// -0, a subnormal, Booleans stored as 1, texts with inner and trailing blanks and Latin-1 letters.
void Unit(LayoutBytes& b) {
    b.i16(3).text(30, "V \xB5 ").f32(-0.0f);
}
void Tail(LayoutBytes& b) {
    b.i16(4).i16(1).i16(5).i16(1).i16(0).i16(-1).i32(-7).i32(2147483647).i32(0);
    b.f32(kNaN).f32(kTiny).f32(433.92f).f32(0.1f).i16(-1).i16(0).i16(-1);
}
void PrintAndUnit(LayoutBytes& b) {
    for (int i = 0; i < 8; ++i) b.i16(i % 3 - 1);
    b.text(80, "  Head line  ").i16(0).i16(-1).f32(1e-3f).f32(3.4e38f);
    Unit(b);
}
void Groups(LayoutBytes& b) {
    for (int i = 0; i < 10; ++i)
        for (int k = 0; k < 3; ++k)
            b.f32(100.5f * i + k)
                .f32(i == 3 ? std::numeric_limits<float>::infinity() : -50.25f - i)
                .i16(i % 2 ? -1 : k);
}
QByteArray Measurement(int version, int resolution) {
    LayoutBytes b;
    b.raw(QByteArray(version == 0 ? "mes  " : "mes" + QByteArray::number(version) + " "));
    if (version == 1) b.i16(2).raw("Volt").f32(-97.5f);
    if (version == 2) Unit(b);
    if (version >= 3) {
        for (int i = 1; i <= 4000; ++i)
            version == 3 ? b.raw(QByteArray(1, char(i % 251))) : b.i16(i * 7 - 9000);
        b.i16(0);
        Unit(b);
    }
    if (version == 5) b.i16(2).i16(1);
    b.i16(resolution);
    for (int t = 0; t < 3; ++t)
        for (int i = 1; i <= 4000 / resolution; ++i) b.i16((i * (t + 3)) % 700 - 300);
    Groups(b);
    b.f32(2.5f).f32(-10.0f).f32(500.0f).f32(100.0f);
    b.text(10, "06.12.2026").text(10, "12:00:01").text(10, "").text(10, "23:59:59 x");
    b.i16(-1).i16(1).i16(0);
    return b.bytes();
}
QByteArray Settings(int version) {
    LayoutBytes b;
    b.raw(version == 0 ? "set  " : "set" + QByteArray::number(version) + " ");
    if (version == 1) b.i16(2).raw("Volt").f32(-97.5f);
    if (version == 2) Unit(b);
    if (version >= 3) PrintAndUnit(b);
    if (version == 4) b.i16(0).i16(1).i16(0);
    Tail(b);
    return b.bytes();
}
QByteArray Script(bool current) {
    LayoutBytes b;
    b.tag(current ? "scp1 " : "scp  ");
    for (int i = 0; i < 10; ++i) {
        if (current) b.i16(i == 2 ? -1 : 0);
        b.text(80, i == 0 ? "Antenna up  " : "-").i16(i * 200);
        for (int f = 0; f < 6; ++f)
            b.text(80, f == 4 ? "\x1b"
                                "A\r"
                              : "c:\\mes\\step.mes");
        b.i16(1 + i % 4).i16(2).i16(9600).text(1, "E").i16(8).i16(1).i16(3);
    }
    return b.bytes();
}
QByteArray Curve(bool current) {
    LayoutBytes b;
    b.tag(current ? "eic1 " : "eic  ");
    if (current) b.i16(3);
    for (int i = 0; i < (current ? 3 : 10); ++i) b.f32(30.0f * i + 0.1f).f32(i == 1 ? -0.0f : 1.7f * i);
    return b.bytes();
}
QByteArray Parameters() {
    return LayoutBytes()
        .tag("par01")
        .raw(QByteArray(1, 7))
        .text(160, "C:\\TK820\\start.scp ")
        .raw(QByteArray("\x03\xFF\x00", 3))
        .bytes();
}

// The whole way of a user's conversion: bytes, JSON text, bytes.
QByteArray ThroughJson(const QByteArray& bytes, QJsonObject* json = nullptr) {
    DataFile in;
    QString error;
    if (!ReadDataFile(bytes, in, error)) return "read: " + error.toUtf8();
    const QByteArray text = QJsonDocument(DataFileToJson(in)).toJson();
    const QJsonObject parsed = QJsonDocument::fromJson(text).object();
    if (json) *json = parsed;
    DataFile out;
    if (!DataFileFromJson(parsed, out, error)) return "json: " + error.toUtf8();
    return WriteDataFile(out);
}

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT
private slots:
    void currentVersionsComeBackByteIdentical_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("parameters") << Parameters();
        QTest::newRow("set4") << Settings(4);
        QTest::newRow("grn") << LayoutBytes().tag("grn  ").bytes() + [] {
            LayoutBytes b;
            Groups(b);
            return b.bytes();
        }();
        QTest::newRow("mes5 r8") << Measurement(5, 8);
        QTest::newRow("mes5 r1") << Measurement(5, 1);
        QTest::newRow("eic1") << Curve(true);
        QTest::newRow("eic1 empty") << LayoutBytes().tag("eic1 ").i16(0).bytes();
        QTest::newRow("scp1") << Script(true);
    }
    void currentVersionsComeBackByteIdentical() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(ThroughJson(bytes), bytes);
    }

    // An old version comes out as the current one, exactly as the program saves it after loading; its
    // JSON names only the fields the old version holds.
    void oldVersionsBecomeCurrent_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("absentKey");
        QTest::addColumn<QString>("presentKey");
        QTest::newRow("set") << Settings(0) << "levelUnit"
                             << "scanWidth";
        QTest::newRow("set1") << Settings(1) << "printHeadline"
                              << "userUnitName";
        QTest::newRow("set2") << Settings(2) << "printHeadline"
                              << "userUnitOffset";
        QTest::newRow("set3") << Settings(3) << "bandwidthIndex"
                              << "printHeadline";
        QTest::newRow("mes") << Measurement(0, 4) << "userUnitName"
                             << "tracePeak";
        QTest::newRow("mes1") << Measurement(1, 8) << "traceComparison"
                              << "levelUnit";
        QTest::newRow("mes2") << Measurement(2, 2) << "showComparison"
                              << "userUnitName";
        QTest::newRow("mes3") << Measurement(3, 8) << "videoFilterOn"
                              << "traceComparison";
        QTest::newRow("mes4") << Measurement(4, 8) << "bandwidthIndex"
                              << "showComparison";
        QTest::newRow("eic") << Curve(false) << "tag"
                             << "offsetDb";
        QTest::newRow("scp") << Script(false) << "scriptTable[0].printMeasurement"
                             << "scriptTable";
    }
    void oldVersionsBecomeCurrent() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, absentKey);
        QFETCH(QString, presentKey);
        DataFile direct;
        QString error;
        QVERIFY(ReadDataFile(bytes, direct, error));
        QJsonObject json;
        QCOMPARE(ThroughJson(bytes, &json), WriteDataFile(direct));
        QCOMPARE(WriteDataFile(direct).left(5), TagsOf(direct.kind).last());
        QVERIFY(json.contains(presentKey));
        if (absentKey.startsWith("scriptTable"))
            QVERIFY(!json["scriptTable"].toArray()[0].toObject().contains("printMeasurement"));
        else if (absentKey != "tag")
            QVERIFY(!json.contains(absentKey));
    }

    void floatsReadBackBitForBit_data() {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("json");
        QTest::newRow("0.1") << 0x3DCCCCCDu << "0.1";
        QTest::newRow("433.92") << std::bit_cast<quint32>(433.92f) << "433.92";
        QTest::newRow("-0") << 0x80000000u << "\"0x80000000\"";
        QTest::newRow("NaN payload") << 0x7FC12345u << "\"0x7FC12345\"";
        QTest::newRow("-inf") << 0xFF800000u << "\"0xFF800000\"";
        QTest::newRow("subnormal") << 0x00000001u << "1e-45";
        QTest::newRow("max") << 0x7F7FFFFFu << "3.4028235e+38";
        QTest::newRow("2^24+2") << std::bit_cast<quint32>(16777218.0f) << "16777218";
    }
    void floatsReadBackBitForBit() {
        QFETCH(quint32, bits);
        QFETCH(QString, json);
        const QByteArray text =
            QJsonDocument(QJsonArray{FloatToJson(std::bit_cast<float>(bits))}).toJson(QJsonDocument::Compact);
        QCOMPARE(text, "[" + json.toLatin1() + "]");
        QString error;
        const auto back = FloatFromJson(QJsonDocument::fromJson(text).array()[0], error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(std::bit_cast<quint32>(*back), bits);
    }

    // Numbers no float holds: from the midpoint between the largest float and 2^128 on.
    void floatsOutOfRangeAreRefused_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("taken");
        QTest::newRow("below midpoint") << std::ldexp(2.0 - std::ldexp(1.0, -23), 127) << true;
        QTest::newRow("2^128") << std::ldexp(1.0, 128) << false;
        QTest::newRow("-2^128") << -std::ldexp(1.0, 128) << false;
    }
    void floatsOutOfRangeAreRefused() {
        QFETCH(double, value);
        QFETCH(bool, taken);
        QString error;
        QCOMPARE(FloatFromJson(value, error).has_value(), taken);
    }

    void badJsonNamesTheField_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "scanWidth" << QJsonValue(QJsonValue::Undefined) << "scanWidth: missing";
        QTest::newRow("text for float")
            << "centerFreq" << QJsonValue("500") << "centerFreq: expected a number";
        QTest::newRow("too long") << "timeActual" << QJsonValue("12:00:00:00")
                                  << "timeActual: longer than 10";
        QTest::newRow("not Latin-1") << "userUnitName" << QJsonValue(QString::fromUtf8("\xE2\x82\xAC"))
                                     << "userUnitName: the character";
        QTest::newRow("resolution") << "resolution" << QJsonValue(3) << "resolution: 3 is not a value";
        QTest::newRow("int16") << "levelUnit" << QJsonValue(70000) << "levelUnit: 70000 is outside";
        QTest::newRow("fraction") << "bandwidthIndex" << QJsonValue(1.5)
                                  << "bandwidthIndex: expected a whole";
        QTest::newRow("trace length")
            << "tracePeak" << QJsonValue(QJsonArray{1, 2}) << "tracePeak: expected a list of 500";
        QTest::newRow("tag") << "tag" << QJsonValue("set4 ")
                             << "tag: \"set4 \" is no version of a measurement";
        QTest::newRow("kind") << "file" << QJsonValue("picture") << "file: expected one of";
    }
    void badJsonNamesTheField() {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        DataFile in;
        QString error;
        QVERIFY(ReadDataFile(Measurement(5, 8), in, error));
        QJsonObject json = DataFileToJson(in);
        if (value.isUndefined())
            json.remove(key);
        else
            json[key] = value;
        DataFile out;
        QVERIFY(!DataFileFromJson(json, out, error));
        QVERIFY2(error.startsWith(message), qPrintable(error));
    }

    void nestedFaultsCarryTheirPath() {
        DataFile in;
        QString error;
        QVERIFY(ReadDataFile(Script(true), in, error));
        QJsonObject json = DataFileToJson(in);
        QJsonArray steps = json["scriptTable"].toArray();
        QJsonObject step = steps[4].toObject();
        step["delayMinutes"] = 2001;
        steps[4] = step;
        json["scriptTable"] = steps;
        QVERIFY(!DataFileFromJson(json, in, error));
        QCOMPARE(error, "scriptTable[4].delayMinutes: 2001 is not a value the program takes");
    }

    void badBinarySaysWhatIsWrong_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "too short";
        QTest::newRow("tag") << QByteArray("SET4 and more") << "unknown version tag \"SET4 \"";
        QTest::newRow("cut") << Settings(4).left(150) << "the file ends before its layout does";
        QTest::newRow("cut script") << Script(true).chopped(1) << "the file ends before its layout does";
        QTest::newRow("resolution") << Measurement(5, 8).replace(8047, 2, "\x03\x00")
                                    << "the stored resolution";
    }
    void badBinarySaysWhatIsWrong() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        DataFile file;
        QString error;
        QVERIFY(!ReadDataFile(bytes, file, error));
        QVERIFY2(error.startsWith(message), qPrintable(error));
    }

    void csvHasHeaderAndEveryStoredPoint() {
        DataFile file;
        QString error;
        QVERIFY(ReadDataFile(Measurement(5, 8), file, error));
        const QList<QByteArray> lines = MeasurementCsv(*file.model, UNIT_DBUV).split('\n');
        QCOMPARE(lines.size(), 1 + 500 + 1);  // the last line ends with LF too
        QCOMPARE(lines[0], "Frequency (MHz),Actual (dBuV),Average (dBuV),Peak (dBuV)");
        // Point 1 of 500 at 2 MHz steps from 0 MHz; raw -297 at -10 dB attenuation.
        QCOMPARE(lines[1], "2,-103.18,-102.86,-102.55");
        QCOMPARE(lines[500], "1000,-72.75,84.12,21.37");
        // The user unit by its name without blanks, UTF-8 encoded.
        QVERIFY(MeasurementCsv(*file.model, UNIT_USER)
                    .startsWith("Frequency (MHz),Actual (V \xC2\xB5),Average (V"));
    }

    // The picture's kind comes from OUT's extension, its size from --size.
    void pictureNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");    // -1: no picture
        QTest::addColumn<QSize>("size");  // invalid: refused
        QTest::newRow("png") << "run.png" << int(PictureKind::Png) << QSize();
        QTest::newRow("SVG") << "Run.SVG" << int(PictureKind::Svg) << QSize();
        QTest::newRow("pdf") << "a.b/run.pdf" << int(PictureKind::Pdf) << QSize();
        QTest::newRow("csv") << "run.csv" << -1 << QSize();
        QTest::newRow("smallest") << "16x16" << -1 << QSize(16, 16);
        QTest::newRow("largest") << "16384x16384" << -1 << QSize(16384, 16384);
        QTest::newRow("too narrow") << "15x800" << -1 << QSize();
        QTest::newRow("too high") << "1200x16385" << -1 << QSize();
        QTest::newRow("no height") << "1200x" << -1 << QSize();
        QTest::newRow("blank") << " 1200x800" << -1 << QSize();
    }
    void pictureNames() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QSize, size);
        const auto k = PictureKindOfName(text);
        QCOMPARE(k ? int(*k) : -1, kind);
        QCOMPARE(ParsePictureSize(text).value_or(QSize()), size);
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
