#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "Clock.h"
#include "CommandLine.h"
#include "EmulatorOptions.h"
#include "EmulatorPort.h"
#include "HeadlessDialogs.h"
#include "HeadlessRun.h"
#include "HelpLanguage.h"
#include "HelpWindow.h"
#include "LiveStart.h"
#include "MainWindow.h"
#include "MeasurementModel.h"
#include "PortMap.h"
#include "PortMapFile.h"
#include "ProgramDirectory.h"
#include "QtSerialPort.h"
#include "QtUserDialogs.h"
#include "RemoteDialogs.h"
#include "RemoteServer.h"
#include "ReplayWindow.h"
#include "RoutingSerialPort.h"
#include "SessionRecording.h"
#include "SessionRemoteTarget.h"
#include "Version.h"

namespace {

// Where the program finds its two help files, one line each; status 1 when one of them is missing (an
// installation can be checked without a display).
int PrintHelpPaths(int argc, char* argv[], const tk::CommandLine& cl) {
    QCoreApplication core(argc, argv);
    // The same names as the program's, so that the configuration folder is the same one.
    QCoreApplication::setApplicationName(QStringLiteral("tk820-2"));
    QCoreApplication::setOrganizationName(QStringLiteral("ZELOR Instruments"));
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList dirs = tk::HelpDirectories(tk::ResolveProgramDirectory(cl.home, exeDir), exeDir);
    int status = 0;
    for (const char* name : {tk::HELP_FILE_GERMAN, tk::HELP_FILE_ENGLISH}) {
        const QString path = tk::FindHelpFile(dirs, QString::fromLatin1(name));
        if (path.isEmpty()) {
            std::fprintf(stderr, "tk820-2: %s not found in %s\n", name,
                         qPrintable(dirs.join(QStringLiteral(", "))));
            status = 1;
        } else {
            std::puts(qPrintable(path));
        }
    }
    return status;
}

// SIGTERM ends a server without windows as SYST:EXIT does: the handler only writes a byte that the event
// loop reads.
int g_termPipe[2] = {-1, -1};
void OnTerm(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_termPipe[1], &byte, 1);
}

// The server's options from the command line; an error text when they do not hold.
std::optional<tk::RemoteOptions> RemoteOptionsOf(const tk::CommandLine& cl, QString* error) {
    tk::RemoteOptions o;
    const auto address = tk::ListenAddress(cl.remoteAddress);
    if (!address) {
        *error = QStringLiteral("--remote: %1 is no address").arg(cl.remoteAddress);
        return std::nullopt;
    }
    o.address = *address;
    o.port = static_cast<quint16>(cl.remotePort);
    for (const QString& cidr : cl.remoteAllow) {
        const auto subnet =
            QHostAddress::parseSubnet(cidr.contains(u'/') ? cidr : cidr + QStringLiteral("/32"));
        if (subnet.first.isNull()) {
            *error = QStringLiteral("--remote-allow: %1 is no address or CIDR block").arg(cidr);
            return std::nullopt;
        }
        o.allowed.append(subnet);
    }
    // Beyond the machine itself, only those named may come in.
    if (!o.address.isLoopback() && o.allowed.isEmpty()) {
        *error = QStringLiteral("--remote on %1 needs --remote-allow").arg(cl.remoteAddress);
        return std::nullopt;
    }
    o.folder = QDir(cl.remoteDir.isEmpty() ? QDir::currentPath() : cl.remoteDir).absolutePath();
    if (!QDir(o.folder).exists()) {
        *error = QStringLiteral("--remote-dir: %1 does not exist").arg(o.folder);
        return std::nullopt;
    }
    return o;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The command line is read before any window system is touched, so that --help, --version and a
    // mistyped option answer on a machine without a display (over ssh, in a container).
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    const tk::CommandLine cl = tk::ParseCommandLine(arguments);
    if (cl.help) {
        std::fputs(qPrintable(tk::CommandLineUsage()), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("tk820-2 %s\n", tk::PROGRAM_VERSION);
        return 0;
    }
    if (!cl.errors.isEmpty()) {
        for (const QString& e : cl.errors) std::fprintf(stderr, "tk820-2: %s\n", qPrintable(e));
        std::fputs(qPrintable(tk::CommandLineUsage()), stderr);
        return 2;
    }
    if (cl.helpPath) return PrintHelpPaths(argc, argv, cl);
    std::optional<tk::EmulatorOptions> emulatorOptions;
    if (cl.emulator || !cl.emulatorOptions.isEmpty()) {
        QString error;
        emulatorOptions = tk::ParseEmulatorOptions(cl.emulatorOptions, &error);
        if (!emulatorOptions) {
            std::fprintf(stderr, "tk820-2: %s\n%s", qPrintable(error),
                         qPrintable(tk::EmulatorOptionsUsage()));
            return 2;
        }
    }

    std::optional<tk::RemoteOptions> remoteOptions;
    if (cl.remote) {
        QString error;
        remoteOptions = RemoteOptionsOf(cl, &error);
        if (!remoteOptions) {
            std::fprintf(stderr, "tk820-2: %s\n", qPrintable(error));
            return 2;
        }
    }

    // A run without windows has no widget at all: the session alone, in an application without widgets
    // (printing still needs the fonts), with the script run or the remote server. It needs no display:
    // Qt's offscreen platform stands in for the screen.
    const bool windowless = cl.headless;
    if (windowless) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QGuiApplication> application;
    if (windowless)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tk820-2"));
    QApplication::setOrganizationName(QStringLiteral("ZELOR Instruments"));
    QApplication::setApplicationVersion(QString::fromLatin1(tk::PROGRAM_VERSION));

    const QString exeDir = QApplication::applicationDirPath();
    const QString programDir = tk::ResolveProgramDirectory(cl.home, exeDir);

    tk::PortMap portMap = tk::LoadPortMap(
        QDir(programDir).filePath(QString::fromLatin1(tk::PORT_MAP_FILE_NAME)), cl.portOverrides);

    // Against the emulated interface a run without windows goes in simulated time: the minutes between its
    // script steps pass at once.
    tk::SystemClock systemClock;
    std::optional<tk::SimulatedClock> simulatedClock;
    if (cl.headless && emulatorOptions) simulatedClock = tk::SimulatedClock::AtStartOfCurrentMinute();
    tk::Clock& clock = simulatedClock ? static_cast<tk::Clock&>(*simulatedClock) : systemClock;
    tk::QtSerialPort serial;
    tk::RoutingSerialPort port(serial);

    // With --emulator the simulated interface is attached as COM2, picked like any other device. In a
    // windowed run it answers at 115200 baud unless told otherwise, so that the live start shows all three
    // traces at once (at 2400 baud one trace of 500 points takes two seconds on the line).
    tk::QtUserDialogs qtDialogs;
    tk::LiveStart liveStart(qtDialogs, cl);
    std::unique_ptr<tk::EmulatorPort> emulator;
    if (emulatorOptions) {
        const bool rateGiven =
            std::any_of(cl.emulatorOptions.cbegin(), cl.emulatorOptions.cend(),
                        [](const QString& o) { return o.startsWith(QStringLiteral("--emu-baud")); });
        if (liveStart.live() && !rateGiven) emulatorOptions->baudIndex = 5;
        emulator = std::make_unique<tk::EmulatorPort>(clock, *emulatorOptions);
        port.addDevice(QStringLiteral("emulator"), *emulator);
        portMap.set(2, QStringLiteral("emulator"));
    }

    tk::MeasurementModel model;
    tk::HeadlessDialogs headlessDialogs;
    tk::UserDialogs& dialogs = cl.headless ? static_cast<tk::UserDialogs&>(headlessDialogs) : liveStart;
    tk::HelpWindow help;
    const QStringList helpDirs = tk::HelpDirectories(programDir, exeDir);

    // A remote command answers its own file dialogs and takes the messages it causes.
    tk::RemoteDialogs remoteDialogs(dialogs);
    std::optional<tk::SessionRemoteTarget> remoteTarget;
    std::optional<tk::RemoteServer> server;
    const auto serve = [&](tk::Session& session, tk::SessionRecording& recording,
                           std::function<void()> exit) {
        if (!remoteOptions) return true;
        remoteTarget.emplace(session, remoteDialogs, std::move(exit));
        remoteTarget->UseRecording(&recording);
        server.emplace(*remoteTarget, *remoteOptions);
        QString error;
        if (!server->Listen(&error)) {
            std::fprintf(stderr, "tk820-2: --remote: %s\n", qPrintable(error));
            return false;
        }
        std::fprintf(stderr, "tk820-2: remote control on %s:%u\n",
                     qPrintable(remoteOptions->address.toString()), server->Port());
        return true;
    };

    // --record: every read of the run into a recording; a recording that cannot start ends the program.
    const auto record = [&](tk::SessionRecording& recording) {
        QObject::connect(&recording, &tk::SessionRecording::stopped, [](const QString& reason) {
            std::fprintf(stderr, "tk820-2: %s\n", qPrintable(reason));
        });
        QString error;
        recording.SetTraces(cl.recordTraces);
        if (cl.recordFile.isEmpty() || recording.Start(cl.recordFile, &error)) return true;
        std::fprintf(stderr, "tk820-2: --record: %s\n", qPrintable(error));
        return false;
    };

    if (windowless) {
        tk::Session session({model, port, clock, remoteDialogs, portMap});
        tk::SessionRecording recording(session);
        if (!record(recording)) return 2;
        const QString parameterPath = QDir(programDir).filePath(QString::fromLatin1(tk::PARAMETER_FILE_NAME));
        if (!cl.scriptName.isEmpty()) {
            // A script run, which remote clients may watch and steer: for them the line runs on the event
            // loop, so that their queries answer while a read goes on.
            if (!serve(session, recording, {})) return 2;
            if (remoteOptions) session.RunLineOnEventLoop(simulatedClock.has_value());
            tk::HeadlessRun run(session, parameterPath, headlessDialogs,
                                simulatedClock ? &*simulatedClock : nullptr);
            if (!cl.reportPdf.isEmpty()) {
                tk::ReportSetup setup;
                if (!cl.reportTitle.isEmpty()) setup.title = cl.reportTitle;
                setup.eut = cl.reportEut;
                setup.operatorName = cl.reportOperator;
                run.WritePdfReport(cl.reportPdf, setup);
            }
            return static_cast<int>(run.Exec(cl.scriptName, cl.reportFile));
        }
        if (!serve(session, recording, [] { QCoreApplication::exit(0); })) return 2;
        if (::pipe(g_termPipe) == 0) {
            auto* term = new QSocketNotifier(g_termPipe[0], QSocketNotifier::Read, application.get());
            QObject::connect(term, &QSocketNotifier::activated, application.get(),
                             [] { QCoreApplication::exit(0); });
            std::signal(SIGTERM, OnTerm);
        }
        // In simulated time each tick moves the clock on by its 100 ms.
        if (simulatedClock)
            QObject::connect(&session.Timer(), &QTimer::timeout, application.get(),
                             [&] { simulatedClock->advance(0.1); });
        // The line runs on the event loop, so that queries answer while a read goes on.
        session.RunLineOnEventLoop(simulatedClock.has_value());
        session.Load(parameterPath, QString());
        QCoreApplication::exec();
        std::fprintf(stderr, "tk820-2: remote server ended\n");
        return 0;
    }

    tk::MainWindow window({model, port, clock, remoteDialogs, help, portMap, programDir, helpDirs});
    tk::SessionRecording recording(window.session());
    if (!record(recording) || !serve(window.session(), recording, {})) return 2;
    recording.AttachEntry(window.menu().mnurecord, remoteDialogs);
    QObject::connect(window.menu().mnureplay, &QAction::triggered, &window,
                     [&] { tk::OpenReplay(window.session().Model(), remoteDialogs, &window); });
    qtDialogs.setParentWidget(&window);
    help.setOwner(&window);
    window.EnableLiveWaits();
    window.show();
    liveStart.Load(window, cl.scriptName, emulatorOptions ? emulatorOptions->baudIndex : 1);
    return QApplication::exec();
}
