#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "FixedText.h"
#include "ScriptTable.h"
#include "VbBool.h"

namespace tk {

constexpr int TRACE_LAST_INDEX = 4010;
constexpr int TRACE_SIZE = TRACE_LAST_INDEX + 1;
// Indices that an erase clears and that the widest sweep (4000 points, plus the walked end point) uses.
constexpr int TRACE_SWEEP_LAST_INDEX = 4000;
using TraceArray = std::array<std::int16_t, TRACE_SIZE>;

// What the user states about the analyzer's front panel and what is acquired and shown. Everything here,
// except calibrationOn, is stored in the settings file.
struct MeasurementSettings {
    float centerFreq = 500.0f;  // MHz
    float scanWidth = 100.0f;   // MHz per division
    std::int16_t bandwidthIndex = 3;
    std::int16_t videoFilterOn = 0;
    float attenuation = 0.0f;
    float noiseSuppression = 0.0f;
    std::int32_t actualInterval = 4;
    std::int32_t peakInterval = 60;
    std::int32_t averageInterval = 60;
    VbBool showActual = true;
    VbBool showPeak = true;
    VbBool showAverage = true;
    VbBool limitActual = false;
    VbBool limitPeak = false;
    VbBool limitAverage = false;
    VbBool calibrationOn = false;
    std::int16_t levelUnit = 1;  // 0 dBpW, 1 dBm, 2 dBuV, 3 user unit
    FixedText<30> userUnitName{QStringLiteral("User")};
    float userUnitOffset = -107.0f;
    std::int16_t resolution = 8;  // 1, 2, 4 or 8
    std::int16_t portNumber = 2;  // COM1..COM4
    std::int16_t baudIndex = 1;   // 1..5 = 2400, 9600, 19200, 38400, 115200
};

// The few values remembered between runs in the parameter file.
struct ParameterFields {
    std::uint8_t languageIndex = 1;  // 0 German help, 1 English help
    FixedText<160> startScriptName;
    std::uint8_t replyTimeout = 1;   // s, for each acknowledgement character
    std::uint8_t traceTimeout = 20;  // s, for a whole trace transfer
    std::uint8_t settleDelay = 2;    // s, after a baud-rate change
};

// The last file name of each file kind, the initial name of its next dialog.
struct FileNames {
    QString settings = QStringLiteral("*.set");
    QString script = QStringLiteral("*.scp");
    QString boundaries = QStringLiteral("*.grn");
    QString measurement = QStringLiteral("*.mes");
    QString calibration = QStringLiteral("*.eic");
    QString table = QStringLiteral("*.tab");
};

// One limit line of up to ten points (entry 10 is carried in files but never used). A frequency of 0 or
// less marks a point as not in use.
struct BoundaryLine {
    std::array<float, 11> freqMHz{};
    std::array<float, 11> levelDbm{};
    std::array<std::int16_t, 11> logSegment{};
};

// A correction curve: points 0 .. pointCount-1 with their offsets in dB.
struct CalibrationCurve {
    std::array<float, 102> freqMHz{};
    std::array<float, 102> offsetDb{};
    std::int16_t pointCount = 0;
};

// How the graph spreads the frequencies across its width: evenly, as the analyzer sweeps (the default), or
// by their logarithm from startMHz to stopMHz, which a stop at or below a start above 0 leaves linear.
struct FrequencyView {
    bool logarithmic = false;
    float startMHz = 0.15f;
    float stopMHz = 30.0f;
};

// The one model of the program; the application creates it at start and passes it by reference.
struct MeasurementModel {
    TraceArray traceActual{};
    TraceArray tracePeak{};
    TraceArray traceAverage{};
    TraceArray refActual{};
    TraceArray refAverage{};
    TraceArray refPeak{};
    TraceArray traceComparison{};

    MeasurementSettings settings;
    ParameterFields parameters;
    BoundaryLine boundaryActual;
    BoundaryLine boundaryAverage;
    BoundaryLine boundaryPeak;
    CalibrationCurve calibrationCurve;
    CalibrationCurve addedCurve;  // the last curve read by "&ADD Curve"
    FileNames fileNames;
    std::int16_t tableUnit = 0;  // unit of the last table export, coded like levelUnit

    // Acquisition and link state.
    VbBool autoMeasurement = true;
    VbBool fastMode = false;
    float actualElapsed = 0.0f;
    float peakElapsed = 0.0f;
    float averageElapsed = 0.0f;
    VbBool moduleSleeping = true;
    VbBool moduleCalculating = true;
    VbBool actualBusy = false;
    VbBool peakBusy = false;
    VbBool averageBusy = false;
    VbBool redrawPending = false;
    VbBool graphOpen = false;
    std::int16_t invalidTransferCount = 0;
    FixedText<10> timeActual{QStringLiteral("--:--:--")};
    FixedText<10> timePeak{QStringLiteral("--:--:--")};
    FixedText<10> timeAverage{QStringLiteral("--:--:--")};
    FixedText<10> readDate;
    QString interfaceVersion;
    QByteArray rxBuffer;
    std::int16_t blockPos = 0;
    std::int16_t blockIndex = 0;
    float correctionValue = 0.0f;

    // The graph and its two cursor lines (level window, violation list), x in units 0..4000.
    VbBool showComparison = false;
    std::int16_t graphLevelMin = 0;
    std::int16_t graphLevelMax = 255;
    VbBool levelWindowOpen = false;
    std::int16_t levelCursorX = 0;
    std::int16_t levelCursorDrawnX = 0;
    VbBool levelCursorErased = false;
    VbBool limitListOpen = false;
    std::int16_t limitCursorX = 0;
    std::int16_t limitCursorDrawnX = 0;
    VbBool limitCursorErased = false;
    FrequencyView frequencyView;

    // The unit of the level window's and of the violation list's levels: four flags indexed by the unit
    // numbers of Units.h (dBpW, dBm, dBuV, user unit), at most one of them True.
    std::array<VbBool, 4> levelWindowUnit{};
    std::array<VbBool, 4> limitListUnit{};

    // The boundary editor's line (0 actual, 1 average, 2 peak) and the dB added to a stored dBm level to
    // show it in the editor's unit; they outlive the window.
    std::int16_t editBoundaryIndex = 0;
    std::int16_t editUnitOffset = 0;

    // Reference calculation selectors.
    VbBool referenceCalcOn = false;
    std::int16_t refMode = 3;
    std::int16_t refSelActual = 3;
    std::int16_t refSelAverage = 3;
    std::int16_t refSelPeak = 3;

    // Print setup; everything but printCursor is stored in the settings file.
    VbBool printBlackWhite = true;
    VbBool printActual = false;
    VbBool printAverage = false;
    VbBool printPeak = false;
    VbBool printComparison = false;
    VbBool printBoundaryActual = false;
    VbBool printBoundaryAverage = false;
    VbBool printBoundaryPeak = false;
    FixedText<80> printHeadline;
    VbBool printDateTime = true;
    VbBool printFileName = true;
    float printFromMHz = 0.0f;
    float printToMHz = 2000.0f;
    std::int16_t printSettings = 1;  // check state: 1 checked, 0 not
    std::int16_t printCursor = 1;
    QString printFontName;
    int printFontSize = 0;
    QString scriptFileName = QStringLiteral("*.scp");

    // The script and its run. The due time is kept on the clock's wall scale (date and time of day) as well,
    // so that a step armed before midnight or checked by a late tick still comes, and comes at the hh:mm the
    // status text shows (dueHour, dueMinute) after a suspend or a daylight-saving change.
    ScriptTable scriptTable{};
    std::int16_t scriptStepIndex = 0;
    VbBool scriptRunning = false;
    std::int16_t dueHour = 0;
    std::int16_t dueMinute = 0;
    double dueSeconds = 0.0;
};

// Puts every field to its start-up default; readDate becomes the given date text.
void SetModelDefaults(MeasurementModel& model, const QString& today);

// Copies the points of the current sweep, indices 0 .. 4000 / resolution, from one trace to another.
void CopySweep(const TraceArray& source, TraceArray& target, int resolution);

// Zeroes indices 0..4000 of the three measured traces and the count of rejected transfers, and marks the
// graph open. The caller redraws.
void ClearMeasuredTraces(MeasurementModel& model);

}  // namespace tk
