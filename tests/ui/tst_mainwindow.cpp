#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "BoundariesFile.h"
#include "BoundaryEditor.h"
#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "GraphWindow.h"
#include "HelpWindow.h"
#include "LinkRig.h"
#include "LiveStart.h"
#include "MainWindowRig.h"
#include "MeasurementFile.h"
#include "RecordingCanvas.h"
#include "Rows.h"
#include "ScriptFile.h"
#include "SessionRecording.h"
#include "SettingsFile.h"
#include "TraceBlocks.h"

using namespace tk;
using namespace tk::test;

namespace {

// The main window, loaded unless told otherwise.
struct Rig : MainWindowRig {
    explicit Rig(bool load = true) : MainWindowRig(load) {}
    void click(const char* name) { find<QToolButton>(name)->click(); }
    QString path(const char* name) const { return home.filePath(QString::fromLatin1(name)); }
    QString caption(const char* name) { return window.action(QString::fromUtf8(name))->text(); }
    QWidget* frame(const char* name) { return find<QWidget>(name)->parentWidget(); }
    // Answers the file dialog of the command `entry` with `file` of the home folder.
    void load(const char* entry, const char* file) {
        dialogs.openAnswers.enqueue(path(file));
        trigger(entry);
    }
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

using Message = ScriptedDialogs::Message;

// The main window, not loaded, with the graph drawn into a log.
struct CanvasRig : MainWindowRig {
    RecordingCanvas canvas;

    CanvasRig() { window.graph().setCanvas(&canvas); }
    ~CanvasRig() { window.graph().setCanvas(nullptr); }
    QStringList cursorLines(int colour) const {
        return canvas.log.filter(QStringLiteral(" c%1 w1 dotted notxor").arg(colour));
    }
};

QString Cursor(int x, int colour) {
    return QStringLiteral("line %1,0-%1,255 c%2 w1 dotted notxor").arg(x).arg(colour);
}

QStringList Lines(const QPlainTextEdit* text) {
    return text->toPlainText().split(u'\n');
}

void EnterText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Types into the field with the focus; Tab then leaves it, unless told otherwise.
void TypeText(QLineEdit* edit, const QString& text, bool leave = true) {
    edit->setFocus();
    QTest::keyClicks(edit, text);
    if (leave) QTest::keyClick(edit, Qt::Key_Tab);
}

QLineEdit* Field(QWidget* editor, const char* name, int i) {
    return editor->findChild<QLineEdit*>(QString::fromLatin1(name) + QString::number(i));
}

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
        const auto frameOf = [&](const char* name) { return r.frame(name)->geometry(); };
        const QRect graph = frameOf("grafik"), peaks = frameOf("boxpeaks"), waterfall = frameOf("waterfall");
        for (const QRect& frame : {graph, peaks, waterfall}) QVERIFY(area.contains(frame));
        QVERIFY(graph.width() > area.width() / 2 && graph.right() < peaks.left() &&
                graph.top() == peaks.top());
        QVERIFY(waterfall.top() > graph.bottom() && waterfall.top() > peaks.bottom());
        auto* table = r.find<QTableView>("peaktable");
        QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());

        r.frame("boxpeaks")->setGeometry(100, 50, 600, 400);
        r.frame("boxpeaks")->close();
        Rig next;
        QVERIFY(QFile::copy(r.path("TK820-2.windows"), next.path("TK820-2.windows")));
        next.window.resize(1600, 1000);
        next.window.show();
        next.act("mnupeaks")->trigger();
        QCOMPARE(next.frame("boxpeaks")->geometry(), QRect(100, 50, 600, 400));
        // A place that no longer lies in the area (a smaller screen) is not taken.
        next.frame("boxpeaks")->setGeometry(5000, 5000, 600, 400);
        next.frame("boxpeaks")->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        next.act("mnupeaks")->trigger();
        QVERIFY(area.intersects(next.frame("boxpeaks")->geometry()));
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
        r.window.session().FileActions().Print(r.path("step.pdf"), {});
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

    // The file menu's commands, on a window not yet loaded.
    // Each command asks once; cancelling writes nothing and says nothing.
    void cancelledDialogs() {
        for (const char* entry :
             {"mnusetload", "mnusetsave", "mnumessload", "mnumesssave", "mnutabuser", "mnuscriptsave"}) {
            Rig r(false);
            r.trigger(entry);
            QCOMPARE(r.dialogs.requests.size(), 1);
            QVERIFY(r.dialogs.messages.isEmpty());
            QVERIFY2(QDir(r.home.path()).isEmpty(), entry);
        }
    }

    // The save dialog proposes the last settings file chosen to load or save; the load dialog always "*.set".
    void rememberedSettingsName() {
        Rig r(false);
        const QString name = r.path("a.set");
        r.dialogs.saveAnswers.enqueue(name);
        r.trigger("mnusetsave");
        QVERIFY(QFile::exists(name));
        r.trigger("mnusetload");
        r.trigger("mnusetsave");
        QCOMPARE(r.dialogs.requests[1].initialName, QStringLiteral("*.set"));
        QCOMPARE(r.dialogs.requests[2].initialName, name);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // After a load the open control box shows the loaded values, even over a field that held the focus
    // with text not yet confirmed, and every caption names the loaded unit.
    void settingsLoadRefreshesTheWindows() {
        Rig r(false);
        MeasurementModel stored;
        stored.settings.centerFreq = 433.5f;
        stored.settings.userUnitName.set(QStringLiteral("Volt"));
        stored.printActual = true;
        QVERIFY(WriteBytes(r.path("a.set"), WriteSettings(stored)));
        r.window.show();
        r.trigger("mnuprint");
        r.trigger("mnucontrollbox");
        QVERIFY(QTest::qWaitForWindowActive(&r.window));
        auto* centre = r.find<QLineEdit>("centerfreq");
        centre->setFocus();
        QVERIFY(centre->hasFocus());
        centre->selectAll();
        QTest::keyClicks(centre, QStringLiteral("123"));
        const QRect geometry = r.frame("boxcon")->geometry();

        r.load("mnusetload", "a.set");
        QCoreApplication::processEvents();
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.model.settings.centerFreq, 433.5f);
        auto* box = r.find<QWidget>("boxcon");
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->parentWidget()->geometry(), geometry);
        QCOMPARE(r.find<QLineEdit>("centerfreq")->text(), QStringLiteral("433.5"));
        QCOMPARE(r.find<QRadioButton>("Einheit3")->text(), QStringLiteral("Volt"));
        QVERIFY(r.find<QCheckBox>("praktuell")->isChecked());
        QCOMPARE(
            (QStringList{r.caption("mnutabuser"), r.caption("mnuwerteuser"), r.caption("mnugrenzübuser")}),
            QStringList(3, QStringLiteral("Volt").leftJustified(30)));
    }

    // A measurement load shows its lines and unit in the open editors. What the old boundary editor held
    // unconfirmed, a typed frequency with the focus and a "log" box not ticked, is not stored over them.
    void measurementLoadReopensTheEditors() {
        Rig r(false);
        MeasurementModel stored;
        stored.boundaryActual.freqMHz[0] = 30.0f;
        stored.boundaryActual.logSegment[0] = -1;
        stored.settings.userUnitOffset = -97.0f;
        stored.settings.userUnitName.set(QStringLiteral("Volt"));
        QVERIFY(WriteBytes(r.path("m.mes"), WriteMeasurement(stored)));
        r.window.show();
        r.trigger("mnudefuser");
        r.trigger("mnugrenzbox");
        QVERIFY(QTest::qWaitForWindowActive(&r.window));
        TypeText(r.find<QLineEdit>("grenzfreq1"), QStringLiteral("99"), false);

        r.load("mnumessload", "m.mes");
        QCOMPARE(r.find<QLineEdit>("grenzfreq0")->text(), QStringLiteral("30"));
        QCOMPARE(r.find<QLineEdit>("defuserwert")->text(), QStringLiteral("10"));
        QCOMPARE(r.caption("mnutabuser").trimmed(), QStringLiteral("Volt"));
        r.find<QPushButton>("cbgrenzok")->click();
        QCOMPARE(r.model.boundaryActual.freqMHz[1], 0.0f);
        QCOMPARE(r.model.boundaryActual.logSegment[0], std::int16_t(-1));
    }

    // The measurement load closes the link before it asks, and the link stays closed. A whole file or one
    // that ends early is shown in the graph window under its name (the short one with a message) and told
    // as loaded; one refused, or none chosen, opens no graph.
    void measurementLoadResults() {
        for (const int length : {11411, 11000, 4, 0}) {  // 0: the dialog is cancelled
            Rig r(false);
            QSignalSpy loaded(&r.window.session(), &Session::fileLoaded);
            r.port.open(QStringLiteral("x"));
            r.act("mopen")->setChecked(true);
            QVERIFY(WriteBytes(r.path("m.mes"), WriteMeasurement(MeasurementModel()).left(length)));
            if (length > 0) r.dialogs.openAnswers.enqueue(r.path("m.mes"));
            r.trigger("mnumessload");
            QVERIFY(!r.port.isOpen() && !r.act("mopen")->isChecked());
            QCOMPARE(r.dialogs.messages.size(), length == 11000 || length == 4 ? 1 : 0);
            auto* grafik = r.find<QWidget>("grafik");
            QCOMPARE(grafik != nullptr, length > 4);
            QCOMPARE(bool(r.model.graphOpen), length > 4);
            QCOMPARE(loaded.size(), length > 4 ? 1 : 0);
            if (length > 4) QCOMPARE(loaded[0], (QVariantList{"measurement", r.path("m.mes")}));
            if (grafik)
                QVERIFY2(grafik->windowTitle().startsWith(QStringLiteral("m.mes | ")),
                         qPrintable(grafik->windowTitle()));
        }
    }

    // A script load shows the loaded steps in the editor; a file that cannot be opened opens no editor.
    void scriptLoadShowsTheEditor() {
        for (const bool exists : {true, false}) {
            Rig r(false);
            ScriptTable table{};
            table[0].settingsFile.set(QStringLiteral("a.set"));
            if (exists) QVERIFY(WriteBytes(r.path("s.scp"), ScriptBytes(table)));
            r.load("mnuscriptload", "s.scp");
            auto* field = r.find<QLineEdit>("scrset");
            QCOMPARE(field ? field->text() : QStringLiteral("no editor"),
                     exists ? QStringLiteral("a.set") : QStringLiteral("no editor"));
        }
    }

    // A measurement is stored with the day of the save; into a folder that is not there, with a message. The
    // table is written in the user unit.
    void measurementAndTableSave() {
        Rig r(false);
        r.clock.setDate(QStringLiteral("24.12.2030"));
        r.dialogs.saveAnswers << r.path("m.mes") << r.path("missing/m.mes");
        r.trigger("mnumesssave");
        QCOMPARE(r.model.readDate.text(), QStringLiteral("24.12.2030"));
        QVERIFY(QFile::exists(r.path("m.mes")));
        QVERIFY(r.dialogs.messages.isEmpty());
        r.trigger("mnumesssave");
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("File error"), QStringLiteral("File handling")}}));
        r.model.settings.userUnitName.set(QStringLiteral(" Volt "));
        r.dialogs.saveAnswers.enqueue(r.path("t.tab"));
        r.trigger("mnutabuser");
        QCOMPARE(r.model.tableUnit, 3);
        QVERIFY(FileBytes(r.path("t.tab")).startsWith("Frequenz in MHz\tActual in Volt\tAverage in Volt\t"));
    }

    // The window shows the offset from dBm, without the digits of its binary form; "&OK" stores the name cut
    // or padded to 30 characters and the offset from dBuV, and every caption follows. Enter in a field tidies
    // it and stores nothing.
    void userUnitWindow() {
        const struct {
            float before;          // the stored offset from dBuV
            QString shown;         // the offset the window opens with
            QString name, offset;  // typed; none leaves the field as shown
            bool enter;            // Enter in each field instead of "&OK"
            QString storedName;
            float storedOffset;
            int messages;
        } rows[] = {
            {-107.0f, "0", "  dB\u00b5V ", "10", false, "  dB\u00b5V", -97.0f, 0},
            {-107.0f, "0", QString(35, u'n'), "12abc", false, QString(30, u'n'), -95.0f, 0},
            {-107.0f, "0", "\u20acx", "-0.5", false, "?x", -107.5f, 1},  // not in the code page
            {-107.0f, "0", "V", "12.25 dB", true, "User", -107.0f, 0},
            {-97.3f, "9.7", {}, {}, false, "User", -97.3f, 0},
        };
        for (const auto& row : rows) {
            Rig r(false);
            r.model.settings.userUnitOffset = row.before;
            r.window.show();
            r.trigger("mnucontrollbox");
            r.trigger("mnudefuser");
            QPointer<QWidget> box = r.find<QWidget>("boxdefuser");
            QVERIFY(box);
            auto* nameField = r.find<QLineEdit>("defusertxt");
            auto* offsetField = r.find<QLineEdit>("defuserwert");
            QCOMPARE(nameField->text(), QStringLiteral("User").leftJustified(30));
            QCOMPARE(offsetField->text(), row.shown);
            for (const auto& [field, text] :
                 {std::pair{nameField, row.name}, std::pair{offsetField, row.offset}}) {
                if (text.isNull()) continue;
                field->setText(text);
                if (row.enter) QTest::keyClick(field, Qt::Key_Return);
            }
            if (row.enter)
                QCOMPARE(offsetField->text(), QStringLiteral("12.25"));
            else
                r.find<QPushButton>("kok")->click();
            QCOMPARE(box->isVisible(), row.enter);
            QCOMPARE(r.model.settings.userUnitName.text(), row.storedName.leftJustified(30));
            QCOMPARE(r.model.settings.userUnitOffset, row.storedOffset);
            if (!row.enter) {
                QCOMPARE(r.caption("mnuwerteuser"), row.storedName.leftJustified(30));
                QCOMPARE(r.find<QRadioButton>("Einheit3")->text(), row.storedName.trimmed());
            }
            QCOMPARE(r.dialogs.messages.size(), row.messages);
        }
    }

    // The boundary windows: the violation list, the level window and the boundary editor.
    void violationListFromTheMenu() {
        CanvasRig r;
        r.model.settings.attenuation = 100.0f;  // raw 0 is -7 dBm
        r.model.boundaryPeak.freqMHz = {1, 1000};
        r.model.tracePeak[5] = 51;  // 9 dBm at point 5 (10 MHz), over a boundary of 0 dBm
        r.trigger("mnugrenzübuv");
        auto* limbox = r.find<QPlainTextEdit>("limbox");
        QVERIFY(limbox);
        QVERIFY(r.model.limitListOpen);
        QCOMPARE(Lines(limbox).value(5), "->0010.000 MHz - " + QString(32, u' ') + "Pk: 0116.0 dBuV");
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN), QStringList{Cursor(40, COLOUR_LIGHT_GREEN)});

        // The scroll bar moves the marked point and its line on the graph.
        r.canvas.log.clear();
        auto* scroll = r.find<QScrollBar>("vscwertelim");
        QCOMPARE(scroll->minimum(), -5);
        QCOMPARE(scroll->maximum(), 494);
        scroll->setValue(100);
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN),
                 (QStringList{Cursor(40, COLOUR_LIGHT_GREEN), Cursor(840, COLOUR_LIGHT_GREEN)}));
        QVERIFY(Lines(limbox).value(5).startsWith("->0210.000 MHz"));

        // Another unit entry changes the open list.
        scroll->setValue(0);
        r.trigger("mnugrenzübmw");
        QVERIFY(Lines(limbox).value(5).endsWith("Pk: 0009.0 dBm"));

        // A click on the rows and a redraw show the latest traces.
        r.model.tracePeak[5] = 0;
        QTest::mouseClick(limbox->viewport(), Qt::LeftButton);
        QVERIFY(!Lines(limbox).value(5).contains("Pk"));
        r.model.graphOpen = true;
        r.model.tracePeak[5] = 51;
        r.window.graph().RedrawGraph();
        QVERIFY(Lines(limbox).value(5).contains("Pk"));

        // Closing removes the line: it is drawn once more at its place.
        r.canvas.log.clear();
        qobject_cast<QMdiSubWindow*>(r.find<QWidget>("boxlim")->parentWidget())->close();
        QVERIFY(!r.model.limitListOpen);
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_GREEN), QStringList{Cursor(40, COLOUR_LIGHT_GREEN)});
    }

    // After the resolution grows coarser the scroll position is held to the new sweep before it is read.
    void scrollMaximumBeforePosition() {
        CanvasRig r;
        r.model.settings.resolution = 1;
        r.trigger("mnuwerteuser");
        QVERIFY(r.model.levelWindowOpen);
        // The default user unit equals dBm.
        QCOMPARE(Lines(r.find<QPlainTextEdit>("wertebox")).value(5),
                 "->0001.250 MHz - Ac: -107.0 User  Av: -107.0 User  Pk: -107.0 User");
        QCOMPARE(r.cursorLines(COLOUR_LIGHT_RED), QStringList{Cursor(5, COLOUR_LIGHT_RED)});
        auto* scroll = r.find<QScrollBar>("vscwerte");
        scroll->setValue(3000);
        r.model.settings.resolution = 8;
        r.trigger("mnuwertemw");
        QCOMPARE(scroll->maximum(), 494);
        QCOMPARE(r.model.levelCursorX, std::int16_t(3992));
        const QStringList rows = Lines(r.find<QPlainTextEdit>("wertebox"));
        QCOMPARE(rows.size(), 6);
        QVERIFY(rows.last().startsWith("->0998.000 MHz"));
    }

    // A stored -50 dBm at point 2 as each unit shows it, and 10 more typed in that unit stored as 10 dB more;
    // typed values are held to 0..2000 MHz and to +-300 in the shown unit.
    void editorUnitsAndLimits_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<float>("userOffset");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        Row("dBm", 0, -107.0f, "grenzpeg", "-50", "-40", "-40", -40.0f);
        Row("dBpW", 1, -107.0f, "grenzpeg", "40", "50", "50", -40.0f);
        Row("dBuV", 2, -107.0f, "grenzpeg", "57", "67", "67", -40.0f);
        Row("user 10 dB up", 3, -97.0f, "grenzpeg", "-40", "-30", "-30", -40.0f);
        Row("user half down to even", 3, -94.5f, "grenzpeg", "-38", "-28", "-28", -40.0f);  // offset 12
        Row("user half up to even", 3, -93.5f, "grenzpeg", "-36", "-26", "-26", -40.0f);    // offset 14
        Row("user offset beyond 16 bits", 3, 1e9f, "grenzpeg", "32717", "32727", "300", 300.0f - 32767);
        Row("level above 300 dBuV", 2, -107.0f, "grenzpeg", "57", "400", "300", 193.0f);
        Row("level below -300 dBm", 0, -107.0f, "grenzpeg", "-50", "-1000", "-300", -300.0f);
        Row("frequency above 2000", 0, -107.0f, "grenzfreq", "0", "2500", "2000", 2000.0f);
        Row("frequency below 0", 0, -107.0f, "grenzfreq", "0", "-5", "0", 0.0f);
    }
    void editorUnitsAndLimits() {
        QFETCH(int, option);
        QFETCH(float, userOffset);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        MeasurementModel m;
        m.settings.userUnitOffset = userOffset;
        m.boundaryActual.levelDbm[2] = -50.0f;
        BoundaryEditor editor(m);
        // The editor opens on the actual line in dBm.
        QVERIFY(editor.findChild<QButtonGroup*>("seldb")->button(0)->isChecked());
        QVERIFY(editor.findChild<QButtonGroup*>("selgrenz")->button(0)->isChecked());
        editor.findChild<QButtonGroup*>("seldb")->button(option)->click();
        QLineEdit* edit = Field(&editor, qPrintable(field), 2);
        QTEST(edit->text(), "before");
        EnterText(edit, typed);
        QTEST(edit->text(), "shown");
        const BoundaryLine& b = m.boundaryActual;
        QTEST(field == "grenzfreq" ? b.freqMHz[2] : b.levelDbm[2], "stored");
        QVERIFY(m.redrawPending);
    }

    // Enter on a frequency writes back the frequency alone: the row's unsaved tick and level stay for "&OK".
    // Leaving a field stores it; closing by the frame stores nothing that was not confirmed.
    void editorFrequencyLeavesTheRestOfTheRow() {
        MeasurementModel m;
        BoundaryEditor editor(m);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.findChild<QCheckBox*>("grenzver2")->setChecked(true);
        Field(&editor, "grenzpeg", 2)->setText("-33");
        EnterText(Field(&editor, "grenzfreq", 2), "150");
        QCOMPARE(m.boundaryActual.freqMHz[2], 150.0f);
        QVERIFY(editor.findChild<QCheckBox*>("grenzver2")->isChecked());
        QCOMPARE(Field(&editor, "grenzpeg", 2)->text(), QStringLiteral("-33"));
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QCOMPARE(m.boundaryActual.logSegment[2], std::int16_t(-1));
        QCOMPARE(m.boundaryActual.levelDbm[2], -33.0f);

        BoundaryEditor again(m);
        again.show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        TypeText(Field(&again, "grenzfreq", 0), "2500");
        QCOMPARE(m.boundaryActual.freqMHz[0], 2000.0f);
        QCOMPARE(Field(&again, "grenzfreq", 0)->text(), QStringLiteral("2000"));
        TypeText(Field(&again, "grenzpeg", 0), "-20");
        QCOMPARE(m.boundaryActual.levelDbm[0], -20.0f);
        TypeText(Field(&again, "grenzfreq", 3), "77", false);
        again.close();
        QCOMPARE(m.boundaryActual.freqMHz[3], 0.0f);
    }

    // Switching lines stores the shown one first; "&OK" stores the shown one.
    void editorSwitchesLines() {
        MeasurementModel m;
        m.boundaryPeak.freqMHz[0] = 7.0f;
        BoundaryEditor editor(m);
        auto* lines = editor.findChild<QButtonGroup*>("selgrenz");
        Field(&editor, "grenzfreq", 1)->setText("123");  // typed, not yet confirmed
        editor.findChild<QCheckBox*>("grenzver1")->setChecked(true);
        lines->button(2)->click();
        QCOMPARE(m.editBoundaryIndex, std::int16_t(2));
        QCOMPARE(m.boundaryActual.freqMHz[1], 123.0f);
        QCOMPARE(m.boundaryActual.logSegment[1], std::int16_t(-1));
        QCOMPARE(Field(&editor, "grenzfreq", 0)->text(), QStringLiteral("7"));
        QCOMPARE(Field(&editor, "grenzfreq", 1)->text(), QStringLiteral("0"));
        Field(&editor, "grenzpeg", 3)->setText("-12.5");
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QCOMPARE(m.boundaryPeak.levelDbm[3], -12.5f);
        QCOMPARE(m.boundaryActual.freqMHz[1], 123.0f);
        lines->button(0)->click();
        QCOMPARE(Field(&editor, "grenzfreq", 1)->text(), QStringLiteral("123"));
    }

    // Whatever was loaded reads back unchanged from the fields, in any unit and locale.
    void editorOkChangesNothing_data() {
        QTest::addColumn<int>("option");
        QTest::newRow("dBm") << 0;
        QTest::newRow("dBuV") << 2;
        QTest::newRow("user unit 12") << 3;
    }
    void editorOkChangesNothing() {
        QFETCH(int, option);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        MeasurementModel m;
        m.settings.userUnitOffset = -94.5f;
        const std::array<float, 10> values{0.1f,       -50.123456f, 1234.5677f, 1e-7f, 33.333332f,
                                           -299.9999f, 5000.0f,     0.15f,      -0.0f, 1.0000001f};
        for (std::size_t i = 0; i < values.size(); ++i) {
            m.boundaryActual.freqMHz[i] = values[i];
            m.boundaryActual.levelDbm[i] = values[(i + 3) % values.size()];
            m.boundaryActual.logSegment[i] = std::int16_t(i % 3);  // 2 is a set flag too
        }
        const BoundaryLine loaded = m.boundaryActual;
        BoundaryEditor editor(m);
        editor.findChild<QButtonGroup*>("seldb")->button(option)->click();
        QCOMPARE(Field(&editor, "grenzfreq", 0)->text(), QStringLiteral("0.1"));
        editor.findChild<QPushButton*>("cbgrenzok")->click();
        QLocale::setDefault(before);
        QCOMPARE(m.boundaryActual.freqMHz, loaded.freqMHz);
        QCOMPARE(m.boundaryActual.levelDbm, loaded.levelDbm);
        QCOMPARE(m.boundaryActual.logSegment, loaded.logSegment);
    }

    // The file commands: the remembered name, and the editor opened again after a load.
    void fileCommands() {
        CanvasRig r;
        const QString good = r.home.filePath("good.grn");
        const QString other = r.home.filePath("other.set");
        r.model.boundaryAverage.freqMHz[0] = 42.0f;
        r.dialogs.saveAnswers.enqueue(good);
        r.trigger("mnugrenzensave");
        QVERIFY(WriteFileAtomically(other, QByteArray("set4 ").append(196, '\0')));
        r.model.boundaryAverage.freqMHz[0] = 1.0f;

        r.trigger("mnugrenzbox");
        QPointer<QWidget> first = r.find<QWidget>("boxgrenze");
        r.dialogs.openAnswers.enqueue(other);
        r.trigger("mnugrenzenload");
        QCOMPARE(r.dialogs.messages,
                 (QList<ScriptedDialogs::Message>{{"Cannot open file", "File handling"}}));
        QVERIFY(first);  // a refused file changes nothing and reopens nothing

        first->findChild<QButtonGroup*>("selgrenz")->button(1)->click();
        r.dialogs.openAnswers.enqueue(good);
        r.trigger("mnugrenzenload");
        QCOMPARE(r.model.boundaryAverage.freqMHz[0], 42.0f);
        QVERIFY(!first);
        auto* editor = r.find<QWidget>("boxgrenze");
        QCOMPARE(editor->windowTitle(), "Definition of Boundaries   " + good);
        QCOMPARE(r.model.editBoundaryIndex, std::int16_t(0));  // opened anew on the actual line
        r.trigger("mnugrenzensave");                           // cancelled
        QCOMPARE(r.dialogs.requests.last().initialName, good);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
