#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "Boundaries.h"
#include "BoundariesFile.h"
#include "BoundaryEditor.h"
#include "BoundaryMargins.h"
#include "CalibrationCommands.h"
#include "CalibrationFile.h"
#include "ControlBox.h"
#include "ControlPortSetup.h"
#include "CurvePoints.h"
#include "Emissions.h"
#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "FileOperations.h"
#include "GraphWindow.h"
#include "HelpWindow.h"
#include "LimitCommands.h"
#include "LinkRig.h"
#include "LiveStart.h"
#include "MainWindowRig.h"
#include "MeasurementFile.h"
#include "MeasurementModel.h"
#include "PeakCommands.h"
#include "PictureExport.h"
#include "PointListWindow.h"
#include "PrintCommands.h"
#include "PrinterSetupWindow.h"
#include "QtUserDialogs.h"
#include "RecordingCanvas.h"
#include "ReplayWindow.h"
#include "Report.h"
#include "ReportWindow.h"
#include "Rows.h"
#include "ScriptFakes.h"
#include "ScriptFile.h"
#include "ScriptFileActions.h"
#include "ScriptWindow.h"
#include "SerialSetup.h"
#include "SessionRecording.h"
#include "SettingsFile.h"
#include "SpectrumGraph.h"
#include "StartScriptDialog.h"
#include "TraceBlocks.h"
#include "Units.h"
#include "WaterfallView.h"
#include "WaterfallWindow.h"

using namespace tk;
using namespace tk::test;
using Message = ScriptedDialogs::Message;
using Ints = QList<int>;

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

const QString kCenter = QStringLiteral("centerfreq");

// Shows the window and makes it the active one, so focus moves as it does for a user.
bool Activate(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

struct BoxRig {
    MeasurementModel model;
    QWidget host;
    ControlBox* box = new ControlBox(model, &host);

    BoxRig() { (new QVBoxLayout(&host))->addWidget(box); }
    bool open() { return Activate(host); }
    QLineEdit* edit(const QString& name) const { return box->findChild<QLineEdit*>(name); }
    QAbstractButton* button(const QString& name) const { return box->findChild<QAbstractButton*>(name); }
    QButtonGroup* group(const char* name) const {
        return box->findChild<QButtonGroup*>(QString::fromUtf8(name));
    }
    // The up or down arrow beside a number field.
    QToolButton* spin(const QString& field, bool up) const {
        static const QHash<QString, QString> pairOf{{"centerfreq", "Spin3"},      {"dämpf", "Spin2"},
                                                    {"rausch", "Spin1"},          {"aktime", "Spinak"},
                                                    {"pktime", "Spinpk"},         {"avtime", "Spinav"},
                                                    {"logstart", "Spinlogstart"}, {"logstop", "Spinlogstop"}};
        auto* pair = box->findChild<QWidget*>(pairOf.value(field));
        return pair ? pair->findChild<QToolButton*>(up ? QStringLiteral("up") : QStringLiteral("down"))
                    : nullptr;
    }
    // Clicks into the field and replaces its text by typing.
    static void type(QLineEdit* e, const QString& text) {
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, text);
    }
};

// The stored value a control stands for; the options of a group share one ("scan7" -> "scan").
double Value(const MeasurementModel& m, QString control) {
    const MeasurementSettings& s = m.settings;
    control.remove(QRegularExpression(QStringLiteral("\\d+$")));
    // clang-format off
    const QHash<QString, double> byControl{
        {"centerfreq", s.centerFreq}, {"dämpf", s.attenuation}, {"rausch", s.noiseSuppression},
        {"aktime", s.actualInterval}, {"pktime", s.peakInterval}, {"avtime", s.averageInterval},
        {"scan", s.scanWidth}, {"Einheit", s.levelUnit}, {"opBW", s.bandwidthIndex},
        {"chVideoFilter", s.videoFilterOn}, {"ckaktuell", s.showActual.raw()}, {"ckpeak", s.showPeak.raw()},
        {"ckaverage", s.showAverage.raw()}, {"cklimak", s.limitActual.raw()}, {"cklimpk", s.limitPeak.raw()},
        {"cklimav", s.limitAverage.raw()}, {"ckeichen", s.calibrationOn.raw()},
        {"cklogfreq", m.frequencyView.logarithmic}, {"logstart", m.frequencyView.startMHz},
        {"logstop", m.frequencyView.stopMHz}};
    // clang-format on
    return byControl.value(control, qQNaN());
}

// Puts `w` into a work area beside another window, lets `change` alter the model while the other one is
// active, and activates the frame of `w` again.
QMdiSubWindow* ActivateAgain(QMdiArea& area, QWidget* w, const std::function<void()>& change) {
    QMdiSubWindow* frame = area.addSubWindow(w);
    QMdiSubWindow* other = area.addSubWindow(new QWidget);
    area.show();
    frame->show();
    other->show();
    area.setActiveSubWindow(other);
    change();
    area.setActiveSubWindow(frame);
    return frame;
}

const char* const kGroups[] = {"com", "baud", "res"};  // port, rate and resolution

struct SerialRig : LinkRig {
    QTemporaryDir dir;
    std::unique_ptr<SerialSetup> window;

    QString mapPath() const { return dir.filePath(QString::fromLatin1(PORT_MAP_FILE_NAME)); }
    // Creates and shows the window, as the menu entry does.
    bool open(const QString& path = {}) {
        window = std::make_unique<SerialSetup>(link, portMap, path.isEmpty() ? mapPath() : path);
        return Activate(*window);
    }
    QAbstractButton* button(const QString& name) const { return window->findChild<QAbstractButton*>(name); }
    QComboBox* device() const { return window->findChild<QComboBox*>(QStringLiteral("device")); }
    // Port, rate and resolution: as selected in the window, and as stored in the model.
    Ints shown() const {
        Ints ids;
        for (const char* g : kGroups)
            ids << window->findChild<QButtonGroup*>(QString::fromLatin1(g))->checkedId();
        return ids;
    }
    Ints stored() const {
        return {model.settings.portNumber, model.settings.baudIndex, model.settings.resolution};
    }
    // Options are clicked on their indicator, push buttons anywhere.
    void click(const QString& name) const {
        QAbstractButton* b = button(name);
        QVERIFY2(b, qPrintable(name));
        const QPoint at = qobject_cast<QRadioButton*>(b) ? QPoint(7, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }
    // Replaces the device of the selected port by typing; returns the field.
    QLineEdit* typeDevice(const QString& text) const {
        BoxRig::type(device()->lineEdit(), text);
        return device()->lineEdit();
    }
    void choose(const Ints& c) const {
        for (int i = 0; i < 3; ++i) click(QString::fromLatin1(kGroups[i]) + QString::number(c[i]));
    }
};

// The printer setup window on its own, counting its calls of "Print" and of a unit change.
struct PrintSetupRig {
    MeasurementModel model;
    int printed = 0;
    int unitChanges = 0;
    std::unique_ptr<PrinterSetupWindow> window;

    PrintSetupRig() {
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        window = std::make_unique<PrinterSetupWindow>(
            model, [this] { ++printed; }, [this] { ++unitChanges; });
    }
    template <class T>
    T* child(const char* name) {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
};

bool InLayout(const QLayout* layout, const QWidget* w) {
    if (!layout) return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w || InLayout(item->layout(), w)) return true;
    }
    return false;
}

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QListWidget*>(w) || qobject_cast<const QTableWidget*>(w) ||
           qobject_cast<const QLabel*>(w);
}

// The controls of a window that break the rules, each with why.
QStringList Faults(QWidget* window) {
    QStringList faults;
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!IsControl(w) || w->isHidden() || w->window() != window->window()) continue;
        // The parts Qt builds inside its own widgets (a spin box's line edit, a table's headers) are not
        // ours.
        if (w->objectName().startsWith(QStringLiteral("qt_")) ||
            qobject_cast<QAbstractSpinBox*>(w->parentWidget()) || qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        if (qobject_cast<QMdiSubWindow*>(w->parentWidget()) ||
            qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
            continue;
        const QString name =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        if (!InLayout(w->parentWidget()->layout(), w)) faults << name + QStringLiteral(" is in no layout");
        if (!w->isVisible()) faults << name + QStringLiteral(" is not shown");
        controls << w;
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            if (controls[i]->parentWidget() == controls[j]->parentWidget() &&
                controls[i]->geometry().intersects(controls[j]->geometry()))
                faults << controls[i]->objectName() + QStringLiteral(" overlaps ") +
                              controls[j]->objectName();
    return faults;
}

struct Editor {
    MeasurementModel model;
    ScriptedDialogs dialogs;
    ScriptWindow window{model, dialogs, {}};
    QLineEdit* edit(const char* name) { return window.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

// A script whose step 0 shows a message and ends (no delay); written as a file, or with another tag.
QString WriteScript(const QTemporaryDir& dir, const char* name, const char* message,
                    const char* tag = "scp1 ") {
    ScriptTable table{};
    table[0].messageText.set(QString::fromLatin1(message));
    QByteArray bytes = ScriptBytes(table);
    bytes.replace(0, 5, tag);
    const QString path = dir.filePath(QString::fromLatin1(name));
    WriteBytes(path, bytes);
    return path;
}

struct CurveEditorApp : EmulatorAppRig {
    using EmulatorAppRig::EmulatorAppRig;
    QWidget* editor() {
        trigger("mnuboxeich");
        return find("boxeich");
    }
    QStringList listLines() {
        QStringList lines;
        auto* list = find<QListWidget>("lsteich");
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
    void enter(const QString& freq, const QString& offset) {
        find<QLineEdit>("eichfreq")->setText(freq);
        find<QLineEdit>("eichpeg")->setText(offset);
        QTest::keyClick(find<QLineEdit>("eichpeg"), Qt::Key_Return);
    }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    void select(int row) { find<QListWidget>("lsteich")->setCurrentRow(row); }
};

// 0..30 MHz at 500 points (0.06 MHz a point) with the class B limits loaded and switched off; the
// emulator's strongest carrier stands at 3.9 MHz, point 65, above the quasi-peak limit there.
struct PeakApp : EmulatorAppRig {
    QTemporaryDir captures;

    PeakApp() {
        model.settings.baudIndex = 5;
        model.settings.resolution = 8;
        model.settings.centerFreq = 15.0f;
        model.settings.scanWidth = 3.0f;
        model.settings.limitActual = model.settings.limitAverage = model.settings.limitPeak = false;
        QFile limits(QStringLiteral(TK_SOURCE_DIR "/examples/limits/cispr32-class-b-mains.grn"));
        if (limits.open(QIODevice::ReadOnly)) LoadBoundaries(limits.readAll(), model);
        window->link().ConnectInterface();
        model.autoMeasurement = false;
        trigger("mnupeaks");
    }
    QTableView* table() { return find<QTableView>("peaktable"); }
    QString cell(int row, int column) { return table()->model()->index(row, column).data().toString(); }
    void single() {
        clock.advance(1.0);
        find<QToolButton>("Command1")->click();
    }
    void enableCapture(const QString& folder) {
        find<QLineEdit>("peakfolder")->setText(folder);
        find<QCheckBox>("peakcapture")->setChecked(true);
    }
    QStringList captured() const { return QDir(captures.path()).entryList(QDir::Files, QDir::Name); }
    QString information() {
        auto* box = find<QMdiSubWindow>("infobox");
        return box && box->isVisible() ? box->findChild<QLabel*>(QStringLiteral("infotext"))->text()
                                       : QString();
    }
};

struct WaterfallApp : EmulatorAppRig {
    WaterfallWindow* waterfall = nullptr;
    WaterfallApp() {
        trigger("mnuwaterfall");
        waterfall = find<WaterfallWindow>("waterfall");
        trigger("mopen");
    }
    void single() {
        clock.advance(5.0);
        find<QToolButton>("Command1")->click();
    }
    QString status() { return find<QLabel>("wfstatus")->text(); }
};

// The main window on the emulated interface at 2400 baud, where a trace of 4000 points takes about 17 s of
// simulated time. connect() brings it online at the given resolution, the actual trace alone and no
// automatic measurement, and starts the test's count of time with the interface's log empty.
struct LiveRig : EmulatorAppRig {
    double start = 0.0;
    explicit LiveRig(const QStringList& emulatorArgs = {}) : EmulatorAppRig(emulatorArgs) {
        window->EnableLiveWaits(false);  // the busy pointer; the window's events are stood in for
    }
    void connect(int resolution) {
        model.settings.resolution = static_cast<std::int16_t>(resolution);
        model.settings.showPeak = model.settings.showAverage = false;
        model.autoMeasurement = false;
        window->SetAutoMeasurementChecked(false);
        window->link().ConnectInterface();
        clock.advance(1.0);
        emulator.forgetReceived();
        start = clock.seconds();
    }
    QByteArray received() const { return emulator.device().received(); }
    double since() { return clock.seconds() - start; }
    void single() { find<QToolButton>("Command1")->click(); }
    int pointsRead() const {
        int n = 0;
        while (n < 4001 && model.traceActual[static_cast<std::size_t>(n)] != 0) ++n;
        return n;
    }
};

// The window's events are stood in for by `during`, which runs in every wait of the line.
struct LiveRead : LiveRig {
    std::function<void(double sinceStart)> during;
    QByteArray writtenWhileReading;  // what the interface got from the first request to that read's end
    bool firstReadOver = false;

    explicit LiveRead(const QStringList& emulatorArgs = {}, int resolution = 1) : LiveRig(emulatorArgs) {
        window->link().Line().SetPump([this] {
            firstReadOver = firstReadOver || model.blockIndex >= 40;
            if (model.actualBusy && !firstReadOver) writtenWhileReading = received();
            if (during) during(since());
        });
        connect(resolution);
    }
    // Runs f once, the first time the read has gone on for at least `at` seconds.
    void once(double at, std::function<void()> f) {
        during = [at, f, done = false](double t) mutable {
            if (done || t < at) return;
            done = true;
            f();
        };
    }
};

// The line on the event loop, as the program runs it, in simulated time: each wait of an exchange returns to
// the event loop, and the port's own wait passes the simulated time.
struct OnEventLoop : LiveRig {
    OnEventLoop() {
        window->session().RunLineOnEventLoop(true);
        window->session().Timer().stop();  // ticks are given by the test
        connect(1);
    }
    // Runs the event loop until `step`, called every time round with the simulated seconds since the
    // start, says so.
    void RunUntil(const std::function<bool(double)>& step) {
        bool done = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] { done = done || step(since()); });
        poll.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    }
};

// The actual trace carries a spike at point 250 in its reads 2, 3, 5 and 6 of six, over the actual boundary.
constexpr int READS = 6;
bool SpikeIn(int read) {
    return read == 2 || read == 3 || read >= 5;
}

QByteArray Trace(char header, bool spike) {
    QByteArray t;
    for (int n = 0; n < 5; ++n) {
        t.append(header).append(char(n));
        for (int k = 0; k < 100; ++k) t.append(char(spike && n * 100 + k == 250 ? 220 : 50 + k % 3));
    }
    return t;
}

BoundaryTrace BoundaryFor(RecordedTrace t) {
    return t == RecordedTrace::Actual ? BoundaryTrace::Actual
           : t == RecordedTrace::Peak ? BoundaryTrace::Peak
                                      : BoundaryTrace::Average;
}

struct Shown {
    RecordedTrace trace;
    TraceArray levels;
    std::vector<PeakRow> violating;
};

struct Campaign : MainWindowRig {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("run.tkrec"));
    std::vector<Shown> live;

    Campaign() : MainWindowRig(true) {
        int actualReads = 0;
        port.responder = [&actualReads](char c, int) -> QByteArray {
            if (c == 'a') return Trace('A', SpikeIn(++actualReads));
            if (c == 's' || c == 'm') return Trace(static_cast<char>(c - 32), false);
            return GoodInterface(c, 0);
        };
        model.boundaryActual =
            BoundaryOf(QStringLiteral("1:%1 999:%1").arg(LevelInUnit(model.settings, 150, 1)));
        model.settings.limitActual = true;
        SessionRecording recording(window.session());
        QString error;
        QVERIFY2(recording.Start(file, &error), qPrintable(error));
        // Heard after the recording has written the read: the model as the live graph showed it.
        QObject::connect(&window.session(), &Session::traceRead, &window, [this](TraceKind kind) {
            const RecordedTrace t = kind == TraceKind::Actual ? RecordedTrace::Actual
                                    : kind == TraceKind::Peak ? RecordedTrace::Peak
                                                              : RecordedTrace::Average;
            live.push_back({t, TraceOf(model, BoundaryFor(t)), ViolatingEmissions(model, BoundaryFor(t))});
        });
        // The same boundaries stored and loaded again: a load among the events, the violations unchanged.
        const QString limits = dir.filePath(QStringLiteral("limits.grn"));
        dialogs.saveAnswers << limits;
        dialogs.openAnswers << limits;
        window.session().BoundaryFiles().SaveCommand();
        window.session().BoundaryFiles().LoadCommand();
        trigger("mopen");
        for (int i = 0; i < READS; ++i) {
            window.findChild<QToolButton*>(QStringLiteral("Command1"))->click();  // "Single"
            clock.advance(4.0);
        }
        recording.Stop();
    }
};

QString Violations(const std::vector<PeakRow>& rows) {
    QStringList shown;
    for (const PeakRow& r : rows)
        shown << QStringLiteral("%1 %2 %3").arg(r.frequencyMHz).arg(r.level).arg(r.marginDb.value_or(99));
    return shown.join(u';');
}

}  // namespace

class TestUi : public QObject {
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

    // A click on an option stores its value at once and, where the graph shows it, asks for a redraw; the
    // window's own paint keeps the click.
    void clicksStore() {
        BoxRig r;
        QVERIFY(r.open());
        QStringList shown;
        for (const char* name :
             {"scan1", "scan9", "scan11", "scan10", "opBW2", "chVideoFilter", "Einheit0", "Einheit3",
              "ckaktuell", "ckpeak", "ckaverage", "cklimak", "cklimpk", "cklimav", "ckeichen", "cklogfreq"}) {
            r.model.redrawPending = false;
            QAbstractButton* b = r.button(QString::fromLatin1(name));
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));  // on the indicator
            r.box->repaint();
            shown << QStringLiteral("%1 %2%3 %4")
                         .arg(QString::fromLatin1(name), QString::number(Value(r.model, name)),
                              r.model.redrawPending ? QStringLiteral(" redraw") : QString(),
                              b->isChecked() ? QStringLiteral("on") : QStringLiteral("off"));
        }
        // The calibration applies to the next trace read, not to what is drawn.
        QCOMPARE(
            shown.join(u';'),
            QStringLiteral("scan1 50 redraw on;scan9 0.1 redraw on;scan11 0.05 redraw on;scan10 0 redraw on;"
                           "opBW2 2 on;chVideoFilter 1 on;Einheit0 0 redraw on;Einheit3 3 redraw on;"
                           "ckaktuell 0 redraw off;ckpeak 0 redraw off;ckaverage 0 redraw off;"
                           "cklimak -1 redraw on;cklimpk -1 redraw on;cklimav -1 redraw on;ckeichen -1 on;"
                           "cklogfreq 1 redraw on"));
        QCOMPARE(
            r.button(QStringLiteral("scan10"))->text() + u'|' + r.button(QStringLiteral("scan11"))->text(),
            QStringLiteral("ZERO SCAN|0.05 MHz"));
    }

    // Activated again in the work area, the window shows what a file or another window changed meanwhile.
    void activationShowsTheModel() {
        MeasurementModel model;
        QMdiArea area;
        auto* box = new ControlBox(model);
        ActivateAgain(area, box, [&] { model.settings.centerFreq = 777.5f; });
        QCOMPARE(box->findChild<QLineEdit*>(kCenter)->text(), QStringLiteral("777.5"));
    }

    void repaintShowsTheModel() {
        BoxRig r;
        QVERIFY(r.open());
        QLineEdit* center = r.edit(kCenter);
        BoxRig::type(center, QStringLiteral("1234"));
        // The field's own paints while typing leave the text alone.
        center->repaint();
        QCOMPARE(center->text(), QStringLiteral("1234"));
        MeasurementSettings& s = r.model.settings;
        s.centerFreq = 123.25f;
        s.scanWidth = 0.2f;
        s.levelUnit = 3;
        s.userUnitName.set(QStringLiteral("  dBA"));
        s.videoFilterOn = 1;
        s.showPeak = false;
        s.limitActual = s.limitAverage = true;
        s.bandwidthIndex = 1;
        r.box->repaint();
        // Typed text that was not confirmed is replaced; leaving the field then keeps the stored value.
        QCOMPARE(center->text(), QStringLiteral("123.25"));
        QTest::keyClick(center, Qt::Key_Tab);
        QCOMPARE(s.centerFreq, 123.25f);
        QCOMPARE(r.group("scan")->checkedId(), 8);
        QCOMPARE(r.group("Einheit")->checkedId(), 3);
        QCOMPARE(r.button(QStringLiteral("Einheit3"))->text(), QStringLiteral("dBA"));
        QVERIFY(r.button(QStringLiteral("chVideoFilter"))->isChecked());
        QVERIFY(!r.button(QStringLiteral("ckpeak"))->isChecked());
        QVERIFY(r.button(QStringLiteral("cklimak"))->isChecked() &&
                r.button(QStringLiteral("cklimav"))->isChecked());
        QCOMPARE(r.group("opBW")->checkedId(), 1);
        QVERIFY(!r.model.redrawPending);
        auto* note = r.box->findChild<QLabel*>(QStringLiteral("scannote"));
        QVERIFY(note->isHidden());
        // A width that no option stands for leaves every option unselected, and the setup says so.
        s.scanWidth = 3.0f;
        r.box->repaint();
        QCOMPARE(r.group("scan")->checkedId(), -1);
        QVERIFY(!note->isHidden());
        QCOMPARE(note->text(), QStringLiteral("3 MHz per division is no width of the analyzer"));
        // A logarithmic view without a usable start and stop says so (the graph stays linear).
        auto* logNote = r.box->findChild<QLabel*>(QStringLiteral("lognote"));
        r.model.frequencyView = {true, 30.0f, 0.15f};
        r.box->repaint();
        QVERIFY(r.button(QStringLiteral("cklogfreq"))->isChecked() && !logNote->isHidden());
        r.model.frequencyView.stopMHz = 300.0f;
        r.box->repaint();
        QVERIFY(logNote->isHidden());
    }

    void numberFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");    // pressed after typing, unless 0
        QTest::addColumn<int>("steps");  // then the arrows: up when positive, down when negative
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("redraw");
        constexpr int E = Qt::Key_Return, K = Qt::Key_Enter, T = Qt::Key_Tab;
        // Typed: the leading number, whole in the intervals, held to the typed range.
        Row("center 3500 enter", "centerfreq", "3500", E, 0, 3000.0, true);
        Row("center 3500 leave", "centerfreq", "3500", T, 0, 3000.0, false);
        Row("attenuation below", "dämpf", "-100", E, 0, -80.0, true);
        Row("attenuation above, leave", "dämpf", "95", T, 0, 80.0, true);
        Row("noise below, leave", "rausch", "-3", T, 0, 0.0, true);
        Row("noise above, keypad enter", "rausch", "81", K, 0, 80.0, true);
        Row("interval 3.5", "pktime", "3.5", E, 0, 4.0, false);
        Row("interval zero, leave", "pktime", "0", T, 0, 1.0, false);
        Row("interval above, leave", "avtime", "40000", T, 0, 30000.0, false);
        // Spun: a step from the stored value, held to the spin range; unconfirmed text is taken first.
        Row("center up past 3000", "centerfreq", "3000", E, 1, 3001.0, true);
        Row("center up to 20000", "centerfreq", "3000", E, 17001, 20000.0, true);
        Row("attenuation up at 80", "dämpf", "80", E, 1, 80.0, true);
        Row("attenuation down at -80", "dämpf", "-80", E, -1, -80.0, true);
        Row("attenuation fraction", "dämpf", "2.5", E, 1, 3.5, true);
        Row("attenuation unconfirmed, up", "dämpf", "10", 0, 1, 11.0, true);
        Row("noise down at 0", "rausch", "0", E, -1, 0.0, true);
        Row("noise up at 80", "rausch", "80", E, 1, 80.0, true);
        Row("actual down at 1", "aktime", "1", E, -1, 1.0, false);
        Row("peak up at 30000", "pktime", "30000", E, 1, 30000.0, false);
        Row("view start", "logstart", "0.5", E, 0, 0.5, true);
        Row("view stop above, leave, up", "logstop", "4000", T, 1, 3001.0, true);
    }
    void numberFields() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, steps);
        QFETCH(double, stored);
        BoxRig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(field);
        QToolButton* arrow = r.spin(field, steps > 0);
        QVERIFY(e && arrow);
        BoxRig::type(e, typed);
        if (key) QTest::keyClick(e, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        for (int i = 0; i < std::abs(steps); ++i) QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(Value(r.model, field), stored);
        QCOMPARE(e->text(), QString::number(stored));
        QTEST(bool(r.model.redrawPending), "redraw");
        // Passing through the field keeps the value, with no redraw; Enter applies the typed range.
        r.model.redrawPending = false;
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(Value(r.model, field), stored);
        QVERIFY(!r.model.redrawPending);
        if (stored > 3000.0 && !field.endsWith(QStringLiteral("time"))) {  // centre and view stop
            QTest::mouseClick(e, Qt::LeftButton);
            QTest::keyClick(e, Qt::Key_Return);
            QCOMPARE(Value(r.model, field), 3000.0);
        }
    }

    // The serial interface's setup window.
    void buttons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Ints>("choice");  // port, rate and resolution clicked
        QTest::addColumn<Ints>("stored");
        QTest::addColumn<QString>("settings");  // of the line, when connected
        QTest::addColumn<QByteArray>("written");
        Row("&Cancel", QString("cbcancel"), Ints{3, 4, 2}, Ints{2, 1, 8}, QString(), QByteArray());
        // "&OK": rate switch, version, online, then resolution, online, calculating.
        Row("&OK", QString("cbok"), Ints{3, 3, 4}, Ints{3, 3, 4}, QString("19200,N,8,1"),
            QByteArray("i3bvbobebobr"));
        // "&Init ser. I/F": the interface already runs at the rate; version, online and the resolution.
        Row("&Init ser. I/F", QString("cbinitport"), Ints{1, 4, 1}, Ints{1, 4, 1}, QString("38400,N,8,1"),
            QByteArray("bvbobc"));
    }
    void buttons() {
        QFETCH(QString, button);
        QFETCH(Ints, choice);
        QFETCH(Ints, stored);
        QFETCH(QString, settings);
        SerialRig r;
        r.port.responder = GoodInterface;
        r.model.moduleSleeping = true;
        ParameterFields& p = r.model.parameters;
        p.replyTimeout = p.settleDelay = 0;
        p.traceTimeout = 7;  // left alone; 0 would become 20
        QVERIFY(r.open());
        // Zero timing values are repaired on opening.
        QCOMPARE((Ints{p.replyTimeout, p.traceTimeout, p.settleDelay}), (Ints{1, 7, 2}));
        r.choose(choice);
        // A clicked option's own paint keeps the click.
        QAbstractButton* rate = r.button(QStringLiteral("baud%1").arg(choice[1]));
        rate->repaint();
        QCOMPARE(r.shown(), choice);
        r.click(button);
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.stored(), stored);
        QTEST(r.port.written, "written");
        const bool connects = !settings.isEmpty();
        QCOMPARE(r.port.openedDevices,
                 connects ? QStringList{PortMap::defaultDevice(choice[0])} : QStringList());
        QCOMPARE(r.port.isOpen() && r.view.online && !r.model.moduleSleeping, connects);
        QCOMPARE(connects ? r.port.lineSettings() : QString(), settings);
        if (connects)
            QVERIFY(settings.startsWith(rate->text() + QLatin1Char(',')));  // the rate shown is the rate used
        QVERIFY(r.dialogs.messages.isEmpty() && !QApplication::overrideCursor());
        // Opened again, the window shows the model's choice.
        r.window->show();
        QCOMPARE(r.shown(), stored);
    }

    // The window shows what the search tries, then the found choice (also repainted) or, after a fruitless
    // search, the model's; the model waits for "&OK", which takes what is shown and connects.
    void autoConfigShowsTheFoundChoiceUntilOk_data() {
        QTest::addColumn<bool>("present");  // the interface, on COM2 at 19200 baud
        QTest::addColumn<QString>("lastTried");
        QTest::addColumn<Ints>("shown");
        QTest::newRow("found") << true << "Trying COM2 at 19200 baud ..." << Ints{2, 3, 8};
        QTest::newRow("not found") << false << "Trying COM4 at 115200 baud ..." << Ints{2, 1, 8};
    }
    void autoConfigShowsTheFoundChoiceUntilOk() {
        QFETCH(bool, present);
        QFETCH(Ints, shown);
        SerialRig r;
        QVERIFY(r.open());
        auto* label = r.window->findChild<QLabel*>(QStringLiteral("lbprogress"));
        QVERIFY(label);
        QString progress;  // what the window showed at the last question
        r.port.responder = [&](char c, int) -> QByteArray {
            if (c == 'i') progress = label->text();
            const bool there = present && r.port.openedDevices.last() == QStringLiteral("/dev/ttyS1") &&
                               r.port.lineSettings().startsWith(QStringLiteral("19200,"));
            return there ? GoodInterface(c, 0) : QByteArray();
        };
        r.click(QStringLiteral("cbautoconfig"));
        QTEST(progress, "lastTried");
        QVERIFY(!QApplication::overrideCursor() && label->text().isEmpty());
        QVERIFY(r.window->isVisible());
        r.window->repaint();
        QCOMPARE(r.shown(), shown);
        QCOMPARE(r.stored(), (Ints{2, 1, 8}));
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.stored(), shown);
        QVERIFY(r.port.isOpen());
    }

    // In the work area: activated again, the window shows what changed in the model meanwhile; "&Cancel"
    // closes its frame.
    void inTheWorkArea() {
        SerialRig r;
        QMdiArea area;
        auto* w = new SerialSetup(r.link, r.portMap, r.mapPath());
        QPointer<QMdiSubWindow> frame = ActivateAgain(area, w, [&] {
            r.model.settings.portNumber = 3;
            r.model.settings.resolution = 2;
        });
        frame->setAttribute(Qt::WA_DeleteOnClose);
        QCOMPARE(w->findChild<QButtonGroup*>(QStringLiteral("com"))->checkedId(), 3);
        QCOMPARE(w->findChild<QButtonGroup*>(QStringLiteral("res"))->checkedId(), 2);
        QTest::mouseClick(w->findChild<QAbstractButton*>(QStringLiteral("cbcancel")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frame.isNull());
    }

    void deviceChoiceIsStoredAndSaved_data() {
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<bool>("saveable");
        QTest::newRow("by Enter") << true << true;
        QTest::newRow("on leaving the field") << false << true;
        QTest::newRow("file cannot be written") << true << false;
    }
    void deviceChoiceIsStoredAndSaved() {
        QFETCH(bool, byEnter);
        QFETCH(bool, saveable);
        SerialRig r;
        QVERIFY(WriteBytes(r.mapPath(), "COM1=/dev/ttyUSB0\n"));
        r.portMap.load(r.mapPath());
        r.portMap.set(4, QStringLiteral("emulator"));  // for this run only
        QVERIFY(r.open(saveable ? r.mapPath() : r.dir.filePath(QStringLiteral("missing/map"))));
        QCOMPARE(r.button(QStringLiteral("com4"))->text(), QStringLiteral("COM4 (emulator)"));
        r.click(QStringLiteral("com3"));
        QCOMPARE(r.device()->currentText(), QStringLiteral("/dev/ttyS2"));
        QLineEdit* edit = r.typeDevice(QStringLiteral("/dev/ttyUSB7"));
        if (byEnter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            r.click(QStringLiteral("baud2"));  // the focus leaves the field
        QCOMPARE(r.portMap.deviceFor(3), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(r.button(QStringLiteral("com3"))->text(), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(FileBytes(r.mapPath()),
                 QByteArray("COM1=/dev/ttyUSB0\n") + (saveable ? "COM3=/dev/ttyUSB7\n" : ""));
        const Message fileError{QStringLiteral("File error"), QStringLiteral("File handling")};
        QCOMPARE(r.dialogs.messages, saveable ? QList<Message>() : QList<Message>{fileError});
        // Each port option shows its own device; "&OK" opens the one chosen.
        r.click(QStringLiteral("com1"));
        QCOMPARE(r.device()->currentText(), QStringLiteral("/dev/ttyUSB0"));
        r.click(QStringLiteral("com3"));
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyUSB7")});
    }

    void deviceLineNamesDeniedAccess() {
        SerialRig r;
        r.port.deniedDevices = QStringList{QStringLiteral("/dev/ttyS0")};
        QVERIFY(r.open());
        auto* access = r.window->findChild<QLabel*>(QStringLiteral("lbdeviceaccess"));
        QVERIFY(access && access->isHidden());  // COM2, /dev/ttyS1, is open to the user
        r.click(QStringLiteral("com1"));
        QVERIFY(access->isVisible());
        QVERIFY(access->text().startsWith(QStringLiteral("Access to /dev/ttyS0 denied")));
        // Another device for the port: the line no longer says so.
        QTest::keyClick(r.typeDevice(QStringLiteral("/dev/ttyUSB0")), Qt::Key_Return);
        QVERIFY(access->isHidden());
    }

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
            PrintSetupRig r;
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
            PrintSetupRig r;
            auto* edit = r.child<QLineEdit>(row.from ? "drucklgrn" : "druckrgrn");
            edit->setText(QString::fromLatin1(row.typed));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(row.from ? r.model.printFromMHz : r.model.printToMHz, row.stored);
            QCOMPARE(edit->text(), QString::fromLatin1(row.shown));
        }
    }

    void setupHeadlineUnitAndHint() {
        PrintSetupRig r;
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

    // The picture's kind by its name's extension in any case; a graph never drawn has no picture to write.
    // What a picture holds, and a file that cannot be written, are tst_convert's.
    void save() {
        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        const auto draw = [&](Canvas& canvas) { RedrawGraph(model, canvas, {}); };
        QTemporaryDir dir;
        const QString svg = dir.filePath(QStringLiteral("graph.SVG"));
        QVERIFY(SaveGraphPicture(svg, QImage(320, 200, QImage::Format_RGB32), draw));
        QVERIFY(test::FileBytes(svg).contains("<svg"));
        const QString empty = dir.filePath(QStringLiteral("empty.png"));
        QVERIFY(!SaveGraphPicture(empty, QImage(), draw));
        QVERIFY(!QFile::exists(empty));
    }

    // tk820-convert draws a measurement exactly as the graph window shows it, pixel for pixel, in the
    // linear and in the logarithmic view.
    void converterDrawsTheWindowsPicture_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("logarithmic");
        QTest::newRow("linear") << QStringList{} << false;
        QTest::newRow("logarithmic") << QStringList{"--log-frequency", "0.15,30"} << true;
    }
    void converterDrawsTheWindowsPicture() {
        QFETCH(QStringList, options);
        QFETCH(bool, logarithmic);
        MeasurementModel written;
        SetModelDefaults(written, QStringLiteral("06.12.2026"));
        written.settings.centerFreq = 25.0f;
        written.settings.scanWidth = 5.0f;
        written.settings.limitActual = true;
        written.boundaryActual = test::BoundaryOf("0.15:-41L 0.5:-51 30:-47", 1);
        for (int i = 0; i <= 500; ++i) {
            written.traceActual[i] = std::int16_t(90 + (i * 37) % 50);
            written.tracePeak[i] = std::int16_t(written.traceActual[i] + 20);
            written.traceAverage[i] = std::int16_t(written.traceActual[i] - 20);
        }
        QTemporaryDir dir;
        const QString mes = dir.filePath(QStringLiteral("m.mes"));
        const QString png = dir.filePath(QStringLiteral("m.png"));
        QVERIFY(test::WriteBytes(mes, WriteMeasurement(written)));
        QProcess convert;
        convert.start(QStringLiteral(TK820_CONVERT), options + QStringList{"--size", "640x420", mes, png});
        QVERIFY(convert.waitForFinished(60000) && convert.exitCode() == 0);

        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        QCOMPARE(ReadMeasurement(test::FileBytes(mes), model), LoadResult::Loaded);
        model.graphOpen = true;
        GraphWindow window(model, {});
        window.setRedraw([&] { RedrawGraph(model, window.canvas()); });
        window.resize(640, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The view as the graph's context menu switches it.
        auto* logView = window.findChild<QAction*>(QStringLiteral("mnulogfreq"));
        QVERIFY(window.actions().contains(logView));
        if (logarithmic) logView->trigger();
        window.repaint();
        QCOMPARE(logView->isChecked(), logarithmic);
        QCOMPARE(window.image().convertToFormat(QImage::Format_RGB32),
                 QImage(png).convertToFormat(QImage::Format_RGB32));
    }

    // Every window the menus and the toolbar open, checked at once: each control sits in a layout (a control
    // left out of its layout lands at the top left corner over the others), is shown with its window, and
    // overlaps no other control of its parent.

    void everyWindowLaysOutItsControls() {
        MainWindowRig r;
        r.window.resize(1600, 1200);
        r.window.show();
        for (const char* name :
             {"mnurefbox", "mnugenscript", "mnuboxeich", "mnuboxvergl", "mnuwertepw", "mnugrenzübpw",
              "mnupeaks", "mnugrenzbox", "mnuwaterfall", "mnudefuser", "mnureport"})
            r.trigger(name);
        for (const char* button : {"Command2", "Command3", "Command5"})  // "Config", "Setup", "Print"
            r.find<QToolButton>(button)->click();
        QStringList faults = Faults(&r.window);
        const auto frames = r.window.findChild<QMdiArea*>()->subWindowList();
        QVERIFY(frames.size() >= 13);
        for (QMdiSubWindow* frame : frames) {
            frame->resize(frame->widget()->sizeHint().expandedTo(frame->minimumSizeHint()) + QSize(40, 60));
            QTest::qWait(0);
            for (const QString& f : Faults(frame->widget()))
                faults << frame->widget()->objectName() + QStringLiteral(": ") + f;
        }
        // The replay window, a window of its own.
        const QString file = r.home.filePath(QStringLiteral("r.tkrec"));
        Recorder recorder;
        QString error;
        QVERIFY(recorder.Open(file, RECORDING_SIZE_LIMIT, &error) &&
                recorder.Append(ReadOfModel(r.model, RecordedTrace::Actual, 0, 0), &error));
        r.dialogs.openAnswers << file;
        OpenReplay(r.model, r.dialogs, &r.window);
        auto* replay = r.window.findChild<ReplayWindow*>();
        QVERIFY(replay);
        replay->show();
        QVERIFY(QTest::qWaitForWindowExposed(replay));
        faults << Faults(replay);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // The editor windows: the script editor with its dialogs and its steps' file actions, and the calibration
    // curve editor with its file commands through the main window's menus and buttons (against the in-process
    // emulated interface in simulated time).

    // A script's message box waits for nobody: the call returns with the box open and not modal, so that
    // the script, the line and the measurement go on.
    void scriptMessagesDoNotWait() {
        QtUserDialogs dialogs;
        dialogs.notice(QStringLiteral("Script done"), QStringLiteral("Script info"),
                       MessageIcon::Information);
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->text() == QStringLiteral("Script done"))
                box = b;
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(box->windowTitle(), QStringLiteral("Script info"));
        box->close();
    }

    // A chosen name longer than its field is refused with a message. A name that fits belongs to the step at
    // once: "-" in another field, which shows the step again, keeps it. Fields show their names without the
    // padding, and take no typing but the dash.
    void chosenFileNames() {
        Editor e;
        e.model.scriptTable[0].settingsFile.set(QStringLiteral("a.set"));
        e.window.ShowModel();
        e.dialogs.openAnswers << QString(100, u'a') << QStringLiteral("/tmp/b.grn")
                              << QStringLiteral("/m/b.eic");
        e.dialogs.saveAnswers.enqueue(QStringLiteral("/m/a.mes"));
        e.button("cbscrlim")->click();
        QCOMPARE(e.edit("scrlim")->text().trimmed(), QStringLiteral("-"));
        QCOMPARE(e.dialogs.messages.size(), 1);
        e.button("cbscrlim")->click();
        QCOMPARE(e.edit("scrlim")->text(), QStringLiteral("/tmp/b.grn"));
        e.button("cbscrsavename")->click();
        e.button("cbscreich")->click();
        QTest::keyClick(e.edit("scrset"), Qt::Key_B);
        QCOMPARE(e.model.scriptTable[0].settingsFile.rightTrimmed(), QStringLiteral("a.set"));
        QTest::keyClick(e.edit("scrset"), Qt::Key_Minus);
        QCOMPARE(e.model.scriptTable[0].settingsFile.rightTrimmed(), QStringLiteral("-"));
        QCOMPARE(e.edit("scrset")->text(), QStringLiteral("-"));
        QCOMPARE(e.edit("scrlim")->text(), QStringLiteral("/tmp/b.grn"));
        QCOMPARE(e.edit("scrsavename")->text(), QStringLiteral("/m/a.mes"));
        QCOMPARE(e.edit("screich")->text(), QStringLiteral("/m/b.eic"));
        QCOMPARE(e.model.scriptTable[0].calibrationFile.rightTrimmed(), QStringLiteral("/m/b.eic"));
        e.button("cbscriptok")->click();
        QCOMPARE(e.model.scriptTable[0].boundariesFile.rightTrimmed(), QStringLiteral("/tmp/b.grn"));
        QCOMPARE(e.dialogs.messages.size(), 1);
    }

    // The delay is held to a day on Enter; after a finished run the spinner leads back to step 9; the LPT
    // spinner moves the port a step each way.
    void stepAndTimeFields() {
        Editor e;
        e.edit("scripttime")->setText(QStringLiteral("2500"));
        QTest::keyClick(e.edit("scripttime"), Qt::Key_Return);
        QCOMPARE(e.model.scriptTable[0].delayMinutes, 1440);
        QCOMPARE(e.edit("scripttime")->text(), QStringLiteral(" 1440"));
        e.model.scriptStepIndex = SCRIPT_END_POSITION;
        e.window.ShowModel();
        QCOMPARE(e.edit("scriptnr")->text(), QStringLiteral(" 10"));
        e.window.findChild<QWidget*>(QStringLiteral("Spin1"))
            ->findChild<QToolButton*>(QStringLiteral("up"))
            ->click();
        QCOMPARE(e.model.scriptStepIndex, 9);
        QWidget* lpt = e.window.findChild<QWidget*>(QStringLiteral("Spin2"));
        for (const char* button : {"up", "up", "up", "down"})
            lpt->findChild<QToolButton*>(QString::fromLatin1(button))->click();
        QCOMPARE(e.edit("scrlptcom")->text(), QStringLiteral(" 3"));
    }

    void controlPortChoicesAreStoredAtOnce() {
        ScriptStep step;
        ControlPortSetup setup(step);
        QVERIFY(!setup.findChild<QRadioButton*>(QStringLiteral("ComPort0"))->isChecked());
        setup.findChild<QRadioButton*>(QStringLiteral("ComPort2"))->click();
        setup.findChild<QRadioButton*>(QStringLiteral("Parity1"))->click();
        setup.findChild<QRadioButton*>(QStringLiteral("FlowControl3"))->click();
        QCOMPARE(step.controlPort, 3);
        QCOMPARE(step.controlParity.text(), QStringLiteral("O"));
        QCOMPARE(step.controlHandshake, 3);
    }

    void startScriptDialog() {
        MeasurementModel model;
        ScriptedDialogs dialogs;
        dialogs.openAnswers.enqueue(QStringLiteral("/srv/run.scp"));
        StartScriptDialog d(model, dialogs);
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), QStringLiteral("/srv/run.scp"));
        d.findChild<QPushButton*>(QStringLiteral("cbl_schen"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), QStringLiteral("-"));
        QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("scpname"))->text(), QStringLiteral("-"));

        // The parameter file holds 160 characters: a name of 160 is taken whole, one of 161 is refused.
        const QString name160 = QStringLiteral("/") + QString(155, u'a') + QStringLiteral(".scp");
        dialogs.openAnswers.enqueue(name160);
        dialogs.openAnswers.enqueue(name160 + u'x');
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), name160);
        QVERIFY(dialogs.messages.isEmpty());
        d.findChild<QPushButton*>(QStringLiteral("cbneu"))->click();
        QCOMPARE(model.parameters.startScriptName.trimmed(), name160);
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void scriptsStartAtProgramStart_data() {
        QTest::addColumn<QByteArray>("commandLineTag");
        QTest::addColumn<QStringList>("messages");
        Row("both start, parameter file first", QByteArray("scp1 "), QStringList({"first", "second"}));
        // A refused command-line script does not start the table of the first one again.
        Row("unknown tag starts nothing", QByteArray("scp9 "), QStringList({"first", "Cannot open file"}));
    }
    void scriptsStartAtProgramStart() {
        QFETCH(QByteArray, commandLineTag);
        QFETCH(QStringList, messages);
        MainWindowRig r;
        const QString first = WriteScript(r.home, "first.scp", "first");
        const QString second = WriteScript(r.home, "second.scp", "second", commandLineTag.constData());
        QVERIFY(WriteBytes(r.home.filePath(QString::fromLatin1(PARAMETER_FILE_NAME)),
                           "par01\x01" + first.toLatin1().leftJustified(160, ' ') + "\x01\x14\x02"));
        FakeScriptActions actions{r.clock};
        r.window.scripts().UseActions(actions);
        r.window.Load(second);
        QStringList shown;
        for (const auto& m : r.dialogs.messages) shown.append(m.text.trimmed());
        QCOMPARE(shown, messages);
        QCOMPARE(actions.log.size(), messages.last() == QStringLiteral("second") ? 2 : 1);
        QVERIFY(r.window.scripts().editor());
        QVERIFY(r.window.scripts().editor()->parentWidget()->isMinimized());
    }
    void realActionsReportWhatTheStepNeeds_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        MeasurementModel m;
        const QByteArray set = WriteSettings(m);
        const QByteArray grn = BoundariesBytes(m);
        m.calibrationCurve.pointCount = 3;
        const QByteArray eic = CalibrationFileBytes(m.calibrationCurve);
        const struct {
            const char* kind;
            QByteArray whole;
        } kinds[] = {{"set", set}, {"grn", grn}, {"eic", eic}};
        for (const auto& k : kinds) {
            QTest::addRow("%s whole", k.kind) << k.kind << k.whole << int(FileLoad::Ok);
            QTest::addRow("%s short", k.kind)
                << k.kind << k.whole.left(k.whole.size() - 3) << int(FileLoad::ReadFailed);
            QTest::addRow("%s other tag", k.kind)
                << k.kind << QByteArray("mes5 ") + k.whole.mid(5) << int(FileLoad::CannotOpen);
        }
    }
    void realActionsReportWhatTheStepNeeds() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QTemporaryDir dir;
        LinkRig rig;
        ScriptFileActions actions(rig.model, rig.link, {});
        const auto load = [&](const QString& path) {
            return kind == u"set"   ? actions.LoadSettings(path)
                   : kind == u"grn" ? actions.LoadBoundaries(path)
                                    : actions.LoadCalibration(path);
        };
        const QString path = dir.filePath(QStringLiteral("a.") + kind);
        QVERIFY(WriteBytes(path, bytes));
        QCOMPARE(int(load(path)), result);
        QCOMPARE(load(dir.filePath(QStringLiteral("none"))), FileLoad::CannotOpen);
        QCOMPARE(actions.SaveMeasurement(dir.filePath(QStringLiteral("no/m.mes"))), FileSave::CannotOpen);
        const QString mes = dir.filePath(QStringLiteral("m.mes"));
        QCOMPARE(actions.SaveMeasurement(mes), FileSave::Ok);
        QCOMPARE(QFileInfo(mes).size(), 11411);  // 500 points
    }

    // Enter takes the typed point into the list and leaves the fields showing what was stored, selected;
    // a double click puts a point back into the fields; the buttons sort, remove the selected point and
    // clear the curve.
    void curveEditingPrintAndOk() {
        CurveEditorApp app;
        app.editor();
        app.enter(QStringLiteral("2500"), QStringLiteral("-150"));
        QCOMPARE(app.listLines(), QStringList{QStringLiteral("2000.000 MHz\t-100.0 dB")});
        QCOMPARE(app.find<QLineEdit>("eichfreq")->selectedText(), QStringLiteral("2000"));
        QCOMPARE(app.find<QLineEdit>("eichpeg")->selectedText(), QStringLiteral("-100"));
        app.enter(QStringLiteral("100"), QStringLiteral("2.5"));
        app.enter(QStringLiteral("100"), QStringLiteral("3"));

        app.select(1);
        auto* list = app.find<QListWidget>("lsteich");
        emit list->itemDoubleClicked(list->item(1));
        QCOMPARE(app.find<QLineEdit>("eichpeg")->text(), QStringLiteral("2.5"));

        app.click("cbeinfügen");
        QCOMPARE(app.listLines(), (QStringList{QStringLiteral("0100.000 MHz\t03.0 dB"),
                                               QStringLiteral("2000.000 MHz\t-100.0 dB")}));
        app.select(0);
        app.click("cblöschen");
        QCOMPARE(app.listLines(), QStringList{QStringLiteral("2000.000 MHz\t-100.0 dB")});

        app.click("Command2");  // "&Delete all"
        QCOMPARE(app.listLines(), QStringList());
        QCOMPARE(app.find<QLineEdit>("eichfreq")->text(), QString());

        // "Print" gives the lines as entered; "&OK" sorts them, switches the correction on and closes.
        app.enter(QStringLiteral("300"), QStringLiteral("1"));
        app.enter(QStringLiteral("100"), QStringLiteral("2"));
        QStringList printed;
        app.window->findChild<CalibrationCommands*>()->hooks().printLines = [&](const QStringList& l) {
            printed = l;
        };
        app.click("Command3");
        QCOMPARE(printed, (QStringList{QStringLiteral("0300.000 MHz       01.0 dB"),
                                       QStringLiteral("0100.000 MHz       02.0 dB")}));
        QVERIFY(!app.model.settings.calibrationOn);
        app.click("cbeichok");
        QVERIFY(app.model.settings.calibrationOn);
        QCOMPARE(app.model.calibrationCurve.freqMHz[0], 100.0f);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!app.find("boxeich"));
    }

    void curveSaveCommand() {
        CurveEditorApp app;
        app.model.calibrationCurve = CurveOf({{100.0f, 2.0f}});
        app.editor();
        const QString path = app.home.filePath(QStringLiteral("cable.eic"));
        app.dialogs.saveAnswers.enqueue(path);
        app.trigger("mnueichsave");
        QCOMPARE(QFileInfo(path).size(), 15);  // the tag, the count and one pair
        QCOMPARE(app.find("boxeich")->windowTitle(),
                 QStringLiteral("Defintion of correction curve   ") + path);

        // A failed save says so and leaves the file name for the next dialog.
        app.dialogs.saveAnswers.enqueue(app.home.path());
        app.trigger("mnueichsave");
        QCOMPARE(app.dialogs.requests[1].initialName, path);
        QCOMPARE(app.dialogs.messages, (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
    }

    void curveLoadCommand_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("lines");
        Row("two points", QByteArray::fromHex("656963312002000000c842000000400000c843000080c0"),
            QStringList(), QStringList{"0100.000 MHz\t02.0 dB", "0400.000 MHz\t-04.0 dB"});
        Row("cut after one pair", QByteArray::fromHex("656963312002000000c8420000004000"),
            QStringList{"Cannot open file/File handling"}, QStringList{"0100.000 MHz\t02.0 dB"});
        Row("foreign tag", QByteArray::fromHex("7365743420020000"),
            QStringList{"Cannot open file/File handling"}, QStringList{"0007.000 MHz\t01.0 dB"});
    }
    void curveLoadCommand() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, lines);
        CurveEditorApp app;
        app.model.calibrationCurve = CurveOf({{7.0f, 1.0f}});
        app.editor();
        const QString path = app.home.filePath(QStringLiteral("in.eic"));
        QVERIFY(WriteBytes(path, file));
        app.dialogs.openAnswers.enqueue(path);
        app.trigger("mnueichload");
        QStringList told;
        for (const auto& m : app.dialogs.messages) told << m.text + u'/' + m.title;
        QCOMPARE(told, messages);
        QCOMPARE(app.listLines(), lines);
        QCOMPARE(app.model.fileNames.calibration, path);
        QVERIFY(!app.model.settings.calibrationOn);
    }

    // The windows that analyse the traces, against the in-process emulated interface in simulated time: the
    // peak table with the shipped CISPR 32 class B limit (its rows, its refresh in place, the capture on
    // violation and pointing at a frequency), and the waterfall (its rows, the spot under the mouse, its
    // colours and picture).

    // Each read fills the table again (its fields are tst_display::table's): a reached boundary's mark comes
    // once it is checked; the columns name the display unit after a redraw. The rows export; the graph
    // numbers peaks.
    void refreshedByEachRead() {
        PeakApp app;
        app.single();
        QCOMPARE(app.table()->model()->rowCount(), 10);
        QCOMPARE(app.cell(0, 1), QStringLiteral("3.900"));
        app.model.settings.limitActual = true;
        app.single();
        QCOMPARE(app.cell(0, 5), QStringLiteral("*"));
        app.model.settings.levelUnit = UNIT_DBUV;
        QSignalSpy header(app.table()->model(), &QAbstractItemModel::headerDataChanged);
        app.window->RedrawGraph();
        QCOMPARE(app.table()->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Level (dBuV)"));
        // The whole header is shown anew.
        QCOMPARE(header.value(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0,
                                                app.table()->model()->columnCount() - 1}));
        // The rows exported; a file that cannot be written is said.
        const QString name = app.captures.filePath(QStringLiteral("peaks.csv"));
        app.dialogs.saveAnswers << name << app.captures.filePath(QStringLiteral("none/peaks.csv"));
        app.window->peaks().window()->ExportRows();
        QVERIFY(test::FileBytes(name).split('\n').value(1).startsWith("1,3.900,"));
        QVERIFY(app.dialogs.messages.isEmpty());
        app.window->peaks().window()->ExportRows();
        QCOMPARE(app.dialogs.messages, (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
        // The graph numbers the peaks in the trace's colour while the table is open.
        RecordingCanvas canvas;
        Canvas* shown = app.window->graph().canvas();
        app.window->graph().setCanvas(&canvas);
        app.window->RedrawGraph();
        QCOMPARE(canvas.log.filter(QRegularExpression(QStringLiteral("^text .* c2 \"(10|[1-9])\"$"))).size(),
                 10);
        canvas.log.clear();
        app.find<QWidget>("boxpeaks")->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(canvas.log.filter(QRegularExpression(QStringLiteral("^text .* c2 "))).size(), 0);
        QVERIFY(canvas.log.contains(QStringLiteral("refresh")));
        app.window->graph().setCanvas(shown);
    }

    // Capture by emission (the tracker's rules are tst_display::emissionTracker's): the carrier at 3.9 MHz,
    // over the class B limit, is captured when it comes, not while it stays or comes back within the hold-off
    // set here, and again after it. Each capture is a measurement, a picture and a line of the index.
    void captureByEmission() {
        PeakApp app;
        app.find<QSpinBox>("peakholdoff")->setValue(30);  // half the default
        app.enableCapture(app.captures.path());
        for (const bool over : {true, true, false, true, false}) {
            app.model.settings.limitActual = over;
            app.single();  // one second apart
        }
        app.clock.advance(30.0);
        app.model.settings.limitActual = true;
        app.single();
        const QStringList index =
            QString::fromUtf8(test::FileBytes(app.captures.filePath(QString::fromLatin1(CAPTURE_INDEX_NAME))))
                .split(u'\n');
        QCOMPARE(index.value(0),
                 QStringLiteral("Time,File,Trace,Frequency (MHz),Level (dBm),Boundary (dBm),Margin (dB)"));
        QCOMPARE(index.size() - 2, 2);  // the header and the last line's end
        QCOMPARE(index.filter(",Actual,3.900,").size(), 2);
        QCOMPARE(app.captured().size(), 2 * 2 + 1);  // .mes and .png each, and the index
        const QString state = app.find<QLabel>("peakcapturestate")->text();
        QVERIFY2(state.startsWith(QStringLiteral("Captures: 2, last: ")), qPrintable(state));
        QVERIFY(app.information().isEmpty());
    }

    // Capture stops automatic measurement where asked.
    void captureStopsAutoMeasurement() {
        PeakApp app;
        app.enableCapture(app.captures.path());
        app.find<QCheckBox>("peakcapturestop")->setChecked(true);
        app.model.settings.limitActual = true;
        app.model.autoMeasurement = app.model.fastMode = true;
        app.window->Tick();
        QCOMPARE(app.captured().size(), 3);
        QVERIFY(!app.model.autoMeasurement);
        QVERIFY(!app.window->action(QStringLiteral("mnuauto"))->isChecked());
    }

    // Told once in the information window; the measurement goes on.
    void captureNotWritten() {
        PeakApp app;
        const QString missing = app.captures.filePath(QStringLiteral("none"));
        // The folder is chosen through the program's dialogs; a cancelled choice keeps the one before.
        app.dialogs.folderAnswers << missing << std::nullopt;
        app.find<QPushButton>("peakfolderbrowse")->click();
        app.find<QPushButton>("peakfolderbrowse")->click();
        QCOMPARE(app.find<QLineEdit>("peakfolder")->text(), missing);
        app.enableCapture(missing);
        app.model.settings.limitActual = true;
        app.model.autoMeasurement = app.model.fastMode = true;
        app.window->Tick();
        QCOMPARE(app.information(),
                 QStringLiteral("Capture not written to ") + QDir::toNativeSeparators(missing));
        QVERIFY(app.model.autoMeasurement);
        app.model.settings.limitActual = false;
        app.window->Tick();
        app.model.settings.limitActual = true;
        const QString before = app.model.timeActual.text();
        app.clock.advance(5.0);
        app.window->Tick();
        QVERIFY(app.model.timeActual.text() != before);
        QCOMPARE(app.information(), QString());
        QVERIFY(
            app.find<QLabel>("peakcapturestate")->text().endsWith(QStringLiteral("could not be written")));
    }

    void refreshKeepsSelectionAndScroll() {
        PeakApp app;
        app.find<QDoubleSpinBox>("peakprominence")->setValue(0.0);
        app.find<QSpinBox>("peakspacing")->setValue(1);
        app.find<QSpinBox>("peakcount")->setValue(PEAK_COUNT_MAX);
        app.single();
        QTableView* table = app.table();
        QCOMPARE(table->model()->rowCount(), PEAK_COUNT_MAX);
        table->parentWidget()->resize(520, 300);
        table->selectRow(30);
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2);
        const int scroll = table->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        app.single();
        QCOMPARE(table->currentIndex().row(), 30);
        QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table->verticalScrollBar()->value(), scroll);
    }

    // A click on the graph and a double click on a peak move the open lists' marked point.
    void pointAt() {
        PeakApp app;
        app.single();
        app.window->limits().ShowLevelWindow(UNIT_DBM);
        auto* grafik = app.find<QWidget>("grafik");
        grafik->resize(451, 300);  // 10 x units a pixel from x = -310
        app.window->RedrawGraph();
        QTest::mouseClick(grafik, Qt::LeftButton, {}, QPoint(231, 100));  // x 2000: point 250
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 245);
        QCOMPARE(app.model.levelCursorX, 2000);
        QVERIFY(!app.window->limits().violationList());

        QTableView* table = app.table();
        const QRect first = table->visualRect(table->model()->index(0, 1));
        // A double click is the second press of a click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 65 - 5);
        QCOMPARE(app.model.levelCursorX, 65 * 8);
    }

    void readsAddRowsUnlessPaused() {
        WaterfallApp app;
        QVERIFY(app.waterfall && app.port.isOpen());
        app.single();
        app.single();
        const WaterfallHistory& history = app.waterfall->history();
        QCOMPARE(history.rowCount(), 2);
        QVERIFY(history.time(0) - history.time(1) >= 5.0);

        app.waterfall->pauseAction()->trigger();
        app.single();
        QCOMPARE(history.rowCount(), 2);
        QCOMPARE(app.status(), QStringLiteral("Paused: reads add no rows"));
        app.waterfall->pauseAction()->trigger();
        app.single();
        QCOMPARE(history.rowCount(), 3);
        // One step down of "Rows" keeps what fits; a typed number counts once it is confirmed.
        auto* rows = app.waterfall->findChild<QSpinBox*>(QStringLiteral("wfrows"));
        rows->stepDown();
        QCOMPARE(history.rowCount(), 3);
        rows->selectAll();
        QTest::keyClicks(rows, QStringLiteral("2"));
        QCOMPARE(history.capacity(), 599);
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(history.rowCount(), 2);
        app.model.settings.centerFreq = 250.0f;
        app.single();
        QCOMPARE(history.rowCount(), 1);
        QCOMPARE(app.status(),
                 QStringLiteral("New history: the resolution, centre frequency or scan width changed"));

        app.waterfall->clearAction()->trigger();
        QCOMPARE(history.rowCount(), 0);
        // Closed, it takes no rows; opened again, it starts empty.
        app.waterfall->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.single();
        app.trigger("mnuwaterfall");
        QCOMPARE(app.find<WaterfallWindow>("waterfall")->history().rowCount(), 0);
    }

    // Centre 500 MHz, 100 MHz per division, 500 points: x = 2000 is 500 MHz, each point 8 x units, 2 MHz.
    void hoverAndClickAtTheCentre() {
        WaterfallApp app;
        app.single();
        app.window->limits().ShowLevelWindow(UNIT_DBM);
        app.window->limits().ShowViolationList(UNIT_DBM);
        WaterfallView* view = app.waterfall->view();
        view->resize(451, view->height());  // 10 x units a column from x = -310
        const QPoint centre(231, 0);
        const WaterfallView::Spot spot = view->SpotAt(centre);
        QCOMPARE(spot.x, 2000);
        QVERIFY2(spot.text.startsWith("500.000 MHz   " + app.clock.timeText().left(5)),
                 qPrintable(spot.text));
        QVERIFY2(
            QRegularExpression(QStringLiteral("   -?[1-9][0-9]*\\.[0-9] dBm$")).match(spot.text).hasMatch(),
            qPrintable(spot.text));                                   // plain digits
        QVERIFY(view->SpotAt(QPoint(centre.x(), 1)).text.isEmpty());  // one read, one row

        QTest::mouseClick(view, Qt::LeftButton, {}, centre);
        QCOMPARE(int{app.model.levelCursorX}, 2000);
        QCOMPARE(int{app.model.limitCursorX}, 2000);
        QCOMPARE(app.window->limits().levelWindow()->scrollBar()->value(), 245);
    }

    // The colours span the graph's level range, or the two typed levels (dBm = raw * 80 / 255 - 107).
    void levelRangeOfTheColours_data() {
        QTest::addColumn<bool>("followGraph");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<double>("rawMin");
        QTest::addColumn<double>("rawMax");
        Row("the graph's, widened", true, QString(), QString(), -20.0, 300.0);
        Row("typed", false, QString("-87"), QString("-47 dBm"), 63.75, 191.25);
        Row("typed high to low", false, QString("-47"), QString("-87"), 63.75, 191.25);
    }
    void levelRangeOfTheColours() {
        QFETCH(bool, followGraph);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(double, rawMin);
        QFETCH(double, rawMax);
        WaterfallApp app;
        app.single();
        app.model.graphLevelMin = -20;
        app.model.graphLevelMax = 300;
        app.find<QCheckBox>("wffollow")->setChecked(followGraph);
        if (!followGraph) {
            app.find<QLineEdit>("wffrom")->setText(from);
            app.find<QLineEdit>("wfto")->setText(to);
            emit app.find<QLineEdit>("wfto")->editingFinished();
        }
        app.waterfall->UpdateRange();
        QCOMPARE(app.waterfall->view()->rangeMin(), rawMin);
        QCOMPARE(app.waterfall->view()->rangeMax(), rawMax);
    }

    // A read that widens the graph's level range at one end draws the rows anew once, as a rebuild does.
    void aRangeChangedByAReadRedrawsOnce() {
        WaterfallApp app;
        app.single();
        app.single();
        app.model.traceComparison.fill(-40);  // below the graph's range: its lower end follows
        app.model.showComparison = true;
        app.single();
        QCOMPARE(app.waterfall->view()->rangeMin(), -40.0);
        WaterfallView* view = app.waterfall->view();
        const QImage afterRead = view->grab().toImage();
        const double min = view->rangeMin(), max = view->rangeMax();
        view->setRange(min - 1, max);
        view->setRange(min, max);
        QCOMPARE(afterRead, view->grab().toImage());
    }

    // Left of the plot the read times are scaled to the margin: smaller where it is narrow, never larger.
    // Below the plot the legend has the window's colour. The picture is saved, or the failure said.
    void marginLegendAndPicture() {
        WaterfallApp app;
        app.single();
        WaterfallView* view = app.waterfall->view();
        const QRgb background = view->palette().color(QPalette::Window).rgb();
        QImage picture;
        const auto inkRows = [&](int width, int room) {  // rows of the first time label that are not blank
            view->resize(width, view->height());
            picture = QImage(view->size(), QImage::Format_RGB32);
            picture.fill(Qt::magenta);  // what the view leaves unpainted stays magenta
            view->render(&picture, {}, {}, {});
            int rows = 0;
            for (int y = 0; y < 40; ++y) {
                bool ink = false;
                for (int x = 0; x < room; ++x) ink = ink || picture.pixel(x, y) != background;
                rows += ink;
            }
            return rows;
        };
        const int capHeight = view->fontMetrics().capHeight();
        // 300 wide the plot starts at column 21, leaving 14 pixels for a label; 1500 wide, at 103 with 96.
        const int narrow = inkRows(300, 14), wide = inkRows(1500, 96);
        QVERIFY2(narrow > 0 && narrow <= capHeight / 2 && wide > capHeight / 2 && wide <= capHeight + 2,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(narrow).arg(wide).arg(capHeight)));
        QCOMPARE(picture.pixel(0, picture.height() - 1), background);
        // The picture saved is the view's.
        const QString name = app.home.filePath(QStringLiteral("waterfall.png"));
        app.dialogs.saveAnswers.enqueue(name);
        app.waterfall->pictureAction()->trigger();
        QCOMPARE(QImage(name).size(), app.waterfall->view()->size());
        app.dialogs.saveAnswers.enqueue(app.home.filePath(QStringLiteral("none/waterfall.png")));
        app.waterfall->pictureAction()->trigger();
        QCOMPARE(app.dialogs.messages.size(), 1);
        QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Save picture"));
    }

    // A menu command, a tick, a toolbar command and a script step that come while a trace is read run after
    // it, in the order asked; nothing of them reaches the interface before the read's last block.
    void commandsWaitForTheReadInOrder() {
        LiveRead r;
        r.trigger("mnugenscript");
        QStringList status;
        bool busyPointer = false;
        r.once(3.0, [&] {
            r.trigger("mnurechen");  // "bn"
            r.model.autoMeasurement = r.model.fastMode = true;
            r.window->Tick();                             // reads the actual trace again
            r.window->Tick();                             // a tick already waiting is not queued twice
            r.find<QToolButton>("Command4")->click();     // "Erase": the resolution command "bc"
            r.find<QPushButton>("scriptstart")->click();  // step 0 connects anew: "i" and the rate digit
            status << r.find<QLabel>("uhr")->text();
            busyPointer = r.find<QWidget>("grafik")->cursor().shape() == Qt::BusyCursor;
        });
        r.single();
        QCOMPARE(r.writtenWhileReading, QByteArray("a"));
        QCOMPARE(r.received().left(8), QByteArray("abnabci1"));
        QCOMPARE(r.model.blockIndex, 40);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY2(status.value(0).startsWith(" Reading the actual trace: "), qPrintable(status.value(0)));
        QVERIFY(busyPointer);
        QCOMPARE(r.find<QWidget>("grafik")->cursor().shape(), Qt::ArrowCursor);
    }

    // A command given during the tick's first read runs before the tick's next read, not after the tick.
    void aCommandDuringATickRunsBeforeItsNextRead() {
        LiveRead r({}, 8);
        r.model.settings.showPeak = r.model.settings.showAverage = true;
        r.model.autoMeasurement = r.model.fastMode = true;
        // A tick that comes meanwhile waits for this one to end.
        r.once(0.5, [&] {
            r.trigger("mnurechen");  // "bn"
            r.window->Tick();
        });
        r.window->Tick();
        QCOMPARE(r.received(), QByteArray("abnsmasm"));
    }

    // Unchecking automatic measurement ends a long read at the next block: the trace keeps its last
    // complete read and its time, the status line says so, the rest of the answer is let pass, and the
    // next read is whole.
    void uncheckingAutoMeasurementStopsARead() {
        LiveRead r;
        r.model.autoMeasurement = r.model.fastMode = true;
        r.window->action(QStringLiteral("mnuauto"))->setChecked(true);
        r.model.timeActual.set(QStringLiteral("before"));
        r.once(5.0, [&] { r.trigger("mnuauto"); });
        r.window->Tick();
        QCOMPARE(r.pointsRead(), 0);
        QCOMPARE(r.model.timeActual.text().trimmed(), QStringLiteral("before"));
        QCOMPARE(
            r.find<QLabel>("uhr")->text(),
            QStringLiteral(" The actual trace read was stopped; the trace keeps its last complete read"));
        QVERIFY(!r.model.autoMeasurement);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.window->link().IsOpen());
        r.during = nullptr;
        r.single();
        QCOMPARE(r.model.blockIndex, 40);
        QCOMPARE(r.pointsRead(), 4000);
        QCOMPARE(r.received(), QByteArray("aa"));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // Closing the main window in the middle of a read (with two more asked for), in the middle of a block
    // that never ends, or during an auto configuration ends the exchange and the program within a second;
    // nothing more is sent and nothing waits. "&Exit" during a read lets it end, drops what waits, and
    // returns the interface to 500 points, 2400 baud and sleeping on a quiet line. Both with the line's waits
    // stood in for and on the event loop.
    void closeOrExitDuringAnExchange_data() {
        QTest::addColumn<bool>("eventLoop");
        QTest::addColumn<QString>("action");  // "close", "exit", or "search" closed during auto configuration
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<double>("at");  // seconds into the read
        QTest::newRow("close mid-read") << false << "close" << QStringList() << 16.95;
        QTest::newRow("close in a stuck block")
            << false << "close" << QStringList{QStringLiteral("--emu-fault=partial-block:30")} << 16.95;
        QTest::newRow("close during a search") << false << "search" << QStringList() << 0.0;
        QTest::newRow("exit mid-read") << false << "exit" << QStringList() << 3.0;
        QTest::newRow("event loop: close mid-read") << true << "close" << QStringList() << 5.0;
        QTest::newRow("event loop: exit mid-read") << true << "exit" << QStringList() << 5.0;
    }
    void closeOrExitDuringAnExchange() {
        QFETCH(bool, eventLoop);
        QFETCH(QString, action);
        QFETCH(QStringList, faults);
        QFETCH(double, at);
        const bool search = action == QStringLiteral("search"), exit = action == QStringLiteral("exit");
        double closedAt = -1.0;
        QByteArray sentBefore;
        const auto act = [&](LiveRig& r) {
            closedAt = r.since();
            sentBefore = r.received();
            if (!search) {  // dropped
                r.single();
                r.single();
            }
            if (exit)
                r.trigger("mnuexit");
            else
                r.window->close();
        };
        std::optional<LiveRead> live;
        std::optional<OnEventLoop> onLoop;
        LiveRig* rig = nullptr;
        if (eventLoop) {
            rig = &onLoop.emplace();
            onLoop->single();
            onLoop->RunUntil([&](double t) {
                if (t >= at && closedAt < 0.0) act(*onLoop);
                return closedAt >= 0.0 && !onLoop->window->link().Line().Busy();
            });
        } else {
            rig = &live.emplace(faults);
            live->once(at, [&] { act(*live); });
            if (search) {
                live->trigger("mnuconfig");
                live->find<QPushButton>("cbautoconfig")->click();
            } else {
                live->single();
            }
        }
        LiveRig& r = *rig;
        QVERIFY(closedAt >= 0.0);
        QVERIFY(!r.window->isVisible());
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.window->link().Line().Waiting(), 0);
        if (exit) {
            QCOMPARE(r.received(), QByteArray("abfi1bvbobp"));
            QCOMPARE(r.pointsRead(), 4000);
            const emu::DeviceModel& device = r.emulator.device();
            QCOMPARE(device.acquisition().resolution(), 8);
            QVERIFY(device.acquisition().sleeping());
            QCOMPARE(device.baudAt(r.clock.seconds()), 2400);
        } else {
            QVERIFY2(r.since() - closedAt < 1.0, qPrintable(QString::number(r.since() - closedAt)));
            QCOMPARE(r.received(), sentBefore);
        }
    }

    // "Ac-m" given during a read takes the comparison curve from that read once it is whole; a measurement
    // saved meanwhile holds the last complete read with its time.
    void copiesAndStoresDuringAReadAreWhole() {
        LiveRead r;
        r.single();
        const TraceArray first = r.model.traceActual;
        const QString firstTime = r.model.timeActual.text();
        r.clock.advance(5.0);
        const QString path = r.home.filePath(QStringLiteral("during.mes"));
        r.dialogs.saveAnswers.enqueue(path);
        r.start = r.clock.seconds();
        r.once(8.0, [&] {
            r.find<QToolButton>("Command8")->click();
            r.trigger("mnumesssave");
        });
        r.single();
        QVERIFY(r.model.traceActual != first);
        QCOMPARE(r.model.traceComparison, r.model.traceActual);
        MeasurementModel stored;
        QCOMPARE(LoadMeasurementFile(path, stored, r.dialogs), LoadResult::Loaded);
        // The file holds points 1..4000 of the sweep.
        for (int i = 1; i <= 4000; ++i) QCOMPARE(stored.traceActual[i], first[i]);
        QCOMPARE(stored.timeActual.text(), firstTime);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // Settings of another resolution loaded during a read come after it, and the interface hears the new
    // resolution before the next read, which is whole.
    void aLoadedResolutionReachesTheInterface() {
        LiveRead r;
        MeasurementModel other = r.model;
        other.settings.resolution = 8;
        const QString path = r.home.filePath(QStringLiteral("r8.set"));
        QVERIFY(SaveSettingsFile(path, other, r.dialogs));
        r.dialogs.openAnswers.enqueue(path);
        r.once(3.0, [&] { r.trigger("mnusetload"); });
        r.single();
        QCOMPARE(r.model.settings.resolution, 8);
        r.during = nullptr;
        r.single();
        QCOMPARE(r.received(), QByteArray("abfa"));
        QCOMPARE(r.model.blockIndex, 5);
        QCOMPARE(r.model.invalidTransferCount, 0);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // "&OK" or "&Init ser. I/F" pressed while auto configuration searches acts after it, on the port and
    // rate it found.
    void okDuringAutoConfigurationTakesWhatItFound_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("&OK") << "cbok";
        QTest::newRow("&Init ser. I/F") << "cbinitport";
    }
    void okDuringAutoConfigurationTakesWhatItFound() {
        QFETCH(QString, button);
        LiveRead r;
        r.model.settings.baudIndex = 4;
        r.window->link().ConnectInterface();  // the interface now runs at 38400 baud
        r.trigger("mopen");                   // offline: the search starts from a closed port
        r.model.settings.portNumber = 1;
        r.model.settings.baudIndex = 1;
        // Pressed while the search tries COM2 at 2400 baud.
        r.once(0.0, [&] { r.find<QPushButton>(qPrintable(button))->click(); });
        r.trigger("mnuconfig");
        r.find<QPushButton>("cbautoconfig")->click();
        QCOMPARE(r.model.settings.portNumber, 2);
        QCOMPARE(r.model.settings.baudIndex, 4);
        QVERIFY(r.window->link().IsOpen());
        QVERIFY2(r.window->windowTitle().contains(QStringLiteral("Interface: V")),
                 qPrintable(r.window->windowTitle()));
    }

    // The correction run goes to its end when "Auto" is clicked during it: all its reads are whole, and the
    // click takes effect after the run; the menu and the toolbar show the switches the run restored.
    void correctionRunIsNotStopped() {
        LiveRead r({}, 8);
        r.single();
        r.find<QToolButton>("Command9")->click();  // "Av-m": the comparison curve
        QVERIFY(!r.find<QCheckBox>("mdiauto")->isChecked());
        r.dialogs.inputAnswers.enqueue(QStringLiteral("100"));
        r.emulator.forgetReceived();
        r.start = r.clock.seconds();
        r.model.fastMode = true;
        r.trigger("mnuboxeich");
        r.trigger("mnuboxvergl");
        bool locked = false;  // the curve's editor and the comparison window, during the run
        r.once(3.0, [&] {
            r.find<QCheckBox>("mdiauto")->click();
            locked = !r.find("boxeich")->isEnabled() && !r.find("boxvergl")->isEnabled();
        });
        r.find<QToolButton>("Command13")->click();
        QVERIFY(locked && r.find("boxeich")->isEnabled() && r.find("boxvergl")->isEnabled());
        QVERIFY(r.dialogs.inputAnswers.isEmpty());
        QCOMPARE(r.received().count('m'), 65);
        QVERIFY(r.model.settings.calibrationOn);
        const CalibrationCurve& curve = r.model.calibrationCurve;
        QVERIFY(curve.pointCount > 10);
        for (int i = 0; i < curve.pointCount; ++i) QVERIFY(std::abs(curve.offsetDb[i]) < 80.0f);
        QVERIFY(r.model.autoMeasurement);  // off before the run, clicked on during it
        QVERIFY(r.window->action(QStringLiteral("mnufastmode"))->isChecked() &&
                r.find<QCheckBox>("mdifast")->isChecked());
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    // On the event loop, a box the user holds open for 30 s from the start of a 4000-point read at 2400
    // baud holds neither the read nor the tick: the read ends whole, and the next ticks read on.
    void aBoxHeldOpenHoldsNeitherTheLineNorTheTick() {
        OnEventLoop r;
        r.model.autoMeasurement = r.model.fastMode = true;
        int whole = 0;
        QObject::connect(&r.window->session(), &Session::traceRead, [&](TraceKind) {
            if (r.model.blockIndex == 40 && r.model.invalidTransferCount == 0) ++whole;
        });
        double nextTick = r.start;
        int wholeWhileOpen = -1;
        QMessageBox box(QMessageBox::Information, QStringLiteral("Box"), QStringLiteral("held open"));
        QTimer::singleShot(0, &box, [&] { box.exec(); });
        r.RunUntil([&](double t) {
            if (r.clock.seconds() >= nextTick) {  // the tick, in simulated time
                nextTick = r.clock.seconds() + 0.1;
                r.window->Tick();
            }
            if (t < 30.0) return false;
            wholeWhileOpen = whole;
            box.done(0);
            return true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(!r.window->link().Line().Busy(), 20000);
        QVERIFY2(wholeWhileOpen >= 1 && whole > wholeWhileOpen, qPrintable(QString::number(wholeWhileOpen)));
        QVERIFY(r.model.traceActual[3999] != 0 && r.model.traceActual[4000] == 0);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.window->link().IsOpen());
    }

    // On the event loop the graph of a read is drawn at the loop's next turn, after the exchange; a picture
    // taken before that, inside the exchange, already shows the read.
    void theGraphOfAReadIsDrawnAfterItsExchange() {
        OnEventLoop r;
        r.model.settings.resolution = 8;
        auto* graph = r.find<GraphWindow>("grafik");
        const QImage before = graph->image();
        QImage atTheEnd;
        QImage copied;
        QObject::connect(&r.window->session(), &Session::traceRead, [&](TraceKind) {
            atTheEnd = graph->image();
            r.trigger("mnuzwischenab");
            copied = QGuiApplication::clipboard()->image();
        });
        r.single();
        r.RunUntil([&](double) { return !copied.isNull() && !r.window->link().Line().Busy(); });
        QVERIFY(atTheEnd != before);          // the progress of the read
        QVERIFY(atTheEnd != graph->image());  // the read itself comes after the exchange
        QCOMPARE(copied.convertToFormat(graph->image().format()), graph->image());
    }

    // A recorded campaign played back: the same traces and violations as the live run, and the replay
    // window's moves, waterfall, queries, stored moment and export.

    // Every read of the campaign replays to the raw levels and the violations the live graph had. The window
    // on it: moves by step, violation and play; the waterfall holds the actual reads up to the moment; a
    // stored moment loads back; the export holds the range's reads; the queries fill their tables.
    void campaignInTheWindow() {
        Campaign c;
        QCOMPARE(c.live.size(), std::size_t(3 * READS));
        auto opened = std::make_unique<Replay>();
        Replay& replay = *opened;
        QString error;
        QVERIFY2(replay.Open(c.file, &error), qPrintable(error));
        QCOMPARE(replay.size(), 3 * READS);
        MeasurementModel m;
        for (int p = 0; p < replay.size(); ++p) {
            const Shown& l = c.live[std::size_t(p)];
            QVERIFY(replay.Show(p, m, &error));
            QCOMPARE(replay.moments()[std::size_t(p)].trace, l.trace);
            QVERIFY2(std::equal(l.levels.begin(), l.levels.begin() + 501,
                                TraceOf(m, BoundaryFor(l.trace)).begin()),
                     qPrintable(QString::number(p)));
            QCOMPARE(Violations(ViolatingEmissions(m, BoundaryFor(l.trace))), Violations(l.violating));
        }
        // Back at the first read, the traces not read yet are empty again, with no time.
        QVERIFY(replay.Show(0, m, &error));
        QCOMPARE(QStringList({m.timePeak.trimmed(), m.timeAverage.trimmed()}),
                 QStringList({"--:--:--", "--:--:--"}));
        QVERIFY(m.tracePeak[250] == 0 && m.traceAverage[250] == 0 && m.traceActual[250] != 0);
        // The violations began with the second and the fifth actual read; the first cleared at the fourth,
        // the second was still over when the recording stopped, and ended with it.
        const std::vector<OverBoundary> over = replay.TimesOverBoundary();
        QCOMPARE(over.size(), std::size_t(2));
        QCOMPARE(replay.NextViolation(3), 12);
        QCOMPARE(replay.NextViolation(12), std::nullopt);
        QCOMPARE(replay.PreviousViolation(12), 3);
        QCOMPARE(replay.PreviousViolation(3), std::nullopt);
        const auto at = [&](int p) { return replay.moments()[std::size_t(p)].utcMs; };
        QCOMPARE(over[0].fromUtcMs, at(3));
        QCOMPARE(over[0].toUtcMs, at(9));
        QCOMPARE(over[1].fromUtcMs, at(12));
        QVERIFY(over[1].toUtcMs.value_or(0) > at(15));
        const std::vector<EmissionSummary> worst = replay.WorstMargins(&error);
        QCOMPARE(worst.size(), std::size_t(1));
        QCOMPARE(worst[0].times, 2);
        QCOMPARE(worst[0].overMs, at(9) - at(3) + *over[1].toUtcMs - at(12));
        QCOMPARE(worst[0].worstMarginDb, c.live[3].violating.at(0).marginDb.value());
        QCOMPARE(WorstMarginTable(worst).Text().count(u'\n'), 2);

        ReplayWindow w(std::move(opened), c.model, c.dialogs);
        QCOMPARE(w.position(), 0);
        QCOMPARE(w.waterfall().rowCount(), 1);
        // The time line: a red mark where each violation began, the moment as a dark line, on the base
        // colour.
        auto* timeline = w.findChild<ReplayTimeline*>(QStringLiteral("replaytimeline"));
        const QImage line = timeline->grab().toImage();
        QCOMPARE(line.pixelColor(line.width() / 2, 26), timeline->palette().base().color());
        for (const int violation : {3, 12}) {
            const int x = 6 + violation * (line.width() - 12) / (3 * READS - 1);
            QCOMPARE(line.pixelColor(x, 4), QColor(Qt::red));
            QCOMPARE(timeline->PositionAtX(x), violation);
        }
        QCOMPARE(line.pixelColor(6, 26), timeline->palette().text().color());
        w.NextViolation();
        QCOMPARE(w.position(), 3);
        QCOMPARE(w.model().traceActual[250], 220);
        QCOMPARE(w.waterfall().rowCount(), 2);
        w.Step(1);
        QCOMPARE(w.position(), 4);
        w.GoTo(1000);
        QCOMPARE(w.position(), 3 * READS - 1);
        QCOMPARE(w.waterfall().rowCount(), READS);
        QCOMPARE(w.waterfall().row(1)[250], 220);
        QCOMPARE(w.waterfall().row(2)[250], 52);
        w.PreviousViolation();
        QCOMPARE(w.position(), 12);
        QCOMPARE(w.waterfall().rowCount(), 5);

        // At 100x, 0.09 s of playing passes 9 s of the recording: two more sweeps of three reads.
        w.GoTo(0);
        w.SetPlaying(true);
        QVERIFY(w.playing());
        w.PlayTo(0, 0.09);
        QCOMPARE(w.speed(), 1);
        QCOMPARE(w.position(), 2);
        w.findChild<QComboBox*>(QStringLiteral("replayspeed"))->setCurrentIndex(6);
        w.PlayTo(0, 0.09);
        QCOMPARE(w.position(), 8);
        w.Step(0);
        QVERIFY(!w.playing());

        c.dialogs.saveAnswers << c.dir.filePath(QStringLiteral("moment.mes"))
                              << c.dir.filePath(QStringLiteral("range.csv"));
        w.StoreMoment();
        MeasurementModel stored;
        QCOMPARE(LoadMeasurementFile(c.dir.filePath(QStringLiteral("moment.mes")), stored, c.dialogs),
                 LoadResult::Loaded);
        QVERIFY(std::equal(stored.traceActual.begin() + 1, stored.traceActual.begin() + 501,
                           w.model().traceActual.begin() + 1));
        QCOMPARE(stored.timeActual.text(), w.model().timeActual.text());
        // The whole range exported: one line per read, each with the levels the replay shows for it.
        w.ExportRange();
        const QList<QByteArray> lines = FileBytes(c.dir.filePath(QStringLiteral("range.csv"))).split('\n');
        QCOMPARE(lines.size(), 1 + 3 * READS + 1);
        for (int p = 0; p < 3 * READS; ++p) {
            const QList<QByteArray> fields = lines[p + 1].split(',');
            QCOMPARE(fields.size(), 12 + 501);
            const TraceArray& shown = c.live[std::size_t(p)].levels;
            for (int i : {0, 250, 500})
                QCOMPARE(fields[12 + i],
                         QByteArray::number(LevelInUnit(c.model.settings, shown[std::size_t(i)], 1), 'f', 2));
        }

        w.RunQueries();
        auto* worstShown = w.findChild<QTableWidget*>(QStringLiteral("replayworst"));
        auto* overShown = w.findChild<QTableWidget*>(QStringLiteral("replayover"));
        QCOMPARE(worstShown->rowCount(), 1);
        QCOMPARE(worstShown->item(0, 2)->text(), QStringLiteral("-22.0"));
        QCOMPARE(overShown->rowCount(), 2);
        QCOMPARE(overShown->item(1, 4)->text(), QStringLiteral("0:00:08"));
        auto* events = w.findChild<QTableWidget*>(QStringLiteral("replayevents"));
        const ReplayTable table = EventTable(w.replay().events());
        QCOMPARE(events->rowCount(), int(table.rows.size()));
        QCOMPARE(table.rows.at(0).mid(1),
                 (QStringList{"load", "boundaries " + c.dir.filePath("limits.grn")}));
        QCOMPARE(table.rows.at(1).value(1), QStringLiteral("online"));
        QCOMPARE(table.Text().count(QStringLiteral("\tviolation\tactual 500.000 MHz, margin -22.0 dB\n")), 2);
        // A click on an event goes to its moment; "Copy" takes the table shown.
        emit events->cellClicked(2, 0);
        QCOMPARE(w.position(), 3);
        w.CopyTable();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.startsWith(QStringLiteral("Trace\tFrequency (MHz)\tWorst margin (dB)\t")) &&
                     copied.contains(QStringLiteral("\nactual\t500.000\t-22.0\t")),
                 qPrintable(copied));
    }

    // Played to its end, a recording still being written takes in the reads written since it was opened.
    // In the recording's local time (here UTC+1) with the fields and the label; it keeps no views, so the
    // program's own boundary is not drawn; the end is asked for new reads once a second; a damaged read is
    // left out, and the moves go past it.
    void followsARecordingBeingWritten() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("open.tkrec"));
        Recorder recorder;
        QString error;
        QVERIFY(recorder.Open(file, RECORDING_SIZE_LIMIT, &error));
        MeasurementModel m;
        const auto append = [&](int second) {
            m.traceActual.fill(std::int16_t(second));
            return recorder.Append(
                ReadOfModel(m, RecordedTrace::Actual, 1'796'000'000'000 + second * 1000, 3600), &error);
        };
        QVERIFY(append(0) && append(4));
        ScriptedDialogs dialogs;
        auto replay = std::make_unique<Replay>();
        QVERIFY(replay->Open(file, &error));
        m.settings.limitActual = true;
        ReplayWindow w(std::move(replay), m, dialogs);
        QVERIFY(!w.model().settings.limitActual);
        auto* from = w.findChild<QDateTimeEdit*>(QStringLiteral("replayfrom"));
        QCOMPARE(from->text(), QStringLiteral("2026-11-30 01:53:20"));
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("replaytime"))->text().startsWith(from->text()));
        QVERIFY(append(8) && append(12));
        w.PlayTo(0, 4.0);
        QCOMPARE(w.replay().size(), 2);
        QCOMPARE(w.position(), 1);
        w.PlayTo(0, 12.0);
        QCOMPARE(w.replay().size(), 4);
        QCOMPARE(w.position(), 3);
        QCOMPARE(w.model().traceActual[7], 12);
        QCOMPARE(w.waterfall().rowCount(), 4);
        QVERIFY(append(16));
        w.PlayTo(0, 12.9);
        QCOMPARE(w.replay().size(), 4);
        w.PlayTo(0, 13.0);
        QCOMPARE(w.replay().size(), 5);

        // The third read damaged: left out of the waterfall, its moment shown without it.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
            db.setDatabaseName(file);
            QVERIFY(db.open() &&
                    QSqlQuery(db).exec(QStringLiteral("UPDATE reads SET levels = x'00' WHERE id = 3")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("damage"));
        auto damaged = std::make_unique<Replay>();
        QVERIFY(damaged->Open(file, &error));
        ReplayWindow d(std::move(damaged), m, dialogs);
        d.GoTo(2);
        QCOMPARE(d.position(), 2);
        QCOMPARE(d.model().traceActual[7], 0);
        QVERIFY(d.findChild<QLabel*>(QStringLiteral("replaytime"))
                    ->text()
                    .endsWith(QStringLiteral("damaged read left out")));
        d.Step(2);
        QCOMPARE(d.waterfall().rowCount(), 4);
        QVERIFY(dialogs.messages.isEmpty());

        // The fields in local time: from the first read to 4 s after it, two reads exported; to 1 s after
        // it, the first alone.
        for (const int seconds : {4, 1}) {
            dialogs.saveAnswers << dir.filePath(QStringLiteral("part.csv"));
            d.findChild<QDateTimeEdit*>(QStringLiteral("replayto"))
                ->setDateTime(
                    d.findChild<QDateTimeEdit*>(QStringLiteral("replayfrom"))->dateTime().addSecs(seconds));
            d.ExportRange();
            QCOMPARE(FileBytes(dir.filePath(QStringLiteral("part.csv"))).count('\n'), seconds == 4 ? 3 : 2);
        }
    }

    // A file that is no recording is said in a message, and no window opens.
    void noRecording() {
        MainWindowRig r;
        QVERIFY(WriteBytes(r.home.path() + QStringLiteral("/noise.tkrec"), "no database"));
        r.dialogs.openAnswers << r.home.path() + QStringLiteral("/noise.tkrec");
        OpenReplay(r.model, r.dialogs, &r.window);
        QCOMPARE(r.dialogs.messages.value(0).text,
                 QStringLiteral("noise.tkrec is no recording of this program"));
        QVERIFY(!r.window.findChild<ReplayWindow*>());
    }
};

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
