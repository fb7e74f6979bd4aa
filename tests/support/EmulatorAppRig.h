#pragma once

#include <QTemporaryDir>
#include <memory>

#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "MainWindowRig.h"
#include "RoutingSerialPort.h"

namespace tk::test {

// The main window, loaded and shown, with the emulated interface on COM2 and nothing on the other ports.
// A rig whose window's messages go through dialogs of its own makes the window itself (NoWindow).
struct EmulatorAppRig {
    struct NoWindow {};
    QTemporaryDir home;
    FakeClock clock;
    ScriptedPort absent{clock};
    EmulatorPort emulator;
    RoutingSerialPort port{absent};
    MeasurementModel model;
    ScriptedDialogs dialogs;
    RecordingHelp help;
    PortMap portMap;
    std::unique_ptr<MainWindow> window;

    explicit EmulatorAppRig(const QStringList& emulatorArgs = {}) : EmulatorAppRig(emulatorArgs, NoWindow{}) {
        start(dialogs);
    }
    EmulatorAppRig(const QStringList& emulatorArgs, NoWindow)
        : emulator(clock, EmulatorOptionsOf(emulatorArgs)) {
        absent.openFails = true;
        port.addDevice(QStringLiteral("emulator"), emulator);
        portMap.set(2, QStringLiteral("emulator"));
    }
    // Makes the window, its messages going to `shown`.
    void makeWindow(UserDialogs& shown) {
        window = std::make_unique<MainWindow>(
            MainWindowContext{model, port, clock, shown, help, portMap, home.path(), {home.path()}});
    }
    void start(UserDialogs& shown) {
        makeWindow(shown);
        window->Load(QString());
        dialogs.messages.clear();  // the first start's "Cannot open file"
        window->show();
    }
    void trigger(const char* name) { window->action(QString::fromUtf8(name))->trigger(); }
    template <typename T = QWidget>
    T* find(const char* name) {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace tk::test
