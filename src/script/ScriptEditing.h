#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

#include "MeasurementModel.h"

namespace tk {

// The texts of the script window's fields for one step.
struct ShownStep {
    QString message;
    QString delay;
    QString settings;
    QString boundaries;
    QString calibration;
    QString measurement;
    QString serial;
    QString parallel;
    QString lpt;
};

// A number as the window shows it: decimal, one blank before a number that is not negative.
QString ShownNumber(int value);
ShownStep ShowStep(const ScriptStep& step);

// Takes the window's texts into the step at scriptStepIndex: texts cut to 80 characters, the delay and the
// port by their leading number rounded half to even, the delay kept in 0..2000.
void StoreShownStep(MeasurementModel& model, const ShownStep& shown);

// The delay typed into "Time": below 0 gives 0; above 2000 gives 1440 on Enter and 2000 on leaving.
std::int16_t TypedDelay(QStringView text, bool enterKey);

// "&Copy" after the shown step was stored: its texts, delay and lpt go to the next position, which is then
// shown. From step 9 they go to the end position and the editor stays on step 9; at the end position
// there is nothing after it.
void CopyStepForward(MeasurementModel& model);

// The step spinner: one position in the direction, kept in 0..9.
void MoveShownStep(MeasurementModel& model, int direction);
// The port spinner: the shown step's lpt by one in the direction, kept in 1..4.
void MoveParallelPort(MeasurementModel& model, int direction);

enum class InheritedField { Delay, Message, Measurement };
// A double-click takes the field of the step before when the field is empty (a delay of 0 in the typed
// text, or a stored text starting with "-"); never on step 0.
void TakeFromPreviousStep(MeasurementModel& model, InheritedField field, QStringView typedDelay);

// A file name as a step can keep it: nothing when it is longer than 80 characters or has a character the
// 8-bit code page lacks, since a cut or changed name would store a measurement under another file's name.
bool FitsScriptField(const QString& fileName);

ScriptStep& ShownScriptStep(MeasurementModel& model);

}  // namespace tk
