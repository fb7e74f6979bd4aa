#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "FileBytes.h"
#include "LinkRig.h"
#include "PrintCommands.h"
#include "PrinterSetupWindow.h"
#include "Report.h"
#include "ReportWindow.h"
#include "ScriptFileActions.h"
#include "Units.h"

using namespace tk;

namespace {

// The printer setup window on its own, counting its calls of "Print" and of a unit change.
struct SetupRig {
    MeasurementModel model;
    int printed = 0;
    int unitChanges = 0;
    std::unique_ptr<PrinterSetupWindow> window;

    SetupRig() {
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        window = std::make_unique<PrinterSetupWindow>(
            model, [this] { ++printed; }, [this] { ++unitChanges; });
    }
    template <class T>
    T* child(const char* name) {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace

class TestPrintCommands : public QObject {
    Q_OBJECT
private slots:
    // A script step's page goes to the printer of "&Print" or into the PDF it was given; never a box.
    void scriptStepPage() {
        const struct {
            bool printer;
            const char* pdf;
            bool checked;         // a trace is checked in the printer setup
            const char* written;  // the file that holds the page, empty for none
            const char* note;     // its start
        } rows[] = {
            {true, "run.pdf", true, "printer.pdf", "Script printout sent to the printer"},
            {false, "run.pdf", true, "run.pdf", "Script printout written to "},
            {false, "no/run.pdf", true, "", "Script printout could not be written"},
            {false, "run.pdf", false, "", "Script printout not made: nothing is checked"},
        };
        for (const auto& row : rows) {
            QTemporaryDir dir;
            test::LinkRig rig;
            SetModelDefaults(rig.model, QStringLiteral("06.12.2026"));
            rig.model.printActual = row.checked;
            test::ScriptedDialogs dialogs;
            PrintCommands commands(rig.model, dialogs, {}, [&row] { return row.printer; });
            // The printer's output is caught in a file.
            commands.printer().setOutputFileName(dir.filePath(QStringLiteral("printer.pdf")));
            ScriptFileActions actions(rig.model, rig.link, {});
            QString shown;
            actions.UsePrinter(commands.AsScriptPrinter(), [&shown](const QString& text) { shown = text; });
            const QString pdf = dir.filePath(QString::fromLatin1(row.pdf));
            actions.Print(pdf, QStringLiteral("run.mes"));
            QCOMPARE(rig.model.fileNames.measurement, QStringLiteral("*.mes"));  // named on the page only

            QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}).join(u' '), row.written);
            QVERIFY2(shown.startsWith(QString::fromLatin1(row.note)), qPrintable(shown));
            if (!row.printer && row.checked) QVERIFY(shown.endsWith(QDir::toNativeSeparators(pdf)));
            QVERIFY(dialogs.messages.isEmpty());
        }
    }

    // Without a printer the page, or the calibration editor's lines, go into a PDF asked for beside the
    // measurement; a box says where, or that it could not be written.
    void withoutPrinter() {
        const struct {
            const char* answer;   // relative to a fresh folder; empty cancels
            const char* message;  // its start, empty for none
        } rows[] = {
            {"run.pdf", "No printer is set up. The page was written to "},
            {"", ""},
            {"missing/run.pdf", "Cannot write file "},
        };
        for (const bool curvePoints : {false, true})
            for (const auto& row : rows) {
                QTemporaryDir dir;
                MeasurementModel model;
                SetModelDefaults(model, QStringLiteral("06.12.2026"));
                model.fileNames.measurement = dir.filePath(QStringLiteral("run.mes"));
                model.fileNames.calibration = dir.filePath(QStringLiteral("run.eic"));
                test::ScriptedDialogs dialogs;
                const QString answer = dir.filePath(QString::fromLatin1(row.answer));
                if (*row.answer) dialogs.saveAnswers.enqueue(answer);
                PrintCommands commands(model, dialogs, {}, [] { return false; });
                if (curvePoints) {
                    commands.PrintLines({QStringLiteral("0100.000 MHz    1.5 dB")});
                } else {  // "&Print" in the printer setup
                    QPointer<QWidget> setup;
                    commands.SetWindowHooks([&setup](QWidget* w) { setup = w; }, {});
                    commands.ShowSetupWindow();
                    setup->findChild<QPushButton*>(QStringLiteral("prok"))->click();
                    delete setup.data();
                }

                QCOMPARE(dialogs.requests.size(), 1);
                QCOMPARE(dialogs.requests[0].initialName, dir.filePath(QStringLiteral("run.pdf")));
                const QByteArray bytes = test::FileBytes(answer);
                QCOMPARE(bytes.startsWith("%PDF"), row.answer == QByteArray("run.pdf"));
                if (!*row.message) {
                    QVERIFY(dialogs.messages.isEmpty());
                    continue;
                }
                QCOMPARE(dialogs.messages.size(), 1);
                QCOMPARE(dialogs.messages[0].text,
                         QString::fromLatin1(row.message) + QDir::toNativeSeparators(answer));
            }
    }
    // A scan's verdict by its closest point: reached fails it, closer than the margin asked passes "with
    // margin below", a boundary off or covering no point of the sweep checks nothing; the report's verdict is
    // its worst scan's.
    void reportVerdicts() {
        const struct {
            double aboveDb;  // the boundary over the trace's flat level; NaN: switched off
            float toMHz;     // where the boundary ends
            const char* verdict;
        } rows[] = {{0.0, 1000.0f, "FAIL"},
                    {2.0, 1000.0f, "PASS with margin below 3 dB"},
                    {10.0, 1000.0f, "PASS"},
                    {qQNaN(), 1000.0f, "NOT CHECKED"},
                    {10.0, 0.01f, "NOT CHECKED"}};
        Report all;
        for (const auto& row : rows) {
            ReportScan scan;
            SetModelDefaults(scan.model, QStringLiteral("06.12.2026"));
            scan.model.traceActual.fill(100);
            const double level = LevelInUnit(scan.model.settings, 100, UNIT_DBM) + row.aboveDb;
            scan.model.settings.limitActual = !std::isnan(row.aboveDb);
            scan.model.boundaryActual.freqMHz[0] = 0.001f;
            scan.model.boundaryActual.freqMHz[1] = row.toMHz;
            scan.model.boundaryActual.levelDbm[0] = scan.model.boundaryActual.levelDbm[1] = float(level);
            Report one{ReportSetup(), {scan}, {}, {}};
            QCOMPARE(VerdictText(OverallVerdict(ReportRows(one)), one.setup.marginDb),
                     QString::fromLatin1(row.verdict));
            all.scans.push_back(scan);
        }
        QCOMPARE(VerdictText(OverallVerdict(ReportRows(all)), 3.0), QStringLiteral("FAIL"));
        all.scans.erase(all.scans.begin());
        QCOMPARE(VerdictText(OverallVerdict(ReportRows(all)), 3.0),
                 QStringLiteral("PASS with margin below 3 dB"));
    }

    // "Report...": a report that cannot be written says so; one written remembers its setup for the next
    // window; a stored measurement that cannot be read is named and nothing is asked or written.
    void reportWindow() {
        QTemporaryDir dir;
        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        test::ScriptedDialogs dialogs;
        const QString setup = dir.filePath(QStringLiteral("TK820-2.report"));
        {
            ReportWindow window(model, dialogs, setup);
            window.findChild<QLineEdit*>(QStringLiteral("reporteut"))->setText(QStringLiteral("Demo board"));
            dialogs.saveAnswers.enqueue(dir.filePath(QStringLiteral("none/r.pdf")));
            dialogs.saveAnswers.enqueue(dir.filePath(QStringLiteral("r.pdf")));
            for (int i = 0; i < 2; ++i)
                window.findChild<QPushButton*>(QStringLiteral("reportwrite"))->click();
        }
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY(dialogs.messages[0].text.startsWith(QStringLiteral("Cannot write file ")));
        QVERIFY(dialogs.messages[1].text.startsWith(QStringLiteral("The report was written to ")));
        QVERIFY(test::FileBytes(dir.filePath(QStringLiteral("r.pdf"))).startsWith("%PDF"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name).join(u' '),
                 QStringLiteral("TK820-2.report r.pdf"));

        ReportWindow again(model, dialogs, setup);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("reporteut"))->text(),
                 QStringLiteral("Demo board"));
        QVERIFY(test::WriteBytes(dir.filePath(QStringLiteral("cut.mes")), "mes5 "));
        dialogs.openAnswers.enqueue(dir.filePath(QStringLiteral("cut.mes")));
        again.findChild<QPushButton*>(QStringLiteral("reportadd"))->click();
        dialogs.requests.clear();
        again.findChild<QPushButton*>(QStringLiteral("reportwrite"))->click();
        QVERIFY(dialogs.requests.isEmpty());
        QCOMPARE(dialogs.messages.last().text,
                 QStringLiteral("Cannot open file ") +
                     QDir::toNativeSeparators(dir.filePath(QStringLiteral("cut.mes"))));
    }

    // Every box toggled, then "Print" stores all and prints; "Cancel" stores all but cursor and settings.
    void setupButtons() {
        for (const bool print : {true, false}) {
            SetupRig r;
            for (QCheckBox* box : r.window->findChildren<QCheckBox*>()) box->click();
            QVERIFY(r.model.printBlackWhite);  // nothing is stored before a button
            r.child<QPushButton>(print ? "prok" : "prcancel")->click();
            QCOMPARE(r.printed, print ? 1 : 0);
            QVERIFY(!r.model.printBlackWhite);
            QVERIFY(!r.model.printDateTime && !r.model.printFileName);
            QVERIFY(r.model.printActual && r.model.printAverage && r.model.printPeak &&
                    r.model.printComparison);
            QVERIFY(r.model.printBoundaryActual && r.model.printBoundaryAverage && r.model.printBoundaryPeak);
            QCOMPARE(r.model.printCursor, print ? 0 : 1);
            QCOMPARE(r.model.printSettings, print ? 0 : 1);
        }
    }

    // A frequency confirmed with Enter is kept within 0 to 3000 MHz and shown again as stored.
    void setupFrequency() {
        const struct {
            bool from;  // "drucklgrn", else "druckrgrn"
            const char* typed;
            float stored;
            const char* shown;
        } rows[] = {{true, "-5", 0.0f, "0"},
                    {false, "4000", 3000.0f, "3000"},
                    {true, "433.92", 433.92f, "433.92"}};  // without binary noise
        for (const auto& row : rows) {
            SetupRig r;
            auto* edit = r.child<QLineEdit>(row.from ? "drucklgrn" : "druckrgrn");
            edit->setText(QString::fromLatin1(row.typed));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(row.from ? r.model.printFromMHz : r.model.printToMHz, row.stored);
            QCOMPARE(edit->text(), QString::fromLatin1(row.shown));
        }
    }

    void setupHeadlineUnitAndHint() {
        SetupRig r;
        QVERIFY(r.child<QRadioButton>("opunit1")->isChecked());
        r.child<QLineEdit>("prtxtüberschr")->setText(QStringLiteral("Site 4"));
        QCOMPARE(r.model.printHeadline.rightTrimmed(), QStringLiteral("Site 4"));
        QCOMPARE(r.model.printHeadline.bytes().size(), 80);
        r.child<QRadioButton>("opunit0")->click();
        QCOMPARE(r.model.settings.levelUnit, 0);
        QCOMPARE(r.unitChanges, 1);
        // The defaults choose nothing to draw: a hint says so until a trace or a boundary is checked.
        auto* hint = r.child<QWidget>("prhint");
        QVERIFY(!hint->isHidden());
        for (const char* name : {"sw", "ckdruckdatum", "chprcursor"}) r.child<QCheckBox>(name)->click();
        QVERIFY(!hint->isHidden());
        r.child<QCheckBox>("prliaver")->click();
        QVERIFY(hint->isHidden());
        r.child<QCheckBox>("prliaver")->click();
        r.child<QCheckBox>("praktuell")->click();
        QVERIFY(hint->isHidden());
        QVERIFY(!r.model.printActual);  // the hint stores nothing
    }
};

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
