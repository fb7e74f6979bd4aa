// Measured run: processor use of fast mode at 115200 baud with the waterfall open. The whole program (main
// window with its live waits, link, real QSerialPort, real clock) reads from tk820-emu on a pseudo-terminal,
// paced at the line rate, for 20 s at 4000 points and 20 s at 500 points; the graph and the waterfall are
// shown at 1600 x 900 each.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "WindowOnEmulator.h"
#include "GraphWindow.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PortMap.h"
#include "QtSerialPort.h"
#include "WaterfallCommands.h"
#include "WaterfallWindow.h"

namespace {

void RunFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tk::bench::WindowOnEmulator run;
    if (!run.Start(QStringLiteral(TK_EMU_PATH))) return 1;
    tk::MeasurementModel& model = run.model;
    tk::bench::PrintingDialogs& dialogs = run.dialogs;
    tk::MainWindow& window = *run.window;
    window.EnableLiveWaits();
    window.resize(1700, 1900);
    window.show();
    window.Load(QString());
    window.ShowGraphWindow()->parentWidget()->resize(1600, 900);
    window.waterfall().ShowWaterfall();
    tk::WaterfallWindow* waterfall = window.waterfall().window();
    waterfall->parentWidget()->resize(1600, 900);
    waterfall->parentWidget()->move(0, 900);

    model.settings.baudIndex = 5;
    for (const int resolution : {1, 8}) {
        model.fastMode = false;
        model.autoMeasurement = false;
        RunFor(1.0);
        model.settings.resolution = static_cast<std::int16_t>(resolution);
        window.link().ConnectInterface();
        model.autoMeasurement = true;
        model.fastMode = true;
        RunFor(2.0);  // the first reads, and the new history they start
        const int rows0 = waterfall->history().rowCount();
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = tk::bench::CpuSeconds();
        RunFor(20.0);
        const double cpu = tk::bench::CpuSeconds() - cpu0;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        std::printf(
            "fast mode, 115200 baud, %4d points, waterfall open: %d rows in %.1f s, processor %.1f %%\n",
            4000 / resolution, waterfall->history().rowCount() - rows0, seconds, 100.0 * cpu / seconds);
    }
    std::printf("messages: %d\n", dialogs.count);
    model.fastMode = false;
    model.autoMeasurement = false;
    return 0;
}
