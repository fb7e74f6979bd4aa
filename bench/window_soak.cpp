// Measured run: the main window, unseen, for 24 hours of simulated time. Fast-mode reads from the in-process
// emulated interface on every 100 ms tick, a looping ten-step script started as at program start (settings
// loaded, a measurement stored, serial control output on a pseudo-terminal and parallel output to a file),
// and once an hour one fault of the interface for two minutes, after which a closed link is put online again
// from the menu. Once an hour the user also opens the display setup, reference, comparison and configuration
// windows and closes them again. Heap in use, open handles and the child windows are sampled every
// simulated hour and must stay flat.
//
// tk_window_soak [hours] [--keep-pixmap-cache]
// The style draws parts of every new window into Qt's pixmap cache, which keeps them up to its limit (10 MB
// unless set otherwise) under keys that differ from window to window: its slow filling is Qt's, bounded, and
// would hide what the program holds. The run switches that cache off unless told to keep it.
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "BenchSupport.h"
#include "FakeClock.h"
#include "FileIO.h"
#include "MainWindowRig.h"
#include "ParameterFile.h"
#include "RoutingSerialPort.h"
#include "ScriptFile.h"
#include "SettingsFile.h"
#include "SoakSupport.h"
#include "StartUp.h"

using namespace tk;
using namespace tk::bench;

namespace {

// Messages are counted, not shown; no file dialog is ever answered.
class CountingDialogs final : public UserDialogs {
public:
    void message(const QString&, const QString&, MessageIcon) override { ++count; }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int count = 0;
};

// What the event loop would do between two ticks: pending events, then the windows closed for deletion.
void LetEventsRun() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The windows a user opens from the menu now and then; each is closed again after the look.
const char* const USER_WINDOWS[] = {"mnucontrollbox", "mnurefbox", "mnuboxvergl", "mnuconfig"};

}  // namespace

int main(int argc, char* argv[]) {
    RestartWithoutMallocCache(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool keepPixmapCache = args.contains(QStringLiteral("--keep-pixmap-cache"));
    if (!keepPixmapCache) QPixmapCache::setCacheLimit(0);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    QTemporaryDir home;
    test::FakeClock clock(10 * 3600.0);
    EmulatorOptions options;
    options.sweepMs = 1000;
    EmulatorPort emulator(clock, options);
    test::ScriptedPort absent(clock);
    absent.openFails = true;
    RoutingSerialPort port(absent);
    port.addDevice(QStringLiteral("emulator"), emulator);
    PortMap map;
    map.set(2, QStringLiteral("emulator"));
    map.set(1, QString::fromLatin1(ptsname(master)));
    map.setParallel(1, home.filePath(QStringLiteral("lpt1")));
    CountingDialogs dialogs;
    test::NoHelp help;

    // The script's settings: the interface on COM2, all three traces shown.
    MeasurementModel model;
    model.settings.portNumber = 2;
    model.settings.baudIndex = 5;
    const QString settings = home.filePath(QStringLiteral("soak.set"));
    WriteFileAtomically(settings, WriteSettings(model));
    FillSoakScript(model.scriptTable, settings, home.path());
    model.scriptFileName = home.filePath(QStringLiteral("soak.scp"));
    if (!SaveScript(model, dialogs)) return 1;
    const QString script = model.scriptFileName;

    // A parameter file as the program leaves it at exit, so that the start-up goes on to the script.
    {
        QFile parameters(QDir(home.path()).filePath(QString::fromLatin1(PARAMETER_FILE_NAME)));
        if (!parameters.open(QIODevice::WriteOnly) || !WriteParameterFile(parameters, model.parameters)) return 1;
    }
    MainWindow window({model, port, clock, dialogs, help, map, home.path(), {}});
    window.Load(script);
    window.show();
    // The ticks come from this loop, one per simulated 100 ms, not from the window's own timer.
    window.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    if (!model.fastMode) window.action(QStringLiteral("mnufastmode"))->trigger();
    auto* const mdi = window.findChild<QMdiArea*>(QStringLiteral("mdiarea"));

    const double start = clock.seconds();
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    long ticks = 0, loops = 0, drained = 0, reconnects = 0, windowRounds = 0, windowsClosed = 0;
    int faultsInjected = 0;
    double faultEnds = -1;  // while a fault is on, when it ends
    HourlySamples samples;
    std::vector<long> subWindows, widgets, objects;
    double nextSample = start + 3600;
    const int hours = args.size() > 1 && args.at(1).toInt() > 0 ? std::max(2, args.at(1).toInt()) : 24;
    while (clock.seconds() < start + hours * 3600.0) {
        clock.advance(0.1);
        window.Tick();
        ++ticks;
        LetEventsRun();
        char buf[256];
        for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;) drained += n;
        if (!model.scriptRunning && model.scriptStepIndex == SCRIPT_END_POSITION) {
            ++loops;
            window.StartScript();
        }
        if (faultEnds >= 0 && clock.seconds() >= faultEnds) {
            emulator.clearFaults();
            faultEnds = -1;
            QAction* online = window.action(QStringLiteral("mopen"));
            if (!online->isChecked()) {
                online->trigger();
                ++reconnects;
            }
        }
        if (clock.seconds() >= nextSample) {
            // The user has a look at a few windows and closes them again.
            for (const char* name : USER_WINDOWS) {
                QAction* a = window.action(QString::fromLatin1(name));
                if (a && a->isEnabled()) a->trigger();
            }
            LetEventsRun();
            const auto before = mdi->subWindowList().size();
            for (QMdiSubWindow* frame : mdi->subWindowList()) {
                const QString child = frame->widget() ? frame->widget()->objectName() : QString();
                if (child != QLatin1String("grafik") && child != QLatin1String("boxscript")) frame->close();
            }
            LetEventsRun();
            ++windowRounds;
            windowsClosed += before - mdi->subWindowList().size();
            // The emulated interface keeps every byte it received for tests to look at; that record is the
            // far end's, not the program's, and is dropped before each sample.
            emulator.forgetReceived();
            samples.take();
            subWindows.push_back(mdi->subWindowList().size());
            widgets.push_back(QApplication::allWidgets().size());
            objects.push_back(window.findChildren<QObject*>().size());
            nextSample += 3600;
            InjectHourlyFault(emulator, faultsInjected++);
            faultEnds = clock.seconds() + FAULT_SECONDS;
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::printf("Qt's pixmap cache %s\n", keepPixmapCache ? "kept" : "switched off");
    std::printf("simulated %d h: %ld ticks, %ld completed script loops, %d messages\n", hours, ticks, loops,
                dialogs.count);
    std::printf("control bytes: serial %ld, parallel %lld; wall %.1f s, cpu %.1f s\n", drained,
                static_cast<long long>(QFileInfo(home.filePath(QStringLiteral("lpt1"))).size()), wall,
                CpuSeconds() - cpu0);
    std::printf("faults injected %d, reconnections from the menu %ld, hourly window rounds %ld closing %ld windows\n",
                faultsInjected, reconnects, windowRounds, windowsClosed);
    HourlySamples::PrintSeries("child windows in the work area", subWindows);
    HourlySamples::PrintSeries("widgets", widgets);
    HourlySamples::PrintSeries("objects under the main window", objects);
    const bool windowsFlat = subWindows.back() == subWindows.front() && widgets.back() == widgets.front() &&
                             objects.back() == objects.front();
    const bool flat = samples.printAndJudge() && windowsFlat;
    std::printf("%s\n", flat ? "flat" : "GROWING");
    return flat ? 0 : 1;
}
