#pragma once

#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>

#include "Clock.h"
#include "MeasurementModel.h"
#include "ParallelPort.h"
#include "PortMap.h"
#include "ScriptActions.h"
#include "SerialPort.h"
#include "UserDialogs.h"

namespace tk {

inline constexpr char PROGRAM_TITLE[] = "TK820-2";

// Works through scriptTable one step at a time. The measurement cycle asks IsScriptStepDue after its reads
// and then calls RunScriptStep.
class ScriptRunner {
public:
    ScriptRunner(MeasurementModel& model, Clock& clock, UserDialogs& dialogs, ScriptActions& actions,
                 SerialPort& controlPort, ParallelPort& parallelPort, const PortMap& portMap);

    // Switches automatic measurement on and runs step 0. Nothing while a step executes.
    void StartScript();
    // The run ends; automatic measurement and the step index stay.
    void StopScript() { m_model.scriptRunning = false; }
    void RunScriptStep();
    // True from the first check at or after the due time of the armed step; never while a step executes.
    bool IsScriptStepDue();
    bool Executing() const { return m_executing; }
    // Whether the last run went to its end ("Script done") rather than stopping.
    bool Completed() const { return m_completed; }

    // Closes the control port and sets it up from the step; the device to open, empty when the step names
    // no port.
    QString ConfigureControlPort(const ScriptStep& step);
    // Writes one byte and waits until it has left, letting window events run meanwhile. When it has not left
    // within traceTimeout (handshake held off), the output is discarded and false returned.
    bool SendControlByte(std::uint8_t byte);

    // Told of each step as it starts ("step" from 0) and of each file a step has loaded ("settings",
    // "boundaries", "calibration curve").
    void SetStepStarted(std::function<void(int step)> started) { m_stepStarted = std::move(started); }
    void SetFileLoaded(std::function<void(const QString& kind, const QString& name)> loaded) {
        m_fileLoaded = std::move(loaded);
    }

private:
    void Execute(int position);
    // Loads one file of the step; false when the step ends here.
    bool LoadStepFile(const ScriptText& field, FileLoad (ScriptActions::*load)(const QString&),
                      const QString& kind);
    void ParallelOutput(const ScriptStep& step);
    void SerialOutput(const ScriptStep& step);
    void Arm(int delay);
    // The PDF name of a finished step's page: its measurement file's name with ".pdf", or, where the step
    // stores none or another page of the run took that name, the script's name with the step and the time.
    QString PrintoutName(int step, const ScriptStep& finished);

    MeasurementModel& m_model;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    ScriptActions& m_actions;
    SerialPort& m_control;
    ParallelPort& m_parallel;
    const PortMap& m_portMap;
    bool m_executing = false;
    bool m_completed = false;
    QSet<QString> m_printouts;  // the PDF names given out since the run started
    std::function<void(int)> m_stepStarted;
    std::function<void(const QString&, const QString&)> m_fileLoaded;
};

}  // namespace tk
