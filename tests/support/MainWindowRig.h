#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "FakeClock.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PortMap.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

namespace tk::test {

// A help viewer that records the files asked for; it shows those that exist.
class RecordingHelp final : public HelpViewer {
public:
    bool ShowContents(const QString& path) override {
        shown.append(path);
        return QFile::exists(path);
    }
    QStringList shown;
};

// The main window over a scripted port, scripted dialogs and simulated time, with a fresh home folder and
// an empty folder for the help files; loaded when asked.
struct MainWindowRig {
    QTemporaryDir home;
    QTemporaryDir helpDir;
    MeasurementModel model;
    FakeClock clock;
    ScriptedPort port{clock};
    ScriptedDialogs dialogs;
    RecordingHelp help;
    PortMap portMap;
    MainWindow window{{model, port, clock, dialogs, help, portMap, home.path(), {helpDir.path()}}};

    explicit MainWindowRig(bool load = false) {
        if (load) window.Load(QString());
    }
    QAction* act(const char* name) { return window.action(QString::fromUtf8(name)); }
    void trigger(const char* name) { act(name)->trigger(); }
    template <typename T = QWidget>
    T* find(const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace tk::test
