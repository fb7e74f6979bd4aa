#pragma once

#include <QString>

#include "LoadResult.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// The load and store operations by file name that the menu commands and the script steps share. Each
// reads or writes the whole file in one go and tells the user of a failure in a message titled "File
// handling": "Cannot open file" for a load, "File error" for a save. A failed save leaves the previous file
// as it was. The windows that show the loaded values are the caller's to refresh.
LoadResult LoadSettingsFile(const QString& fileName, MeasurementModel& model, UserDialogs& dialogs);
bool SaveSettingsFile(const QString& fileName, const MeasurementModel& model, UserDialogs& dialogs);
LoadResult LoadMeasurementFile(const QString& fileName, MeasurementModel& model, UserDialogs& dialogs);
bool SaveMeasurementFile(const QString& fileName, const MeasurementModel& model, UserDialogs& dialogs);
bool ExportTableFile(const QString& fileName, const MeasurementModel& model, int unit, UserDialogs& dialogs);

}  // namespace tk
