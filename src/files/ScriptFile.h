#pragma once

#include <QByteArray>
#include <QString>

#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// A script file (*.scp): the tag and steps 0..9, field by field. The current layout "scp1 " has groups of
// 577 bytes; the older "scp  " lacks the leading print flag (575 bytes a group). The end position is never
// in the file.
inline constexpr char SCRIPT_TAG[] = "scp1 ";
inline constexpr char SCRIPT_TAG_OLD[] = "scp  ";
constexpr qsizetype SCRIPT_GROUP_SIZE = 577;
constexpr qsizetype SCRIPT_GROUP_SIZE_OLD = 575;
constexpr qsizetype SCRIPT_FILE_SIZE = 5 + 10 * SCRIPT_GROUP_SIZE;          // 5775
constexpr qsizetype SCRIPT_FILE_SIZE_OLD = 5 + 10 * SCRIPT_GROUP_SIZE_OLD;  // 5755

enum class ScriptLoad {
    Loaded,      // every field was read
    NotOpened,   // the file could not be opened or has no tag: nothing changed
    TagUnknown,  // another format's file: nothing changed
    ShortRead,   // the file ended early: the fields read stay, the rest keep their values
};

// Reads steps 0..9 from a file's bytes. A delay outside 0..2000 keeps the step's delay as it was.
ScriptLoad LoadScriptBytes(const QByteArray& bytes, ScriptTable& table);
QByteArray ScriptBytes(const ScriptTable& table);

// Reads the file scriptFileName names; any failure says "Cannot open file" (title "File handling").
ScriptLoad LoadScript(MeasurementModel& model, UserDialogs& dialogs);
// Writes steps 0..9 to scriptFileName; a failure says "File error" (title "File handling") and leaves a
// previous file of that name as it was.
bool SaveScript(const MeasurementModel& model, UserDialogs& dialogs);

}  // namespace tk
