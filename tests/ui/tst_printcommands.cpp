#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "LinkRig.h"
#include "PrintCommands.h"
#include "Rows.h"
#include "ScriptFileActions.h"
#include "ScriptedDialogs.h"

using namespace tk;

class TestPrintCommands : public QObject {
    Q_OBJECT

private slots:
    void withoutPrinter_data();
    void withoutPrinter();
    void scriptStepPage_data();
    void scriptStepPage();
};

// A script step's page goes to the printer of "&Print" or into the PDF it was given; never a box.
void TestPrintCommands::scriptStepPage_data() {
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("written");  // the file that holds the page, empty for none
    QTest::addColumn<QString>("note");     // its start
    test::Row("on the printer", true, "run.pdf", "printer.pdf", "Script printout sent to the printer");
    test::Row("no printer", false, "run.pdf", "run.pdf", "Script printout written to ");
    test::Row("folder missing", false, "no/run.pdf", "", "Script printout could not be written");
}

void TestPrintCommands::scriptStepPage() {
    QFETCH(bool, printer);
    QFETCH(QString, pdf);
    QFETCH(QString, written);
    QFETCH(QString, note);
    QTemporaryDir dir;
    test::LinkRig rig;
    SetModelDefaults(rig.model, QStringLiteral("06.12.2026"));
    test::ScriptedDialogs dialogs;
    PrintCommands commands(rig.model, dialogs, [printer] { return printer; });
    // The printer's output is caught in a file.
    commands.printer().setOutputFileName(dir.filePath(QStringLiteral("printer.pdf")));
    ScriptFileActions actions(rig.model, rig.link, {});
    QString shown;
    actions.UsePrinter(&commands, [&shown](const QString& text) { shown = text; });
    actions.Print(dir.filePath(pdf));

    const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.pdf")});
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList({written}));
    QVERIFY2(shown.startsWith(note), qPrintable(shown));
    if (!printer) QVERIFY(shown.endsWith(QDir::toNativeSeparators(dir.filePath(pdf))));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPrintCommands::withoutPrinter_data() {
    QTest::addColumn<QString>("answer");  // relative to a fresh folder; empty cancels
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("message");   // its start, empty for none
    QTest::addColumn<bool>("curvePoints");  // the calibration editor's lines instead of the page

    for (const bool points : {false, true}) {
        const char* what = points ? "curve points" : "page";
        QTest::addRow("%s saved", what)
            << "run.pdf" << true << "No printer is set up. The page was written to " << points;
        QTest::addRow("%s cancelled", what) << "" << false << "" << points;
        QTest::addRow("%s folder missing", what)
            << "missing/run.pdf" << false << "Cannot write file " << points;
    }
}

void TestPrintCommands::withoutPrinter() {
    QFETCH(QString, answer);
    QFETCH(bool, written);
    QFETCH(QString, message);
    QFETCH(bool, curvePoints);

    QTemporaryDir dir;
    MeasurementModel model;
    SetModelDefaults(model, QStringLiteral("06.12.2026"));
    model.fileNames.measurement = dir.filePath(QStringLiteral("run.mes"));
    model.fileNames.calibration = dir.filePath(QStringLiteral("run.eic"));
    test::ScriptedDialogs dialogs;
    if (!answer.isEmpty())
        dialogs.saveAnswers.enqueue(dir.filePath(answer));
    else
        dialogs.saveAnswers.enqueue(std::nullopt);

    PrintCommands commands(model, dialogs, [] { return false; });
    if (curvePoints)
        commands.PrintLines({QStringLiteral("0100.000 MHz    1.5 dB")});
    else
        commands.PrintCommand();

    QCOMPARE(dialogs.requests.size(), 1);
    QCOMPARE(dialogs.requests[0].initialName, dir.filePath(QStringLiteral("run.pdf")));
    QCOMPARE(dialogs.requests[0].defaultExtension, QStringLiteral("pdf"));
    QFile file(dir.filePath(answer));
    QCOMPARE(!answer.isEmpty() && file.exists(), written);
    if (written) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(4) == "%PDF");
    }
    if (message.isEmpty()) {
        QVERIFY(dialogs.messages.isEmpty());
    } else {
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages[0].text.startsWith(message), qPrintable(dialogs.messages[0].text));
        QVERIFY(dialogs.messages[0].text.endsWith(QDir::toNativeSeparators(dir.filePath(answer))));
    }
}

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
