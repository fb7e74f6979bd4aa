#include "ScriptEditing.h"

#include <algorithm>

#include "Format.h"

namespace tk {
namespace {

double Rounded(QStringView text) {
    return RoundHalfEven(LeadingNumber(text));
}

std::int16_t ToInt16(double value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
}

}  // namespace

ScriptStep& ShownScriptStep(MeasurementModel& model) {
    return model.scriptTable[static_cast<std::size_t>(
        std::clamp<int>(model.scriptStepIndex, 0, SCRIPT_END_POSITION))];
}

QString ShownNumber(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

ShownStep ShowStep(const ScriptStep& s) {
    // The fields are kept padded to their width; shown with the padding, a name would sit out of sight and
    // typing would land after the blanks.
    return {s.messageText.rightTrimmed(),    ShownNumber(s.delayMinutes), s.settingsFile.rightTrimmed(),
            s.boundariesFile.rightTrimmed(), s.calibrationFile.rightTrimmed(), s.measurementFile.rightTrimmed(),
            s.serialOutput.rightTrimmed(),   s.parallelOutput.rightTrimmed(),  ShownNumber(s.parallelPort)};
}

void StoreShownStep(MeasurementModel& model, const ShownStep& shown) {
    ScriptStep& s = ShownScriptStep(model);
    s.messageText.set(shown.message);
    s.delayMinutes = static_cast<std::int16_t>(std::clamp(Rounded(shown.delay), 0.0, 2000.0));
    s.settingsFile.set(shown.settings);
    s.boundariesFile.set(shown.boundaries);
    s.calibrationFile.set(shown.calibration);
    s.measurementFile.set(shown.measurement);
    s.serialOutput.set(shown.serial);
    s.parallelOutput.set(shown.parallel);
    s.parallelPort = ToInt16(Rounded(shown.lpt));
}

std::int16_t TypedDelay(QStringView text, bool enterKey) {
    const double v = Rounded(text);
    if (v < 0) return 0;
    if (v > SCRIPT_MAX_DELAY) return enterKey ? 1440 : SCRIPT_MAX_DELAY;
    return static_cast<std::int16_t>(v);
}

void CopyStepForward(MeasurementModel& model) {
    const int at = model.scriptStepIndex;
    if (at < 0 || at >= SCRIPT_END_POSITION) {
        // Nothing lies after the end position; the shown step still comes back into 0..9.
        model.scriptStepIndex = static_cast<std::int16_t>(std::clamp(at, 0, SCRIPT_STEP_COUNT - 1));
        return;
    }
    const ScriptStep& from = model.scriptTable[static_cast<std::size_t>(at)];
    ScriptStep& to = model.scriptTable[static_cast<std::size_t>(at + 1)];
    to.messageText = from.messageText;
    to.delayMinutes = from.delayMinutes;
    to.settingsFile = from.settingsFile;
    to.boundariesFile = from.boundariesFile;
    to.calibrationFile = from.calibrationFile;
    to.measurementFile = from.measurementFile;
    to.serialOutput = from.serialOutput;
    to.parallelOutput = from.parallelOutput;
    to.parallelPort = from.parallelPort;
    model.scriptStepIndex = static_cast<std::int16_t>(std::min(at + 1, SCRIPT_STEP_COUNT - 1));
}

void MoveShownStep(MeasurementModel& model, int direction) {
    model.scriptStepIndex =
        static_cast<std::int16_t>(std::clamp(model.scriptStepIndex + direction, 0, SCRIPT_STEP_COUNT - 1));
}

void MoveParallelPort(MeasurementModel& model, int direction) {
    ScriptStep& s = ShownScriptStep(model);
    s.parallelPort = static_cast<std::int16_t>(std::clamp(s.parallelPort + direction, 1, 4));
}

void TakeFromPreviousStep(MeasurementModel& model, InheritedField field, QStringView typedDelay) {
    const int at = std::clamp<int>(model.scriptStepIndex, 0, SCRIPT_END_POSITION);
    if (at == 0) return;
    ScriptStep& s = model.scriptTable[static_cast<std::size_t>(at)];
    const ScriptStep& before = model.scriptTable[static_cast<std::size_t>(at - 1)];
    switch (field) {
        case InheritedField::Delay:
            if (Rounded(typedDelay) == 0.0) s.delayMinutes = before.delayMinutes;
            break;
        case InheritedField::Message:
            if (!IsUsed(s.messageText)) s.messageText = before.messageText;
            break;
        case InheritedField::Measurement:
            if (!IsUsed(s.measurementFile)) s.measurementFile = before.measurementFile;
            break;
    }
}

bool FitsScriptField(const QString& fileName) {
    if (fileName.size() > SCRIPT_TEXT_WIDTH) return false;
    return std::all_of(fileName.begin(), fileName.end(), [](QChar c) { return c.unicode() < 256; });
}

}  // namespace tk
