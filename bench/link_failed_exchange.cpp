// Measured run: the processor time of a failed exchange with an interface that never answers, through the
// real serial port on a pseudo-terminal and the real clock. The link's waits block in the operating system,
// so the processor time must stay a small share of the wall time.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "AnalyzerLink.h"
#include "BenchSupport.h"
#include "Clock.h"
#include "PortMap.h"
#include "QtSerialPort.h"
#include "UserDialogs.h"

using tk::bench::CpuSeconds;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const QString slave = QString::fromLatin1(ptsname(master));

    tk::MeasurementModel model;
    tk::SystemClock clock;
    tk::QtSerialPort port;
    tk::bench::PrintingDialogs dialogs;
    tk::bench::CountingView view;
    tk::PortMap map;
    map.set(2, slave);
    tk::AnalyzerLink link(model, port, clock, dialogs, view, map);
    if (!link.OpenPort()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slave));
        return 1;
    }

    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    link.SendCommand("bo");  // nobody answers on the other side of the pseudo-terminal
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = CpuSeconds() - cpu0;

    char sent[16] = {};
    const auto n = read(master, sent, sizeof sent - 1);
    std::printf("device %s, transmitted \"%s\"\n", qPrintable(slave), n > 0 ? sent : "");
    std::printf("failed exchange: wall %.3f s, processor %.4f s = %.2f %% of wall\n", wall, cpu,
                100.0 * cpu / wall);
    close(master);
    return cpu / wall < 0.05 ? EXIT_SUCCESS : EXIT_FAILURE;
}
