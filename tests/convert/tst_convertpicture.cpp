// tk820-convert as a user runs it: a measurement to JSON, back and to CSV; the graph as SVG, the printout
// as PDF (tst_picture compares its PNG with the graph window); and what it says, with exit status 2, about
// bad input and an output it cannot write.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "FileBytes.h"
#include "MeasurementFile.h"
#include "Rows.h"
#include "SettingsFile.h"

using namespace tk;
using tk::test::FileBytes;
using tk::test::Row;

namespace {

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

class TestConvertPicture : public QObject {
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestConvertPicture)
#include "tst_convertpicture.moc"
