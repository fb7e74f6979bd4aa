#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "PrintCommands.h"
#include "ScriptedDialogs.h"

using namespace tk;

class TestPrintCommands : public QObject {
    Q_OBJECT

private slots:
    void withoutPrinter_data();
    void withoutPrinter();
};

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
