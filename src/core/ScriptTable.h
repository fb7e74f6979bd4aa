#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "FixedText.h"
#include "VbBool.h"

namespace tk {

constexpr int SCRIPT_STEP_COUNT = 10;            // positions 0..9 are the steps of a script
constexpr int SCRIPT_END_POSITION = 10;          // the position after step 9, never loaded, saved or executed
constexpr int SCRIPT_TEXT_WIDTH = 80;            // width of every text field of a step
constexpr std::int16_t SCRIPT_MAX_DELAY = 2000;  // minutes

using ScriptText = FixedText<SCRIPT_TEXT_WIDTH>;

// One step of a script. A text field whose first character is "-" is not used.
struct ScriptStep {
    VbBool printMeasurement = false;
    ScriptText messageText{QStringLiteral("-")};
    std::int16_t delayMinutes = 0;
    ScriptText settingsFile{QStringLiteral("-")};
    ScriptText boundariesFile{QStringLiteral("-")};
    ScriptText calibrationFile{QStringLiteral("-")};
    ScriptText measurementFile{QStringLiteral("-")};
    ScriptText serialOutput{QStringLiteral("-")};
    ScriptText parallelOutput{QStringLiteral("-")};
    std::int16_t parallelPort = 1;  // lpt1..lpt4
    // The serial control port of the step; 0 everywhere means not set up.
    std::int16_t controlPort = 0;  // COM1..COM4
    std::int16_t controlBaud = 0;
    FixedText<1> controlParity;  // "N", "O", "E"
    std::int16_t controlDataBits = 0;
    std::int16_t controlStopBits = 0;
    std::int16_t controlHandshake = 0;  // 0 none, 1 Xon/Xoff, 2 RTS, 3 Xon/Xoff and RTS
};

using ScriptTable = std::array<ScriptStep, SCRIPT_END_POSITION + 1>;

// A file or output field counts when it does not start with "-" (a blank before the "-" makes it count).
inline bool IsUsed(const ScriptText& field) {
    return field.bytes().at(0) != '-';
}

// Empties a step as "&Delete" does: no print, every text "-", no delay, lpt1; the control port is kept.
inline void ClearScriptStep(ScriptStep& step) {
    const ScriptStep empty;
    step.printMeasurement = empty.printMeasurement;
    step.messageText = empty.messageText;
    step.delayMinutes = empty.delayMinutes;
    step.settingsFile = empty.settingsFile;
    step.boundariesFile = empty.boundariesFile;
    step.calibrationFile = empty.calibrationFile;
    step.measurementFile = empty.measurementFile;
    step.serialOutput = empty.serialOutput;
    step.parallelOutput = empty.parallelOutput;
    step.parallelPort = empty.parallelPort;
}

}  // namespace tk
