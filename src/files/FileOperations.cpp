#include "FileOperations.h"

#include <functional>

#include "FileIO.h"
#include "MeasurementFile.h"
#include "SettingsFile.h"
#include "TableExport.h"

namespace tk {
namespace {

// No data file of the program comes near this; a larger file chosen by mistake is not read whole, and its
// tag refuses it anyway.
constexpr qint64 MAX_DATA_FILE_BYTES = 1 << 20;

const QString kTitle = QStringLiteral("File handling");

LoadResult Load(const QString& fileName, MeasurementModel& model, UserDialogs& dialogs,
                LoadResult (*read)(const QByteArray&, MeasurementModel&)) {
    const std::optional<QByteArray> bytes = ReadFileBytes(fileName, MAX_DATA_FILE_BYTES);
    const LoadResult result = bytes ? read(*bytes, model) : LoadResult::Refused;
    if (result != LoadResult::Loaded) dialogs.message(QStringLiteral("Cannot open file"), kTitle);
    return result;
}

bool Save(const QString& fileName, const QByteArray& bytes, UserDialogs& dialogs) {
    const bool written = WriteFileAtomically(fileName, bytes);
    if (!written) dialogs.message(QStringLiteral("File error"), kTitle);
    return written;
}

}  // namespace

LoadResult LoadSettingsFile(const QString& fileName, MeasurementModel& model, UserDialogs& dialogs) {
    return Load(fileName, model, dialogs, &ReadSettings);
}

bool SaveSettingsFile(const QString& fileName, const MeasurementModel& model, UserDialogs& dialogs) {
    return Save(fileName, WriteSettings(model), dialogs);
}

LoadResult LoadMeasurementFile(const QString& fileName, MeasurementModel& model, UserDialogs& dialogs) {
    return Load(fileName, model, dialogs, &ReadMeasurement);
}

bool SaveMeasurementFile(const QString& fileName, const MeasurementModel& model, UserDialogs& dialogs) {
    return Save(fileName, WriteMeasurement(model), dialogs);
}

bool ExportTableFile(const QString& fileName, const MeasurementModel& model, int unit, UserDialogs& dialogs) {
    return Save(fileName, TableText(model, unit), dialogs);
}

}  // namespace tk
