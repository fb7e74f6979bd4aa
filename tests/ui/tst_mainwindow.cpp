#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "GraphWindow.h"
#include "HelpWindow.h"
#include "LinkRig.h"
#include "LiveStart.h"
#include "MainWindowRig.h"
#include "SessionRecording.h"
#include "TraceBlocks.h"

using namespace tk;
using namespace tk::test;

namespace {

// The main window, loaded unless told otherwise.
struct Rig : MainWindowRig {
    explicit Rig(bool load = true) : MainWindowRig(load) {}
    void click(const char* name) { find<QToolButton>(name)->click(); }
    // Automatic measurement, then fast mode: in the model, the menu and the toolbar, as "111 000".
    QString switches() {
        return QStringLiteral("%1%2%3 %4%5%6")
            .arg(int(model.autoMeasurement))
            .arg(int(act("mnuauto")->isChecked()))
            .arg(int(find<QCheckBox>("mdiauto")->isChecked()))
            .arg(int(model.fastMode))
            .arg(int(act("mnufastmode")->isChecked()))
            .arg(int(find<QCheckBox>("mdifast")->isChecked()));
    }
};

bool Filled(const TraceArray& t) {
    return std::any_of(t.begin() + 1, t.begin() + 501, [](std::int16_t v) { return v != 0; });
}
bool Filled(const MeasurementModel& m) {
    return Filled(m.traceActual) && Filled(m.tracePeak) && Filled(m.traceAverage);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Arranged by the window menu, every child window keeps room for what it shows.
    void arrangedWindowsKeepTheirMinimumSize() {
        for (const char* entry : {"mnuüberlap", "mnuüberein", "mnunebenein"}) {
            Rig r(false);
            r.window.resize(800, 500);
            r.window.show();
            r.window.Load(QString());
            for (const char* name : {"mnucontrollbox", "mnuwertemw", "mnugrenzbox", "mnurefbox"})
                r.act(name)->trigger();
            r.act(entry)->trigger();
            const auto frames = r.window.findChildren<QMdiSubWindow*>();
            QCOMPARE(frames.size(), 5);
            for (const QMdiSubWindow* frame : frames) {
                const QSize need = frame->widget()->minimumSizeHint();
                QVERIFY2(
                    frame->widget()->width() >= need.width() && frame->widget()->height() >= need.height(),
                    qPrintable(QString::fromUtf8(entry) + u' ' + frame->widget()->objectName()));
            }
            QVERIFY(r.window.findChild<GraphWindow*>()->height() >= 200);
            // Tiled, each stays inside the area (in more lines where one would not hold them).
            const QRect area = r.window.findChild<QMdiArea*>()->viewport()->rect();
            if (QByteArray(entry) != "mnuüberlap")
                for (const QMdiSubWindow* frame : frames) {
                    const QRect g = frame->geometry();
                    QVERIFY2(area.contains(g.topLeft()) &&
                                 (g.right() <= area.right() || frame->minimumWidth() > area.width()) &&
                                 (g.bottom() <= area.bottom() || frame->minimumHeight() > area.height()),
                             qPrintable(QString::fromUtf8(entry) + u' ' + frame->widget()->objectName()));
                }
        }
    }

    // "Measurement workspace": the graph large, the peak table beside it with every column in view, the
    // waterfall below, all inside the area; a window opens again where it was last closed, also in the next
    // run.
    void measurementWorkspace() {
        Rig r;
        r.window.resize(1600, 1000);
        r.window.show();
        r.act("mnuarbeitsplatz")->trigger();
        const QRect area = r.window.findChild<QMdiArea*>()->viewport()->rect();
        const auto frameOf = [&](const char* name) {
            return qobject_cast<QMdiSubWindow*>(r.find<QWidget>(name)->parentWidget())->geometry();
        };
        const QRect graph = frameOf("grafik"), peaks = frameOf("boxpeaks"), waterfall = frameOf("waterfall");
        for (const QRect& frame : {graph, peaks, waterfall}) QVERIFY(area.contains(frame));
        QVERIFY(graph.width() > area.width() / 2 && graph.right() < peaks.left() &&
                graph.top() == peaks.top());
        QVERIFY(waterfall.top() > graph.bottom() && waterfall.top() > peaks.bottom());
        auto* table = r.find<QTableView>("peaktable");
        QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());

        auto* frame = qobject_cast<QMdiSubWindow*>(r.find<QWidget>("boxpeaks")->parentWidget());
        frame->setGeometry(100, 50, 600, 400);
        frame->close();
        Rig next;
        QVERIFY(QFile::copy(QDir(r.home.path()).filePath(QStringLiteral("TK820-2.windows")),
                            QDir(next.home.path()).filePath(QStringLiteral("TK820-2.windows"))));
        next.window.resize(1600, 1000);
        next.window.show();
        next.act("mnupeaks")->trigger();
        QCOMPARE(next.find<QWidget>("boxpeaks")->parentWidget()->geometry(), QRect(100, 50, 600, 400));
        // A place that no longer lies in the area (a smaller screen) is not taken.
        next.find<QWidget>("boxpeaks")->parentWidget()->setGeometry(5000, 5000, 600, 400);
        next.find<QWidget>("boxpeaks")->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        next.act("mnupeaks")->trigger();
        QVERIFY(area.intersects(next.find<QWidget>("boxpeaks")->parentWidget()->geometry()));
    }

    // "&Exit" writes the parameter file and sends nothing on a closed port; closing by the frame writes
    // nothing.
    void exitAndClose() {
        Rig r;
        r.window.show();
        r.act("mnuexit")->trigger();
        QVERIFY(!r.window.isVisible());
        QVERIFY(r.port.written.isEmpty());
        QCOMPARE(FileBytes(r.window.parameterFilePath()).left(5), QByteArray("par01"));

        Rig closed;
        closed.window.show();
        closed.window.close();
        QCOMPARE(QFileInfo(closed.window.parameterFilePath()).size(), 0);
    }

    // The line gets its start settings before the start-up sequence, which may start a script that opens
    // the port at its own rate. The graph shows its frame and labels before the first read, and the
    // clipboard gets that picture also after the graph window was closed.
    void startLineGraphAndClipboard() {
        Rig r(false);
        QStringList settingsDuringStartUp;
        r.dialogs.duringMessage = [&] { settingsDuringStartUp = r.port.settingsHistory; };
        r.window.show();  // as the program starts: the window is shown, then loaded
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        r.window.Load(QString());
        const QStringList start{QStringLiteral("2400,N,8,1")};
        QCOMPARE(settingsDuringStartUp, start);
        QCOMPARE(r.port.settingsHistory, start);
        auto* grafik = r.find<GraphWindow>("grafik");
        grafik->repaint();
        const QImage shown = grafik->image();
        QVERIFY(shown.width() > 100);
        bool drawn = false;
        for (int y = 0; y < shown.height() && !drawn; ++y)
            for (int x = 0; x < shown.width() && !drawn; ++x) drawn = shown.pixel(x, y) != shown.pixel(0, 0);
        QVERIFY(drawn);
        QVERIFY(!r.model.graphOpen);
        grafik->parentWidget()->close();
        QGuiApplication::clipboard()->clear();
        r.click("Command7");
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(shown.format()), shown);
        // Closed by the user before any read, the graph stays closed when only a redraw comes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        emit r.window.session().graphChanged();
        QVERIFY(!r.find("grafik"));
    }

    // Each module entry reaches its command, and its mark follows; a failed exchange clears the online mark,
    // and with the port closed the sleeping mark stays.
    void moduleMarksFollowThePort() {
        Rig r;
        QCOMPARE(r.window.windowTitle(), QString::fromLatin1(MAIN_CAPTION));
        QVERIFY(r.act("mnurechen")->isChecked());  // calculating from the start
        r.port.responder = GoodInterface;
        r.act("mopen")->trigger();
        QVERIFY(r.act("mopen")->isChecked() && r.port.isOpen());
        r.act("mnusleep")->trigger();
        QVERIFY(r.act("mnusleep")->isChecked());
        r.act("mnurechen")->trigger();
        QVERIFY(!r.act("mnurechen")->isChecked());
        QCOMPARE(r.port.written, QByteArray("bobpbn"));

        r.port.responder = [](char, int) { return QByteArray(); };
        r.act("mnusleep")->trigger();
        QVERIFY(!r.act("mopen")->isChecked());
        QVERIFY(!r.port.isOpen());
        const bool sleepingMark = r.act("mnusleep")->isChecked();
        r.act("mnusleep")->trigger();
        QCOMPARE(r.act("mnusleep")->isChecked(), sleepingMark);
    }

    void autoAndFastModeStayInStep() {
        Rig r;
        QCOMPARE(r.switches(), QStringLiteral("111 000"));
        r.act("mnuauto")->trigger();
        QCOMPARE(r.switches(), QStringLiteral("000 000"));
        r.act("mnufastmode")->trigger();  // fast mode also switches automatic measurement on
        QCOMPARE(r.switches(), QStringLiteral("111 111"));
        r.act("mnufastmode")->trigger();  // switching it off leaves automatic measurement on
        QCOMPARE(r.switches(), QStringLiteral("111 000"));
        r.find<QCheckBox>("mdiauto")->click();
        QCOMPARE(r.switches(), QStringLiteral("000 000"));
        r.find<QCheckBox>("mdifast")->click();
        QCOMPARE(r.switches(), QStringLiteral("111 111"));
    }

    // "Single" reads the shown traces. "Record...": a file that is no recording is refused with a message; a
    // recording takes every read of the shown traces while the entry is checked, and choosing it again ends
    // it.
    void singleReadsTheShownTracesAndRecords() {
        Rig r;
        r.port.responder = [](char c, int) -> QByteArray {
            if (c == 'a' || c == 's' || c == 'm') return TraceBytes(static_cast<char>(c - 32), 5);
            return GoodInterface(c, 0);
        };
        SessionRecording recording(r.window.session());
        QAction* entry = r.act("mnurecord");
        recording.AttachEntry(entry, r.dialogs);
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath("noise.tkrec"), "no database"));
        r.dialogs.saveAnswers << dir.filePath("noise.tkrec") << dir.filePath("run.tkrec");
        r.dialogs.messages.clear();
        entry->trigger();
        QCOMPARE(r.dialogs.messages.value(0).text,
                 QStringLiteral("noise.tkrec is no recording of this program"));
        QVERIFY(!entry->isChecked() && !recording.recording());
        entry->trigger();
        QVERIFY(entry->isChecked() && recording.recording());
        r.act("mopen")->trigger();
        r.port.written.clear();
        r.click("Command1");
        QCOMPARE(r.port.written, QByteArray("asm"));
        QCOMPARE(recording.written(), 3);
        entry->trigger();
        QVERIFY(!entry->isChecked() && !recording.recording());
        RecordingReader reader;
        QString error;
        QVERIFY(reader.Open(dir.filePath("run.tkrec"), &error));
        QCOMPARE(reader.Count(), 3);
        QCOMPARE(r.switches(), QStringLiteral("000 000"));
        QVERIFY(r.find<QLabel>("uhr")->text().startsWith(QStringLiteral(" Time: ")));
        // The graph window shows the read traces and its caption the read times.
        auto* grafik = r.find("grafik");
        QVERIFY(grafik && r.model.graphOpen);
        QVERIFY(grafik->parentWidget()->windowTitle().startsWith(QStringLiteral("Ac: 10:00:")));

        // "Erase" from the menu restarts the sweep; from the toolbar with the port closed it sends nothing.
        r.port.written.clear();
        r.act("mnulöschen")->trigger();
        QCOMPARE(r.port.written, QByteArray("bf"));
        r.act("mopen")->trigger();
        r.port.written.clear();
        r.click("Command4");
        QVERIFY(r.port.written.isEmpty());
    }

    // A script step's printout is told in the status bar.
    void scriptPrintoutNote() {
        Rig r;
        r.model.printActual = true;
        r.window.session().FileActions().Print(QDir(r.home.path()).filePath(QStringLiteral("step.pdf")), {});
        const QString note = r.find<QLabel>("scrprint")->text();
        QVERIFY2(note.startsWith(QStringLiteral("Script printout ")), qPrintable(note));
    }

    // The comparison curve from the toolbar and from its window: "Pk-m" takes the peak trace's sweep,
    // "Off" and "On" switch it.
    void comparisonCurve_data() {
        QTest::addColumn<QString>("window");       // the menu entry that opens it, none for the toolbar
        QTest::addColumn<QStringList>("buttons");  // take, off, on
        QTest::newRow("toolbar") << QString() << QStringList{"Command10", "Command11", "Command12"};
        QTest::newRow("window") << "mnuboxvergl" << QStringList{"verglpk", "verglaus", "verglein"};
    }
    void comparisonCurve() {
        QFETCH(QString, window);
        QFETCH(QStringList, buttons);
        Rig r;
        if (!window.isEmpty()) r.window.action(window)->trigger();
        const auto click = [&](int i) { r.window.findChild<QAbstractButton*>(buttons[i])->click(); };
        r.model.settings.resolution = 4;
        r.model.tracePeak.fill(9);
        r.model.traceComparison.fill(-1);
        click(0);
        QCOMPARE(r.model.traceComparison[1000], 9);
        QCOMPARE(r.model.traceComparison[1001], -1);
        QVERIFY(r.model.showComparison);
        click(1);
        QVERIFY(!r.model.showComparison);
        r.model.tracePeak.fill(3);
        click(2);
        QVERIFY(r.model.showComparison);
        QCOMPARE(r.model.traceComparison[0], 9);  // "On" copies nothing
    }

    void referenceWindow() {
        Rig r;
        r.window.show();
        r.act("mnurefbox")->trigger();
        auto* boxref = r.find("boxref");
        QVERIFY(boxref);
        auto group = [&](const char* name) {
            return boxref->findChild<QButtonGroup*>(QString::fromLatin1(name));
        };
        QCOMPARE(group("RefAk")->checkedId(), 3);
        group("RefMode")->button(0)->click();
        group("RefAk")->button(1)->click();
        group("Refav")->button(2)->click();
        group("Refpe")->button(0)->click();
        boxref->findChild<QCheckBox*>(QStringLiteral("RefRechnen"))->click();
        const MeasurementModel& m = r.model;
        QCOMPARE((QList<int>{m.refMode, m.refSelActual, m.refSelAverage, m.refSelPeak}),
                 (QList<int>{0, 1, 2, 0}));
        QVERIFY(m.referenceCalcOn);

        r.model.traceActual.fill(4);
        r.model.traceAverage.fill(5);
        r.model.tracePeak.fill(6);
        r.model.refPeak.fill(-2);
        boxref->findChild<QPushButton*>(QStringLiteral("Refdat"))->click();
        QCOMPARE((QList<int>{m.refActual[500], m.refAverage[500], m.refPeak[500], m.refPeak[501]}),
                 (QList<int>{4, 5, 6, -2}));

        // Closed and opened again, the window shows the model as it is now.
        r.model.refMode = 2;
        r.model.referenceCalcOn = false;
        boxref->parentWidget()->close();
        QTest::qWait(0);
        r.click("Command6");
        boxref = r.find("boxref");
        QCOMPARE(group("RefMode")->checkedId(), 2);
        QVERIFY(!boxref->findChild<QCheckBox*>(QStringLiteral("RefRechnen"))->isChecked());
    }

    // The demo's start: on the emulator, with windows, the spectrum is live within two seconds and nothing
    // waits for a click; every other run starts with the port closed and the first start's box, as always.
    void liveStart() {
        const struct {
            QStringList arguments;
            QByteArray parameterFile;  // "-": none
            bool live;
            bool box;
        } rows[] = {
            {{"--emulator"}, "-", true, false},    // first start
            {{"--emulator"}, "", true, false},     // left empty by a start that ended without Exit
            {{"--emulator"}, "junk", true, true},  // a foreign parameter file
            {{"--emulator", "--headless"}, "-", false, true},  // without windows
            {{}, "-", false, true},                            // real ports
        };
        for (const auto& [arguments, parameterFile, live, box] : rows) {
            EmulatorAppRig rig({QStringLiteral("--emu-baud=5")}, EmulatorAppRig::NoWindow{});
            if (parameterFile != "-") QVERIFY(WriteBytes(rig.home.filePath("TK820-2.par"), parameterFile));
            LiveStart liveStart(rig.dialogs, ParseCommandLine(arguments));
            rig.makeWindow(liveStart);
            const auto closeFirst = qScopeGuard([&] { rig.window.reset(); });  // before its dialogs go
            MainWindow& window = *rig.window;
            window.show();

            const double shown = rig.clock.seconds();
            liveStart.Load(window, QString(), 5);
            // Timer1 ticks every 100 ms; a tick's reads take their own time on the line.
            while (rig.clock.seconds() - shown < 2.0 && !Filled(rig.model)) {
                rig.clock.advance(0.1);
                window.Tick();
            }
            QCOMPARE(rig.clock.seconds() - shown <= 2.0, live);
            QCOMPARE(rig.port.isOpen(), live);
            QCOMPARE(Filled(rig.model), live);
            QCOMPARE(window.action(QStringLiteral("mnufastmode"))->isChecked(), live);
            QCOMPARE(rig.dialogs.messages.size(), box ? 1 : 0);
            if (box) QCOMPARE(rig.dialogs.messages[0].text, QStringLiteral("Cannot open file"));
            // Only the start-up's message is kept back; a later load that fails says so.
            liveStart.message(QStringLiteral("Cannot open file"), QStringLiteral("File handling"));
            QCOMPARE(rig.dialogs.messages.size(), box ? 2 : 1);
            auto* info = window.findChild<QLabel*>(QStringLiteral("infotext"));
            QCOMPARE(info != nullptr && info->text() == QString::fromUtf8(FIRST_START_NOTICE), live && !box);
            // Its window shows the whole text.
            if (info) QVERIFY(info->parentWidget()->width() >= info->sizeHint().width());
        }
    }

    // The help window shows the file; the menu entries choose the file of their language.
    void help() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("TK820_2E.hlp"));
        QVERIFY(WriteBytes(path, "<h1>Contents</h1><p>Connecting the interface</p>"));
        QWidget owner;
        HelpWindow help(&owner);
        QVERIFY(!help.ShowContents(QDir(dir.path()).filePath(QStringLiteral("missing.hlp"))));
        QVERIFY(help.ShowContents(path));
        QVERIFY(help.browser()->toPlainText().contains(QStringLiteral("Connecting the interface")));
        // Closing the main window ends the program even while the help is open.
        QVERIFY(!help.browser()->testAttribute(Qt::WA_QuitOnClose));
        Rig r;
        r.act("mnuHelp")->trigger();
        QCOMPARE(r.help.shown.size(), 1);
        QVERIFY(r.help.shown[0].endsWith(QStringLiteral("TK820_2E.hlp")));
        // No help file exists in these directories: a message says so instead of failing silently.
        QCOMPARE(r.dialogs.messages.last().title, QStringLiteral("Help"));

        const QString german = QDir(r.helpDir.path()).filePath(QStringLiteral("TK820_2D.hlp"));
        QVERIFY(WriteBytes(german, "<h1>Hilfe</h1>"));
        const auto before = r.dialogs.messages.size();
        r.act("hlpdeutsch")->trigger();
        QCOMPARE(r.model.parameters.languageIndex, 0);
        QCOMPARE(r.help.shown.last(), german);
        QCOMPARE(r.dialogs.messages.size(), before);
        r.act("hlpenglish")->trigger();
        QCOMPARE(r.model.parameters.languageIndex, 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
