#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "FileBytes.h"
#include "LinkRig.h"
#include "PrintCommands.h"
#include "ScriptFileActions.h"

using namespace tk;

class TestPrintCommands : public QObject {
    Q_OBJECT
private slots:
    // A script step's page goes to the printer of "&Print" or into the PDF it was given; never a box.
    void scriptStepPage() {
        const struct {
            bool printer;
            const char* pdf;
            const char* written;  // the file that holds the page, empty for none
            const char* note;     // its start
        } rows[] = {
            {true, "run.pdf", "printer.pdf", "Script printout sent to the printer"},
            {false, "run.pdf", "run.pdf", "Script printout written to "},
            {false, "no/run.pdf", "", "Script printout could not be written"},
        };
        for (const auto& row : rows) {
            QTemporaryDir dir;
            test::LinkRig rig;
            SetModelDefaults(rig.model, QStringLiteral("06.12.2026"));
            test::ScriptedDialogs dialogs;
            PrintCommands commands(rig.model, dialogs, [&row] { return row.printer; });
            // The printer's output is caught in a file.
            commands.printer().setOutputFileName(dir.filePath(QStringLiteral("printer.pdf")));
            ScriptFileActions actions(rig.model, rig.link, {});
            QString shown;
            actions.UsePrinter(commands.AsScriptPrinter(), [&shown](const QString& text) { shown = text; });
            const QString pdf = dir.filePath(QString::fromLatin1(row.pdf));
            actions.Print(pdf);

            QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}).join(u' '), row.written);
            QVERIFY2(shown.startsWith(QString::fromLatin1(row.note)), qPrintable(shown));
            if (!row.printer) QVERIFY(shown.endsWith(QDir::toNativeSeparators(pdf)));
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
                PrintCommands commands(model, dialogs, [] { return false; });
                if (curvePoints)
                    commands.PrintLines({QStringLiteral("0100.000 MHz    1.5 dB")});
                else
                    commands.PrintCommand();

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
};

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
