#pragma once

#include <QByteArray>
#include <QString>

#include "ByteCodec.h"
#include "FileIO.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// A boundaries file (*.grn): the tag "grn  " and ten 30-byte groups, group i holding point i of the actual,
// average and peak lines (frequency, level, log flag each). 305 bytes.
constexpr qsizetype BOUNDARIES_FILE_SIZE = 305;
inline constexpr char BOUNDARIES_TAG[] = "grn  ";

enum class BoundariesLoad {
    Loaded,      // every field was read
    NotOpened,   // the file could not be opened or read (missing, a folder, no access): nothing was changed
    TagUnknown,  // the file is no boundaries file (or too short for a tag): nothing was changed
    ShortRead,   // the file ended early: the fields read before the end were taken, the rest kept
};

// The ten point groups, read straight into the three lines (the measurement file carries the same groups).
// False when the bytes ran out; what was read until then stays in the lines.
bool ReadBoundaryGroups(ByteReader& reader, MeasurementModel& model);
void WriteBoundaryGroups(ByteWriter& writer, const MeasurementModel& model);

BoundariesLoad LoadBoundaries(const QByteArray& bytes, MeasurementModel& model);
QByteArray BoundariesBytes(const MeasurementModel& model);

// Reads the file into the three lines; on any failure says "Cannot open file" (title "File handling").
BoundariesLoad LoadBoundariesFile(const QString& path, MeasurementModel& model, UserDialogs& dialogs);
// Writes the three lines; on any failure says "File error" (title "File handling") and leaves a previous
// file of that name as it was. The write step is for tests that put a failing device in the way.
bool SaveBoundariesFile(const QString& path, const MeasurementModel& model, UserDialogs& dialogs,
                        const DeviceWrite& write = {});

}  // namespace tk
