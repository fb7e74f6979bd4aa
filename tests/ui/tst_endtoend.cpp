// The program's windows and logic against the in-process emulated interface, in simulated time: search the
// interface, connect, measure, and change the display while measuring.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "EmulatorAppRig.h"

using namespace tk;
using namespace tk::test;

namespace {

struct App : EmulatorAppRig {
    static bool Filled(const TraceArray& t, int points) {
        return std::any_of(t.begin(), t.begin() + points, [](std::int16_t v) { return v != 0; });
    }
    void check(const char* name, bool on) {
        auto* box = find<QCheckBox>(name);
        QVERIFY2(box, name);
        box->setChecked(on);
    }
};

// Runs a tool of the PDF utilities; its standard output, or nothing when it failed.
std::optional<QByteArray> RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void searchConnectAndMeasure() {
        App app;
        // The search finds the interface on COM2 at the rate it has after power-on.
        app.find<QToolButton>("Command2")->click();
        auto* setup = app.find<QWidget>("boxcomcon");
        QVERIFY(setup);
        setup->findChild<QPushButton*>(QStringLiteral("cbautoconfig"))->click();
        QCOMPARE(app.dialogs.messages.size(), 1);
        QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("Analyzer connected Com:  2 Baud: 2400"));
        QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Auto config"));

        // "&OK" at 115200 baud and 4000 points connects with the full sequence.
        setup->findChild<QRadioButton*>(QStringLiteral("baud5"))->click();
        setup->findChild<QRadioButton*>(QStringLiteral("res1"))->click();
        setup->findChild<QPushButton*>(QStringLiteral("cbok"))->click();
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.port.isOpen());
        QVERIFY(app.window->action(QStringLiteral("mopen"))->isChecked());
        QVERIFY(app.window->windowTitle().startsWith(QStringLiteral("TK820-2E V2-68     Interface: V")));
        QCOMPARE(app.port.lineSettings(), QStringLiteral("115200,N,8,1"));

        // Fast mode: one tick reads all three traces and redraws the graph.
        app.find<QCheckBox>("mdifast")->click();
        app.window->Tick();
        QVERIFY(App::Filled(app.model.traceActual, 4000));
        QVERIFY(App::Filled(app.model.tracePeak, 4000));
        QVERIFY(App::Filled(app.model.traceAverage, 4000));
        QCOMPARE(app.model.invalidTransferCount, 0);
        QVERIFY(app.dialogs.messages.size() == 1);
        auto* grafik = app.find<QWidget>("grafik");
        QVERIFY(grafik);
        const QString caption = grafik->parentWidget()->windowTitle();
        QVERIFY2(caption.startsWith(QStringLiteral("Ac: ")) && !caption.contains(QStringLiteral("--:--")),
                 qPrintable(caption));

        // The peak-hold trace never lies below the sweep it was built from.
        app.window->Tick();
        for (int i = 0; i < 4000; i += 97) QVERIFY(app.model.tracePeak[i] >= app.model.traceActual[i] - 1);

        // A change in the display setup is drawn at the next tick.
        app.find<QToolButton>("Command3")->click();
        auto* centre = app.find<QLineEdit>("centerfreq");
        QVERIFY(centre);
        centre->setFocus();
        centre->selectAll();
        QTest::keyClicks(centre, QStringLiteral("300"));
        QTest::keyClick(centre, Qt::Key_Return);
        QCOMPARE(app.model.settings.centerFreq, 300.0f);
        QVERIFY(app.model.redrawPending);
        app.find<QCheckBox>("mdifast")->click();  // off: the next tick only redraws
        app.window->Tick();
        QVERIFY(!app.model.redrawPending);

        // Exit returns the interface to 500 points, 2400 baud and sleeping.
        app.window->action(QStringLiteral("mnuexit"))->trigger();
        const auto& device = app.emulator.device();
        QCOMPARE(device.baudAt(app.clock.seconds() + 1.0), 2400);
        QVERIFY(device.acquisition().sleeping());
        QCOMPARE(device.acquisition().resolution(), 8);
        QVERIFY(device.received().endsWith("bfi1bvbobp"));
    }

    // A measurement stored, the display erased and the file loaded back gives the same traces, comparison
    // curve, boundaries, settings, unit and caption.
    void storeEraseAndLoadBack() {
        App app;
        app.window->action(QStringLiteral("mopen"))->trigger();
        QVERIFY(app.port.isOpen());
        app.find<QToolButton>("Command1")->click();
        QVERIFY(App::Filled(app.model.traceActual, 500));
        app.find<QToolButton>("Command10")->click();  // the peak trace as comparison curve
        app.model.boundaryPeak.freqMHz[2] = 250.5f;
        app.model.boundaryPeak.levelDbm[2] = -40.25f;
        app.model.settings.levelUnit = 3;
        app.model.settings.userUnitName.set(QStringLiteral("Volt"));
        app.model.settings.userUnitOffset = -90.0f;
        const MeasurementModel stored = app.model;
        const QString name = app.home.filePath(QStringLiteral("run.mes"));
        app.dialogs.saveAnswers.enqueue(name);
        app.window->action(QStringLiteral("mnumesssave"))->trigger();

        app.find<QToolButton>("Command4")->click();
        app.find<QToolButton>("Command11")->click();
        app.model.traceComparison.fill(0);
        app.model.boundaryPeak = BoundaryLine{};
        app.model.settings.userUnitName.set(QStringLiteral("User"));
        app.model.settings.levelUnit = 1;
        QVERIFY(!App::Filled(app.model.traceActual, 500));

        app.dialogs.openAnswers.enqueue(name);
        app.window->action(QStringLiteral("mnumessload"))->trigger();
        QVERIFY(app.dialogs.messages.isEmpty());
        QVERIFY(!app.port.isOpen());
        for (auto trace :
             {&MeasurementModel::traceActual, &MeasurementModel::traceAverage, &MeasurementModel::tracePeak})
            QVERIFY(std::equal(&(app.model.*trace)[1], &(app.model.*trace)[501], &(stored.*trace)[1]));
        QVERIFY(std::equal(&app.model.traceComparison[1], &app.model.traceComparison[4001],
                           &stored.traceComparison[1]));
        QVERIFY(app.model.showComparison);
        QCOMPARE(app.model.boundaryPeak.levelDbm[2], -40.25f);
        QCOMPARE(app.model.settings.userUnitName, stored.settings.userUnitName);
        QCOMPARE(app.model.settings.levelUnit, 3);
        QCOMPARE(app.model.settings.userUnitOffset, -90.0f);
        QCOMPARE(app.model.settings.centerFreq, stored.settings.centerFreq);
        QCOMPARE(app.window->action(QStringLiteral("mnutabuser"))->text().trimmed(), QStringLiteral("Volt"));
        QCOMPARE(app.find<QWidget>("grafik")->windowTitle(),
                 QStringLiteral("run.mes | ") + stored.readDate.text() + QStringLiteral(" | Ac: ") +
                     stored.timeActual.text() + QStringLiteral("Av: ") + stored.timeAverage.text() +
                     QStringLiteral("Pe: ") + stored.timePeak.text());
    }

    // A measurement read from the interface, stored, and printed where no printer is set up: the PDF,
    // rendered as a picture, holds the headline, legend, file names, settings and a plot with the traces in
    // colour.
    void printedPageRendered() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is set up: the page would go to it");
        App app;
        app.window->action(QStringLiteral("mopen"))->trigger();
        app.find<QCheckBox>("mdifast")->click();
        app.window->Tick();
        QVERIFY(App::Filled(app.model.tracePeak, 500));
        app.dialogs.saveAnswers.enqueue(app.home.filePath(QStringLiteral("run.mes")));
        app.window->action(QStringLiteral("mnumesssave"))->trigger();

        app.window->action(QStringLiteral("mnuprint"))->trigger();
        app.check("sw", false);
        app.check("praktuell", true);
        app.check("prpeak", true);
        auto* headline = app.find<QLineEdit>("prtxt\u00fcberschr");
        QVERIFY(headline);
        headline->setText(QStringLiteral("Pre-scan mains port"));
        const QString pdf = app.home.filePath(QStringLiteral("run.pdf"));
        app.dialogs.saveAnswers.enqueue(pdf);
        app.find<QPushButton>("prok")->click();
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages[0].text.endsWith(QDir::toNativeSeparators(pdf)));

        const auto text = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text, "pdftotext (poppler-utils) did not run");
        for (const char* expected : {"Pre-scan mains port", "Actual: ", "Peak: ", "run.mes",
                                     "CENTERFR.:", "SCANWIDTH:", "BANDWIDTH:", "VIDEO FILTER:", "dBm", "MHz"})
            QVERIFY2(text->contains(expected), expected);

        QVERIFY(RunTool(QStringLiteral("pdftoppm"),
                        {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                         QStringLiteral("-singlefile"), pdf, app.home.filePath(QStringLiteral("page"))}));
        const QImage page(app.home.filePath(QStringLiteral("page.png")));
        QVERIFY(!page.isNull());
        QVERIFY(page.height() > page.width());  // A4 upright
        // The actual trace is drawn in green, the peak trace in light red, in the lower part of the page.
        int green = 0, red = 0;
        for (int y = page.height() / 4; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                green += c.green() > 100 && c.red() < 80 && c.blue() < 80;
                red += c.red() > 200 && c.green() < 120 && c.blue() < 120;
            }
        QVERIFY2(green > 50 && red > 50, qPrintable(QStringLiteral("%1 green, %2 red").arg(green).arg(red)));
    }

    // A script run where no printer is set up: each printing step's page lands in a PDF of its own (a step
    // without a measurement file too), the status bar says where the last one went, and no box waits.
    void scriptPagesWithoutPrinter() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is set up: the pages would go to it");
        App app;
        app.model.scriptFileName = app.home.filePath(QStringLiteral("emc.scp"));
        for (int i = 0; i < 3; ++i) {
            app.model.scriptTable[i].delayMinutes = 1;
            app.model.scriptTable[i].printMeasurement = true;
        }
        app.model.scriptTable[0].measurementFile.set(app.home.filePath(QStringLiteral("a.mes")));
        app.window->scripts().runner().StartScript();
        for (int i = 0; i < 300 && app.model.scriptRunning; ++i) {
            app.clock.advance(1.0);
            app.window->Tick();
        }
        QCOMPARE(app.dialogs.messages.size(), 1);
        QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("Script done"));
        const QStringList pdfs = QDir(app.home.path()).entryList({QStringLiteral("*.pdf")});
        QCOMPARE(pdfs.size(), 3);
        QCOMPARE(pdfs.filter(QStringLiteral("emc-step")).size(), 2);
        QVERIFY(pdfs.contains(QStringLiteral("a.pdf")));
        const QString note = app.find<QLabel>("scrprint")->text();
        QVERIFY2(note.startsWith(QStringLiteral("Script printout written to ")) &&
                     note.contains(QStringLiteral("emc-step2-")),
                 qPrintable(note));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
