#include <QtTest>
#include <functional>

#include "PrintOut.h"
#include "PrintPage.h"
#include "RecordingCanvas.h"
#include "Rows.h"

using namespace tk;
using tk::test::Row;

using Setup = std::function<void(MeasurementModel&)>;
Q_DECLARE_METATYPE(Setup)

namespace {

MeasurementModel DefaultModel() {
    MeasurementModel model;
    SetModelDefaults(model, QStringLiteral("06.12.2026"));
    return model;
}

QStringList Page(MeasurementModel& model) {
    RecordingCanvas canvas;
    PrintOut(model, canvas, QStringLiteral("LONGDATE"));
    return canvas.log;
}

qsizetype Count(const QStringList& log, const QString& part) {
    return std::count_if(log.begin(), log.end(), [&](const QString& e) { return e.contains(part); });
}

}  // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void page_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<int>("traceSegments");  // lines of width 2

        const QString headline = QStringLiteral("text 0,292 c0 \"") + QString(80, ' ') + '"';
        Row("default page", Setup([](MeasurementModel&) {}),
            QStringList{"scale -600,295-4300,-30", headline, "text 0,278 c0 \"*.grn   *.mes   \"",
                        "text 640,278 c0 \"LONGDATE\"", "text 0,271 c0 \"CENTERFR.: 500 MHz\"",
                        "text 1000,271 c0 \"SCANWIDTH: 100 MHz/DIV.\"",
                        "text 0,264 c0 \"BANDWIDTH: 400 kHz\"", "text 1000,264 c0 \"VIDEO FILTER: OFF\"",
                        "line 0,0-4000,0 c0 w8", "line 0,255-0,0 c0 w8", "line 0,224-4000,224 c0 w1",
                        "line 2000,0-2000,255 c0 w1", "text -300,5 c0 \"-107.0\"", "text -300,254 c0 \"dBm\"",
                        "text 3930,-9 c0 \"MHz\""},
            QStringList{"text 0,285", "w1 dashed", "line 0,256-4000,256"}, 0);
        Row("print window 100..300 MHz", Setup([](MeasurementModel& m) {
                m.printActual = true;
                m.traceActual.fill(100);
                m.printFromMHz = 100;
                m.printToMHz = 300;
            }),
            QStringList{"line 400,100-408,100 c0 w2", "line 1192,100-1200,100 c0 w2"},
            QStringList{"line 1200,100-1208,100"}, 100);
        Row("scan width 0 ignores the window", Setup([](MeasurementModel& m) {
                m.printActual = true;
                m.settings.scanWidth = 0;
                m.printFromMHz = 499;
                m.printToMHz = 501;
            }),
            QStringList{"line 0,0-8,0 c0 w2", "line 3984,0-3992,0 c0 w2",
                        "text 1000,271 c0 \"SCANWIDTH: 0 MHz/DIV.\""},
            QStringList{}, 499);
        Row("legend without date", Setup([](MeasurementModel& m) {
                m.printDateTime = false;
                m.printActual = m.printAverage = m.printPeak = true;
            }),
            QStringList{"text 0,285 c0 \"Actual  \"", "text 320,285 c0 \"Average  \"",
                        "text 680,285 c0 \"Peak  \""},
            QStringList{"LONGDATE"}, 3 * 499);
        Row("legend with read times, colour", Setup([](MeasurementModel& m) {
                m.printBlackWhite = false;
                m.printPeak = m.printComparison = true;
                m.timePeak.set(QStringLiteral("10:11:12"));
            }),
            QStringList{"text 0,285 c12 \"Peak: 10:11:12    \"", "text 720,285 c3 \"Comparison meas.\"",
                        "line 0,0-8,0 c12 w2", "line 0,0-8,0 c3 w2", "text -300,5 c5 \"-107.0\"",
                        "line 0,0-4000,0 c0 w8"},
            QStringList{"c2 w2", "c9 w2"}, 2 * 499);
        Row("unknown bandwidth prints nothing", Setup([](MeasurementModel& m) {
                m.settings.bandwidthIndex = 7;
                m.settings.videoFilterOn = 2;
                m.printSettings = 0;
            }),
            QStringList{}, QStringList{"BANDWIDTH", "VIDEO", "CENTERFR"}, 0);
        Row("cursor line", Setup([](MeasurementModel& m) {
                m.printBlackWhite = false;
                m.printActual = true;
                m.levelWindowOpen = true;
                m.levelCursorX = 2000;
                m.traceActual[250] = 255;
            }),
            QStringList{"text 0,250 c12 \" Cursor A: \"",
                        "text 440,250 c12 \"0500.000 MHz ->   Ac:-0027.0 dBm\"",
                        "line 2000,0-2000,255 c12 w1 dashed"},
            QStringList{"Cursor B"}, 499);
        Row("cursor off", Setup([](MeasurementModel& m) {
                m.printCursor = 0;
                m.levelWindowOpen = m.limitListOpen = true;
            }),
            QStringList{}, QStringList{"Cursor", "dashed"}, 0);
        Row("printed, not shown: no wider range", Setup([](MeasurementModel& m) {
                m.settings.showAverage = false;
                m.printAverage = true;
                m.traceAverage.fill(400);
            }),
            QStringList{"scale -600,295-4300,-30", "line 0,400-8,400 c0 w2"}, QStringList{}, 499);
        Row("extreme levels keep the grid finite", Setup([](MeasurementModel& m) {
                m.traceActual[1] = 32767;
                m.traceActual[2] = -32768;
            }),
            QStringList{"line 0,32736-4000,32736 c0 w1", "line 0,-32768-4000,-32768 c0 w1"},
            QStringList{"line 0,32768-"}, 0);
    }

    void page() {
        QFETCH(Setup, setup);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);

        MeasurementModel model = DefaultModel();
        setup(model);
        const QStringList log = Page(model);
        for (const QString& entry : present) QVERIFY2(log.contains(entry), qPrintable(entry));
        for (const QString& part : absent) QVERIFY2(Count(log, part) == 0, qPrintable(part));
        QTEST(int(Count(log, QStringLiteral(" w2"))), "traceSegments");
        QCOMPARE(log.last(), QStringLiteral("refresh"));
    }

    // Each print flag draws its own boundary, in its colour (black in black and white), with width 2, in the
    // order actual, average, peak; the levels are not rounded (-50 dBm lies at 182.4).
    void boundaries_data() {
        QTest::addColumn<QString>("printed");  // A actual (-50 dBm), V average (-60), P peak (-70)
        QTest::addColumn<bool>("blackWhite");
        QTest::addColumn<QStringList>("lines");  // every line of width 2
        Row("actual", "A", false, QStringList{"line 400,182.4-800,182.4 c2 w2"});
        Row("average", "V", false, QStringList{"line 400,150.4-800,150.4 c9 w2"});
        Row("peak", "P", false, QStringList{"line 400,118.4-800,118.4 c12 w2"});
        Row("all, black and white", "PAV", true,
            QStringList{"line 400,182.4-800,182.4 c0 w2", "line 400,150.4-800,150.4 c0 w2",
                        "line 400,118.4-800,118.4 c0 w2"});
    }

    void boundaries() {
        QFETCH(QString, printed);
        QFETCH(bool, blackWhite);
        MeasurementModel model = DefaultModel();
        model.printBlackWhite = blackWhite;
        const auto set = [&](BoundaryLine& b, VbBool& flag, char letter, float level) {
            b.freqMHz[0] = 100.0f;
            b.freqMHz[1] = 200.0f;
            b.levelDbm[0] = b.levelDbm[1] = level;
            flag = printed.contains(QLatin1Char(letter));
        };
        set(model.boundaryActual, model.printBoundaryActual, 'A', -50.0f);
        set(model.boundaryAverage, model.printBoundaryAverage, 'V', -60.0f);
        set(model.boundaryPeak, model.printBoundaryPeak, 'P', -70.0f);
        QTEST(Page(model).filter(QStringLiteral(" w2")), "lines");
    }

    void pdfNames_data() {
        QTest::addColumn<QString>("measurement");
        QTest::addColumn<QString>("pdf");
        Row("two dots", "a.b.mes", "a.b.pdf");
        Row("none", "run", "run.pdf");
    }

    void pdfNames() {
        QFETCH(QString, measurement);
        QTEST(PdfNameFor(measurement), "pdf");
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
