#pragma once

#include <QTemporaryDir>

#include "FakeClock.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PortMap.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

namespace tk::test {

// A help viewer that never finds its file.
class NoHelp final : public HelpViewer {
public:
    bool ShowContents(const QString&) override { return false; }
};

// The main window over a scripted port, scripted dialogs and simulated time, with a fresh home folder.
struct MainWindowRig {
    QTemporaryDir home;
    MeasurementModel model;
    FakeClock clock;
    ScriptedPort port{clock};
    ScriptedDialogs dialogs;
    NoHelp help;
    PortMap portMap;
    MainWindow window{{model, port, clock, dialogs, help, portMap, home.path(), {}}};

    void trigger(const char* name) { window.action(QString::fromUtf8(name))->trigger(); }
    template <typename T = QWidget>
    T* find(const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace tk::test
