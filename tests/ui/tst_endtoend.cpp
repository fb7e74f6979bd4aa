// The program's windows and logic against the in-process emulated interface, in simulated time: search the
// interface, connect, measure, change the display while measuring, print, and run a script that prints.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "EmulatorAppRig.h"
#include "FileBytes.h"

using namespace tk;
using namespace tk::test;

namespace {

struct App : EmulatorAppRig {
    static bool Filled(const TraceArray& t, int points) {
        return std::any_of(t.begin(), t.begin() + points, [](std::int16_t v) { return v != 0; });
    }
};

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    // The toolbar's "Config" finds the interface; "&OK" at 115200 baud and 4000 points connects; fast mode
    // reads the three traces in one tick; a change in the toolbar's "Setup" is drawn at the next tick; and
    // "Print" in the printer setup, where no printer is set up, writes the page into the PDF asked for.
    void searchConnectMeasureAndPrint() {
        App app;
        app.find<QToolButton>("Command2")->click();
        auto* setup = app.find<QWidget>("boxcomcon");
        QVERIFY(setup);
        setup->findChild<QPushButton*>(QStringLiteral("cbautoconfig"))->click();
        QCOMPARE(app.dialogs.messages.value(0).text, QStringLiteral("Analyzer connected Com:  2 Baud: 2400"));
        setup->findChild<QRadioButton*>(QStringLiteral("baud5"))->click();
        setup->findChild<QRadioButton*>(QStringLiteral("res1"))->click();
        setup->findChild<QPushButton*>(QStringLiteral("cbok"))->click();
        QVERIFY(app.window->windowTitle().startsWith(QStringLiteral("TK820-2E V2-68     Interface: V")));
        QCOMPARE(app.port.lineSettings(), QStringLiteral("115200,N,8,1"));

        app.find<QCheckBox>("mdifast")->click();
        app.window->Tick();
        for (const TraceArray* t : {&app.model.traceActual, &app.model.tracePeak, &app.model.traceAverage})
            QVERIFY(App::Filled(*t, 4000));
        QCOMPARE(app.model.invalidTransferCount, 0);

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
        QCOMPARE(app.dialogs.messages.size(), 1);

        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            app.window->action(QStringLiteral("mnuprint"))->trigger();
            const QString pdf = app.home.filePath(QStringLiteral("run.pdf"));
            app.dialogs.saveAnswers.enqueue(pdf);
            app.find<QPushButton>("prok")->click();
            QVERIFY(FileBytes(pdf).startsWith("%PDF"));
        }
    }

    // A script run where no printer is set up: each printing step's page lands in a PDF of its own (a step
    // without a measurement file too), the status bar says where the last one went, and no box waits.
    void scriptPagesWithoutPrinter() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is set up: the pages would go to it");
        App app;
        app.model.printActual = true;
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
        QCOMPARE(QDir(app.home.path()).entryList({QStringLiteral("*.pdf")}).size(), 3);
        const QString note = app.find<QLabel>("scrprint")->text();
        QVERIFY2(note.startsWith(QStringLiteral("Script printout written to ")) &&
                     note.contains(QStringLiteral("emc-step2-")),
                 qPrintable(note));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
