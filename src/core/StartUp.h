#pragma once

#include <QString>

#include "Clock.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"
#include "Version.h"

namespace tk {

inline constexpr char PARAMETER_FILE_NAME[] = "TK820-2.par";

// What the start-up sequence asks of the windows and the script engine.
class StartupHooks {
public:
    virtual ~StartupHooks() = default;
    // The help file was chosen from languageIndex.
    virtual void HelpFileSelected(const QString& helpFileName) = 0;
    // Loads the script scriptFileName and, when it loaded, starts it. A load failure has shown its message.
    virtual void StartScript() = 0;
};

// The model part of start-up, from the defaults to the printer font: defaults, parameter file, language,
// the start script of the parameter file, then the one named on the command line. Returns whether a valid
// parameter file was read.
bool RunStartUp(MeasurementModel& model, const QString& parameterPath, const QString& commandLineScript,
                Clock& clock, UserDialogs& dialogs, StartupHooks& hooks);

// Writes the parameter file at exit. Returns false when the file could not be opened: the program then keeps
// running. A failed write is reported and counts as done.
bool WriteParameterFileAtExit(const MeasurementModel& model, const QString& parameterPath,
                              UserDialogs& dialogs);

}  // namespace tk
