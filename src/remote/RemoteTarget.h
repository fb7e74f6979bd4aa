#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

#include "MeasurementModel.h"

namespace tk {

enum class RemoteFile { Settings, Boundaries, Calibration, Measurement, Script, Table };

// The closest approach of one trace to its switched-on boundary (0 actual, 1 average, 2 peak).
struct RemoteMargin {
    int trace = 0;
    bool reached = false;
    std::optional<double> marginDb;
    float frequencyMHz = 0.0f;
};

// What the remote commands ask of the program. The windowed program and the run without windows implement
// it with the commands the menus use; tests with a fake.
class RemoteTarget {
public:
    virtual ~RemoteTarget() = default;

    // Runs the step when no exchange has the line: at once when it is free, else after the exchange and
    // after everything that was asked before. What a step asks for the line runs after the step.
    virtual void WhenLineFree(std::function<void()> step) = 0;

    virtual MeasurementModel& Model() = 0;
    virtual QString ProgramVersion() const = 0;

    // From KeepMessages until TakeMessages, a message the program would show in a box is kept (and counts
    // as confirmed) instead of shown; TakeMessages returns them.
    virtual void KeepMessages() = 0;
    virtual QStringList TakeMessages() = 0;
    // The messages of scripts since the last call ("Script info: ..."), oldest first.
    virtual QStringList TakeScriptMessages() = 0;

    // The start-up defaults of the model, shown, with automatic measurement and fast mode off.
    virtual void Reset() = 0;
    // Ends a running read as unchecking "&Auto measurement" does; it does not wait for the line.
    virtual void Abort() = 0;
    virtual bool Online() = 0;
    virtual void SetOnline(bool on) = 0;                    // "M&odule online"
    virtual void Single() = 0;                              // "Single"
    virtual void SetAutoMeasurement(bool on) = 0;           // "&Auto measurement"
    virtual void SetFastMode(bool on) = 0;                  // "&Fast-Mode"
    virtual void SettingsChanged() = 0;                     // the windows show the changed settings
    virtual void Load(RemoteFile kind, const QString& path) = 0;
    // unit: the level unit of a table, coded like levelUnit.
    virtual void Store(RemoteFile kind, const QString& path, int unit) = 0;
    virtual std::vector<RemoteMargin> Margins() = 0;
    // Starts the loaded script; its steps' files are taken beside it and must lie inside folder.
    virtual void RunScript(const QString& folder) = 0;
    virtual void StopScript() = 0;
    // SYST:EXIT; false where the program does not end that way (it has windows: the user ends it).
    virtual bool Exit() = 0;
    // Records every read into the recording at path from now on: empty when it started, else why not.
    virtual QString StartRecording(const QString& path) {
        (void)path;
        return QStringLiteral("this program records nothing");
    }
    virtual void StopRecording() {}
    // The running recording's file name and reads written; nothing while none runs.
    virtual std::optional<std::pair<QString, qint64>> Recording() { return std::nullopt; }
};

}  // namespace tk
