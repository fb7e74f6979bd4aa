// tk820-convert's pictures of a measurement, as a user runs it: the graph as PNG and SVG, the printout as
// PDF, and what happens to bad input and to an output that cannot be written.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "Canvas.h"
#include "MeasurementFile.h"
#include "SettingsFile.h"

using namespace tk;

namespace {

struct Run {
    int status = -1;
    QByteArray err;
};

Run Convert(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(TK820_CONVERT), arguments);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitCode(), p.readAllStandardError()};
}

// Flat traces, peak above actual above average, the comparison curve between peak and actual, and the
// actual trace's boundary between the comparison curve and the actual trace.
QByteArray Measurement(bool boundaryOn) {
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
    m.settings.limitActual = boundaryOn;
    return WriteMeasurement(m);
}

// The rows, top down, in which the colour fills more than a third of the picture's width.
QList<int> Rows(const QImage& image, int paletteIndex) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == PaletteColour(paletteIndex);
        if (n > image.width() / 3) rows.append(y);
    }
    return rows;
}

bool Write(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestConvertPicture : public QObject {
    Q_OBJECT
private slots:
    void png_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("boundaryOn");
        QTest::addColumn<QSize>("size");
        QTest::newRow("default size, boundary on") << QStringList{} << true << QSize(1200, 800);
        QTest::newRow("given size, boundary off")
            << QStringList{"--size", "640x480"} << false << QSize(640, 480);
    }
    void png() {
        QFETCH(QStringList, options);
        QFETCH(bool, boundaryOn);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        QVERIFY(Write(dir.filePath("run.mes"), Measurement(boundaryOn)));
        const Run run = Convert(options + QStringList{dir.filePath("run.mes"), dir.filePath("run.png")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
        const QImage image(dir.filePath("run.png"));
        QCOMPARE(image.size(), size);
        const QList<int> red = Rows(image, COLOUR_LIGHT_RED);
        const QList<int> cyan = Rows(image, COLOUR_CYAN);
        const QList<int> green = Rows(image, COLOUR_GREEN);
        const QList<int> blue = Rows(image, COLOUR_LIGHT_BLUE);
        QCOMPARE(red.size(), 1);
        QCOMPARE(cyan.size(), 1);
        QCOMPARE(blue.size(), 1);
        // The actual trace, and above it its boundary where the file switches that on.
        QCOMPARE(green.size(), boundaryOn ? 2 : 1);
        QVERIFY(red[0] < cyan[0] && cyan[0] < green[0] && green.last() < blue[0]);
        if (boundaryOn) QVERIFY(green[0] > cyan[0]);
    }

    void vector() {
        QTemporaryDir dir;
        QVERIFY(Write(dir.filePath("run.mes"), Measurement(true)));
        QCOMPARE(Convert({dir.filePath("run.mes"), dir.filePath("run.svg")}).status, 0);
        QFile svg(dir.filePath("run.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray text = svg.readAll();
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
        QTemporaryDir dir;
        QVERIFY(Write(dir.filePath("run.mes"), Measurement(true)));
        MeasurementModel setup;
        setup.printHeadline.set(QStringLiteral("Cable run 7"));
        setup.printAverage = true;
        setup.printSettings = 0;
        QVERIFY(Write(dir.filePath("print.set"), WriteSettings(setup)));
        QStringList args{dir.filePath("run.mes"), dir.filePath("run.pdf")};
        if (withSettings) args = QStringList{"--settings", dir.filePath("print.set")} + args;
        QCOMPARE(Convert(args).status, 0);

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {dir.filePath("run.pdf")});
        QVERIFY(info.waitForFinished(60000));
        const QString pages = QString::fromLatin1(info.readAllStandardOutput());
        QVERIFY2(pages.contains(QRegularExpression(QStringLiteral("\\nPages:\\s+1\\n"))), qPrintable(pages));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {dir.filePath("run.pdf"), QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString& t : present) QVERIFY2(page.contains(t), qPrintable(t));
        for (const QString& t : absent) QVERIFY2(!page.contains(t), qPrintable(t));
    }

    void refused_data() {
        QTest::addColumn<QString>("input");  // a name in the folder
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");
        QTest::newRow("settings file") << "run.set"
                                       << "out.png"
                                       << "run.set: a settings file has no traces";
        QTest::newRow("cut-off measurement") << "cut.mes"
                                             << "out.svg"
                                             << "cut.mes: the file ends before";
        QTest::newRow("folder that is a file") << "run.mes"
                                               << "run.mes/out.png"
                                               << "out.png: cannot write";
        QTest::newRow("pdf in no folder") << "run.mes"
                                          << "none/out.pdf"
                                          << "out.pdf: cannot write";
    }
    void refused() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QByteArray measurement = Measurement(true);
        QVERIFY(Write(dir.filePath("run.mes"), measurement));
        QVERIFY(Write(dir.filePath("cut.mes"), measurement.left(9000)));
        MeasurementModel settings;
        QVERIFY(Write(dir.filePath("run.set"), WriteSettings(settings)));
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);

        const Run run = Convert({dir.filePath(input), dir.filePath(output)});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith("tk820-convert: ") && run.err.contains(message.toUtf8()), run.err);
        // Nothing written, not even a temporary file beside the target.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
    }
};

QTEST_GUILESS_MAIN(TestConvertPicture)
#include "tst_convertpicture.moc"
