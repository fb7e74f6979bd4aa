#pragma once

// The whole windowed program on the real clock and the real serial port, with tk820-emu serving COM2 on a
// pseudo-terminal in its own process: what the measured runs of the main window share.

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "BenchSupport.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PortMap.h"
#include "QtSerialPort.h"

namespace tk::bench {

class NoHelp final : public HelpViewer {
public:
    bool ShowContents(const QString&) override { return false; }
};

struct WindowOnEmulator {
    QProcess emu;
    QString device;
    QTemporaryDir home;
    MeasurementModel model;
    SystemClock clock;
    QtSerialPort port;
    PrintingDialogs dialogs;
    NoHelp help;
    PortMap map;
    std::unique_ptr<MainWindow> window;

    // False, with the reason on standard error, when the emulator did not start.
    bool Start(const QString& emulatorPath) {
        device = StartEmulator(emu, emulatorPath);
        if (device.isEmpty()) return false;
        map.set(2, device);
        window = std::make_unique<MainWindow>(
            MainWindowContext{model, port, clock, dialogs, help, map, home.path(), {}});
        return true;
    }
    ~WindowOnEmulator() {
        window.reset();
        emu.terminate();
        emu.waitForFinished(2000);
    }
};

}  // namespace tk::bench
