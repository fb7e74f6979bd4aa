// Measured run: how late the main window's event loop answers while the line is busy. The whole program
// (main window, link, real QSerialPort, real clock) reads from tk820-emu on a pseudo-terminal, paced at the
// line rate; a 10 ms timer probe records how late it fires.
//   1. fast mode at 2400 baud and 500 points, for 15 s;
//   2. one 4000-point read at 2400 baud (about 17 s);
//   3. 4000-point reads at 115200 baud: read time against the line time, and processor use;
// and during the read of 2, the round trip of a remote client's *IDN? through the SCPI server on loopback.
// --before runs without the live waits, as the program was: every exchange holds the event loop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "HelpViewer.h"
#include "MainWindow.h"
#include "PortMap.h"
#include "SessionRemoteTarget.h"
#include "QtSerialPort.h"
#include "RemoteDialogs.h"
#include "RemoteServer.h"
#include "WindowOnEmulator.h"

namespace {

struct Probe {
    std::vector<double> lateMs;
    QElapsedTimer since;
    QTimer timer;
    Probe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            lateMs.push_back(static_cast<double>(since.nsecsElapsed()) / 1e6 - 10.0);
            since.restart();
        });
    }
    void start() {
        lateMs.clear();
        since.start();
        timer.start();
    }
    void report(const char* what) {
        timer.stop();
        std::sort(lateMs.begin(), lateMs.end());
        const double p99 = lateMs.empty() ? 0.0 : lateMs[lateMs.size() * 99 / 100];
        const double worst = lateMs.empty() ? 0.0 : lateMs.back();
        std::printf("%-34s %5zu probes, 99th percentile %7.1f ms late, largest %7.1f ms late\n", what,
                    lateMs.size(), p99, worst);
    }
};

// Runs the event loop for the given seconds, or until `done` says so.
void RunFor(double seconds, const std::function<bool()>& done = {}) {
    QElapsedTimer t;
    t.start();
    QTimer check;
    QEventLoop loop;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (t.elapsed() >= seconds * 1000 || (done && done())) loop.quit();
    });
    check.start(5);
    loop.exec();
}

// A remote client, connected before the read as lab software stays connected; IdnRoundTripMs, on a thread of
// its own, sends *IDN? and times the answer in milliseconds.
int ConnectClient(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return -1;
    return fd;
}

double IdnRoundTripMs(int fd) {
    const auto t0 = std::chrono::steady_clock::now();
    if (fd < 0 || ::send(fd, "*IDN?\n", 6, 0) != 6) return -1.0;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1 && c != '\n') {
    }
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool before = argc > 1 && QByteArray(argv[1]) == "--before";
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    tk::bench::WindowOnEmulator run;
    if (!run.Start(QStringLiteral(TK_EMU_PATH))) return 1;
    const QString& device = run.device;
    tk::MeasurementModel& model = run.model;
    tk::bench::PrintingDialogs& dialogs = run.dialogs;
    tk::MainWindow& window = *run.window;
    if (!before) window.EnableLiveWaits();
    window.show();
    window.Load(QString());
    std::printf("%s, emulated interface on %s\n", before ? "before (no live waits)" : "live waits",
                qPrintable(device));

    tk::RemoteDialogs remoteDialogs(dialogs);
    tk::SessionRemoteTarget target(window.session(), remoteDialogs, nullptr);
    tk::RemoteOptions options;
    options.port = 0;
    tk::RemoteServer server(target, options);
    QString listenError;
    if (!server.Listen(&listenError)) return 1;

    Probe probe;
    // 1. Fast mode at 2400 baud and 500 points.
    model.settings.resolution = 8;
    model.settings.baudIndex = 1;
    window.link().ConnectInterface();
    model.autoMeasurement = true;
    model.fastMode = true;
    probe.start();
    RunFor(15.0);
    probe.report("fast mode, 2400 baud, 500 points:");

    // 2. One 4000-point read at 2400 baud.
    model.fastMode = false;
    model.autoMeasurement = false;
    RunFor(3.0);
    model.settings.resolution = 1;
    window.link().SendCommand("bc");
    model.settings.showPeak = model.settings.showAverage = false;
    probe.start();
    QTimer::singleShot(20, [&] { window.findChild<QToolButton*>(QStringLiteral("Command1"))->click(); });
    // Ten queries a second apart from 3 s into the read, from a client connected before it.
    std::vector<double> idnMs;
    std::atomic<bool> idnDone{false};
    std::thread client;
    const int clientFd = ConnectClient(server.Port());
    QTimer::singleShot(3000, [&] {
        client = std::thread([&] {
            for (int i = 0; i < 10; ++i) {
                idnMs.push_back(IdnRoundTripMs(clientFd));
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
            idnDone = true;
        });
    });
    RunFor(25.0, [&] { return probe.lateMs.size() > 100 && !model.actualBusy; });
    probe.report("one 4000-point read, 2400 baud:");
    RunFor(60.0, [&] { return idnDone.load(); });
    if (client.joinable()) client.join();
    ::close(clientFd);
    std::sort(idnMs.begin(), idnMs.end());
    std::printf("*IDN? round trips during that read (10, from 3 s on): median %.1f ms, largest %.1f ms\n",
                idnMs[idnMs.size() / 2], idnMs.back());

    // 3. 4000-point reads at 115200 baud.
    model.settings.baudIndex = 5;
    window.link().ConnectInterface();
    const double lineSeconds = 40 * 102 * 10.0 / 115200.0;
    std::vector<double> walls;
    double cpu = 0.0;
    double wallTotal = 0.0;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpu0 = tk::bench::CpuSeconds();
        window.findChild<QToolButton*>(QStringLiteral("Command1"))->click();
        // On the event loop the read goes on after the click returns; the loop ends with it.
        if (window.link().Line().Busy()) {
            QEventLoop loop;
            QObject::connect(&window.session(), &tk::Session::busyChanged, &loop, [&](bool busy) {
                if (!busy) loop.quit();
            });
            loop.exec();
        }
        const double wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
        cpu += tk::bench::CpuSeconds() - cpu0;
        wallTotal += wall;
        walls.push_back(wall);
    }
    std::sort(walls.begin(), walls.end());
    std::printf(
        "4000-point read at 115200 baud: line time %.1f ms, median read %.1f ms (%+.2f %%), "
        "processor %.1f %% of the reads' time\n",
        lineSeconds * 1e3, walls[walls.size() / 2] * 1e3,
        100.0 * (walls[walls.size() / 2] / lineSeconds - 1.0), 100.0 * cpu / wallTotal);
    std::printf("messages: %d\n", dialogs.count);
    return 0;
}
