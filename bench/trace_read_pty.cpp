// Measured run: trace reads through the whole program path (link layer, trace decoder, real QSerialPort,
// real clock) from the emulated interface served by tk820-emu on a pseudo-terminal in its own process, with
// pacing on at 115200 baud and 4000 points. Reports each read's wall time against the line time of its
// 4080 bytes, and the processor time this process spent.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "AnalyzerLink.h"
#include "BenchSupport.h"
#include "Clock.h"
#include "PortMap.h"
#include "QtSerialPort.h"
#include "TraceReader.h"
#include "UserDialogs.h"

using tk::bench::CpuSeconds;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QProcess emu;
    const QString device = tk::bench::StartEmulator(emu, QStringLiteral(TK_EMU_PATH));
    if (device.isEmpty()) return 1;

    tk::MeasurementModel model;
    tk::SystemClock clock;
    tk::QtSerialPort port;
    tk::bench::PrintingDialogs dialogs;
    tk::bench::CountingView view;
    tk::PortMap map;
    map.set(2, device);
    tk::AnalyzerLink link(model, port, clock, dialogs, view, map);
    tk::TraceReader reader(link);

    model.settings.baudIndex = 5;
    model.settings.resolution = 1;
    link.ConnectInterface();  // 2400 baud -> 115200, version, 4000 points, online, calculating
    if (!link.IsOpen() || dialogs.count) {
        std::fprintf(stderr, "connection to %s failed\n", qPrintable(device));
        return 1;
    }
    std::printf("connected on %s, %s\n", qPrintable(device), qPrintable(view.caption));

    const double lineSeconds = 40 * 102 * 10.0 / 115200.0;
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    std::vector<double> walls;
    double cpuTotal = 0.0;
    double wallTotal = 0.0;
    for (int i = 0; i < runs; ++i) {
        const int before = view.redraws;
        const double cpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        reader.ReadActualTrace();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = CpuSeconds() - cpu0;
        if (view.redraws != before + 1) {
            std::fprintf(stderr, "read %d did not complete\n", i);
            return 1;
        }
        walls.push_back(wall);
        cpuTotal += cpu;
        wallTotal += wall;
        std::printf("read %2d: %.1f ms (%+.2f %% of line time), processor %.1f ms\n", i, wall * 1e3,
                    100.0 * (wall / lineSeconds - 1.0), cpu * 1e3);
    }
    std::sort(walls.begin(), walls.end());
    const double median = walls[walls.size() / 2];
    std::printf("line time %.1f ms; median read %.1f ms = %+.2f %%; processor %.2f %% of wall\n",
                lineSeconds * 1e3, median * 1e3, 100.0 * (median / lineSeconds - 1.0),
                100.0 * cpuTotal / wallTotal);
    emu.terminate();
    emu.waitForFinished(2000);
    const bool ok = median <= lineSeconds * 1.03 && cpuTotal <= 0.10 * wallTotal;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
