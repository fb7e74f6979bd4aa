#include <QtTest>
#include <bit>

#include "DataFile.h"
#include "FileBytes.h"
#include "JsonConvert.h"
#include "JsonValues.h"
#include "MeasurementCsv.h"
#include "MeasurementFile.h"
#include "MeasurementPicture.h"
#include "Rows.h"
#include "SampleFiles.h"
#include "SettingsFile.h"
#include "Units.h"

using namespace tk;
using namespace tk::test;

namespace {

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

struct Run {
    int status = -1;
    QByteArray err;
};

// A folder of its own for a test's runs; the arguments with a '.' in them name files in it.
struct Folder {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    bool write(const QString& name, const QByteArray& b) const { return test::WriteBytes(path(name), b); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
    Run convert(QStringList arguments) const {
        for (QString& a : arguments)
            if (a.contains(u'.')) a = path(a);
        QProcess p;
        p.start(QStringLiteral(TK820_CONVERT), arguments);
        if (!p.waitForFinished(60000)) return {};
        return {p.exitCode(), p.readAllStandardError()};
    }
};

// Flat traces, peak above actual above average, the comparison curve between peak and actual, and the
// actual trace's boundary between the comparison curve and the actual trace.
QByteArray Measurement() {
    MeasurementModel m;
    for (int i = 1; i <= 500; ++i) {
        m.traceActual[i] = 100;
        m.tracePeak[i] = 150;
        m.traceAverage[i] = 60;
        m.traceComparison[i] = 120;
    }
    m.showComparison = true;
    m.boundaryActual.freqMHz[0] = 1.0f;
    m.boundaryActual.freqMHz[1] = 999.0f;
    m.boundaryActual.levelDbm[0] = m.boundaryActual.levelDbm[1] = -70.0f;  // raw 118
    m.settings.limitActual = true;
    return WriteMeasurement(m);
}

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT
private slots:
    // A current version comes back byte for byte. An old version comes out as the current one, exactly as the
    // program saves it after loading; its JSON names only the fields the old version holds.
    void versionsThroughJson_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("current");
        QTest::addColumn<QString>("absentKey");  // a field of a later version
        Row("parameters", ParameterSample().bytes, true, "");
        Row("set4", SettingsSample(4).bytes, true, "");
        Row("grn", BoundariesSample().bytes, true, "");
        Row("mes5 r8", MeasurementSample(5, 8).bytes, true, "");
        Row("mes5 r1", MeasurementSample(5, 1).bytes, true, "");
        Row("eic1", CalibrationSample(1).bytes, true, "");
        Row("eic1 empty", CalibrationSample(1, 0).bytes, true, "");
        Row("scp1", ScriptSample(1).bytes, true, "");
        Row("set", SettingsSample(0).bytes, false, "levelUnit");
        Row("set1", SettingsSample(1).bytes, false, "printHeadline");
        Row("set2", SettingsSample(2).bytes, false, "printHeadline");
        Row("set3", SettingsSample(3).bytes, false, "bandwidthIndex");
        Row("mes", MeasurementSample(0, 4).bytes, false, "userUnitName");
        Row("mes1", MeasurementSample(1, 8).bytes, false, "traceComparison");
        Row("mes2", MeasurementSample(2, 2).bytes, false, "showComparison");
        Row("mes3", MeasurementSample(3, 8).bytes, false, "videoFilterOn");
        Row("mes4", MeasurementSample(4, 8).bytes, false, "bandwidthIndex");
        Row("eic", CalibrationSample(0).bytes, false, "");
        Row("scp", ScriptSample(0).bytes, false, "printMeasurement");
    }
    void versionsThroughJson() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, current);
        QFETCH(QString, absentKey);
        DataFile direct;
        QString error;
        QVERIFY(ReadDataFile(bytes, direct, error));
        QJsonObject json;
        QCOMPARE(ThroughJson(bytes, &json), current ? bytes : WriteDataFile(direct));
        const QJsonObject step = json.value(QStringLiteral("scriptTable")).toArray().at(0).toObject();
        if (!absentKey.isEmpty()) QVERIFY(!json.contains(absentKey) && !step.contains(absentKey));
    }

    void floatsReadBackBitForBit_data() {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("json");
        QTest::newRow("0.1") << 0x3DCCCCCDu << "0.1";
        QTest::newRow("-0") << 0x80000000u << "\"0x80000000\"";
        QTest::newRow("NaN payload") << 0x7FC12345u << "\"0x7FC12345\"";
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
        QString error;
        QTEST(FloatFromJson(value, error).has_value(), "taken");
    }

    void badJsonNamesTheField_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        Row("missing", "scanWidth", QJsonValue(QJsonValue::Undefined), "scanWidth: missing");
        Row("text for float", "centerFreq", QJsonValue("500"), "centerFreq: expected a number");
        Row("too long", "timeActual", QJsonValue("12:00:00:00"), "timeActual: longer than 10");
        Row("euro sign", "userUnitName", QJsonValue(QStringLiteral("\u20ac")), "userUnitName: the character");
        Row("resolution", "resolution", QJsonValue(3), "resolution: 3 is not a value");
        Row("int16", "levelUnit", QJsonValue(70000), "levelUnit: 70000 is outside");
        Row("fraction", "bandwidthIndex", QJsonValue(1.5), "bandwidthIndex: expected a whole");
        Row("trace length", "tracePeak", QJsonValue(QJsonArray{1, 2}), "tracePeak: expected a list of 500");
        Row("tag", "tag", QJsonValue("set4 "), "tag: \"set4 \" is no version of a measurement");
        Row("kind", "file", QJsonValue("picture"), "file: expected one of");
    }
    void badJsonNamesTheField() {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        DataFile in;
        QString error;
        QVERIFY(ReadDataFile(MeasurementSample(5, 8).bytes, in, error));
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
        QVERIFY(ReadDataFile(ScriptSample(1).bytes, in, error));
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
        Row("empty", QByteArray(), "too short");
        Row("tag", QByteArray("SET4 and more"), "unknown version tag \"SET4 \"");
        Row("cut", SettingsSample(4).bytes.left(150), "the file ends before its layout does");
        Row("cut script", ScriptSample(1).bytes.chopped(1), "the file ends before its layout does");
        Row("resolution", MeasurementSample(5, 8).bytes.replace(8047, 2, "\x03\x00"),
            "the stored resolution");
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
        MeasurementModel m;  // 500 points from 0 to 1000 MHz
        m.settings.attenuation = -10.0f;
        m.settings.userUnitName.setBytes("V \xB5");
        m.traceActual[1] = -297;
        m.traceAverage[1] = -296;
        m.tracePeak[1] = -295;
        m.traceActual[500] = -200;
        m.traceAverage[500] = 300;
        m.tracePeak[500] = 100;
        const QList<QByteArray> lines = MeasurementCsv(m, UNIT_DBUV).split('\n');
        QCOMPARE(lines.size(), 1 + 500 + 1);  // the last line ends with LF too
        QCOMPARE(lines[0], "Frequency (MHz),Actual (dBuV),Average (dBuV),Peak (dBuV)");
        // In dBuV a raw level is 80/255 dB a step plus the attenuation: -297 * 80 / 255 - 10 = -103.18.
        QCOMPARE(lines[1], "2,-103.18,-102.86,-102.55");
        QCOMPARE(lines[500], "1000,-72.75,84.12,21.37");
        // The user unit by its name without blanks, UTF-8 encoded.
        QVERIFY(MeasurementCsv(m, UNIT_USER).startsWith("Frequency (MHz),Actual (V \xC2\xB5),Average (V"));
    }

    // The picture's kind comes from OUT's extension, its size from --size.
    void pictureNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");    // -1: no picture
        QTest::addColumn<QSize>("size");  // invalid: refused
        QTest::newRow("SVG") << "Run.SVG" << int(PictureKind::Svg) << QSize();
        QTest::newRow("pdf") << "a.b/run.pdf" << int(PictureKind::Pdf) << QSize();
        QTest::newRow("smallest") << "16x16" << -1 << QSize(16, 16);
        QTest::newRow("largest") << "16384x16384" << -1 << QSize(16384, 16384);
        QTest::newRow("too narrow") << "15x800" << -1 << QSize();
        QTest::newRow("too high") << "1200x16385" << -1 << QSize();
        QTest::newRow("no height") << "1200x" << -1 << QSize();
        QTest::newRow("blank") << " 1200x800" << -1 << QSize();
    }
    void pictureNames() {
        QFETCH(QString, text);
        const auto k = PictureKindOfName(text);
        QTEST(k ? int(*k) : -1, "kind");
        QTEST(ParsePictureSize(text).value_or(QSize()), "size");
    }

    // tk820-convert as a user runs it: a measurement to JSON, back and to CSV; the graph as SVG, the printout
    // as PDF (tst_ui compares its PNG with the graph window); and what it says, with exit status 2,
    // about bad input and an output it cannot write.

    // A measurement to JSON and back to the same bytes, and to CSV in the unit asked for.
    void jsonAndCsv() {
        Folder f;
        const QByteArray measurement = Measurement();
        QVERIFY(f.write("m.mes", measurement));
        for (const QStringList& arguments :
             {QStringList{"m.mes", "m.json"}, QStringList{"m.json", "back.mes"},
              QStringList{"--unit", "dBpW", "m.mes", "m.csv"}}) {
            const Run run = f.convert(arguments);
            QVERIFY2(run.status == 0 && run.err.isEmpty(), run.err);
        }
        QCOMPARE(FileBytes(f.path("back.mes")), measurement);
        QCOMPARE(FileBytes(f.path("m.csv")).split('\n').value(0),
                 "Frequency (MHz),Actual (dBpW),Average (dBpW),Peak (dBpW)");
    }

    void vector() {
        Folder f;
        QVERIFY(f.write("run.mes", Measurement()));
        QCOMPARE(f.convert({"run.mes", "run.svg"}).status, 0);
        const QByteArray text = FileBytes(f.path("run.svg"));
        // Three traces and the comparison curve, each one polyline, on a picture of the default size.
        QVERIFY(text.count("<polyline") >= 4);
        QVERIFY(text.contains("viewBox=\"0 0 1200 800\"") && text.contains("<title>Spectrum</title>"));
    }

    // One page; without a printer setup it prints what the graph shows, else what the settings file says.
    void page_data() {
        QTest::addColumn<bool>("withSettings");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("what the graph shows")
            << false << QStringList{"ZELOR Instruments", "Actual:", "Peak:", "Comparison meas.", "CENTERFR."}
            << QStringList{"Cable run 7"};
        QTest::newRow("printer setup of a settings file")
            << true << QStringList{"Cable run 7", "Average:"}
            << QStringList{"ZELOR", "Actual:", "Peak:", "Comparison meas.", "CENTERFR."};
    }
    void page() {
        QFETCH(bool, withSettings);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        Folder f;
        QVERIFY(f.write("run.mes", Measurement()));
        MeasurementModel setup;
        setup.printHeadline.set(QStringLiteral("Cable run 7"));
        setup.printAverage = true;
        setup.printSettings = 0;
        QVERIFY(f.write("print.set", WriteSettings(setup)));
        const QStringList settings = withSettings ? QStringList{"--settings", "print.set"} : QStringList();
        QCOMPARE(f.convert(settings + QStringList{"run.mes", "run.pdf"}).status, 0);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {f.path("run.pdf"), QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        QCOMPARE(page.count(u'\f'), 1);  // pdftotext ends each page with a form feed
        for (const QString& t : present) QVERIFY2(page.contains(t), qPrintable(t));
        for (const QString& t : absent) QVERIFY2(!page.contains(t), qPrintable(t));
        // The document's title is the page's headline (UTF-16, big-endian).
        QByteArray title("/Title (\xfe\xff", 10);
        for (const QChar c : present[0]) title += {char(c.unicode() >> 8), char(c.unicode() & 0xff)};
        QVERIFY(FileBytes(f.path("run.pdf")).contains(title));
    }

    void refused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        Row("settings file", QStringList{"run.set", "out.png"}, "run.set: a settings file has no traces");
        Row("cut-off measurement", QStringList{"cut.mes", "out.svg"}, "cut.mes: the file ends before");
        Row("missing input", QStringList{"none.mes", "out.json"}, "none.mes: ");
        Row("cut-off JSON", QStringList{"cut.json", "out.mes"}, "cut.json: no valid JSON");
        Row("measurement over settings", QStringList{"run.mes", "out.set"},
            "out.set: a measurement file is written as *.mes");
        Row("curve to CSV", QStringList{"none.eic", "out.csv"},
            "none.eic: a calibrationCurve file has no points for CSV");
        Row("unknown unit", QStringList{"--unit", "dBW", "run.mes", "out.csv"}, "unknown unit dBW");
        Row("view stop below start", QStringList{"--log-frequency", "30,1", "run.mes", "out.png"},
            "--log-frequency is START,STOP in MHz");
        Row("view from 0 Hz", QStringList{"--log-frequency", "0,30", "run.mes", "out.png"},
            "--log-frequency is START,STOP in MHz");
        Row("no OUT", QStringList{"run.mes"}, "expected IN and OUT");
        Row("folder that is a file", QStringList{"run.mes", "run.mes/out.png"}, "out.png: cannot write");
        Row("json in no folder", QStringList{"run.mes", "none/out.json"}, "out.json: cannot write");
    }
    void refused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        Folder f;
        const QByteArray measurement = Measurement();
        QVERIFY(f.write("run.mes", measurement) && f.write("cut.mes", measurement.left(9000)));
        QVERIFY(f.write("run.set", WriteSettings(MeasurementModel())) && f.write("cut.json", "{\"file\":"));
        QVERIFY(f.write("none.eic", QByteArray("eic1 \0\0", 7)));  // no points
        const QStringList before = f.files();

        const Run run = f.convert(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith("tk820-convert: ") && run.err.contains(message.toUtf8()), run.err);
        // Nothing written, not even a temporary file beside the target.
        QCOMPARE(f.files(), before);
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
