#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "MeasurementModel.h"

namespace tk {

enum class FileKind { Parameters, Settings, Boundaries, Measurement, Calibration, Script };

// One data file of the program as the program holds it after loading: its kind, the tag of the version it
// came from, and a model at start-up values that carries the file's fields.
struct DataFile {
    FileKind kind = FileKind::Measurement;
    QByteArray tag;
    std::unique_ptr<MeasurementModel> model = std::make_unique<MeasurementModel>();

    // 0 for the oldest version of the kind, up to the current version.
    int version() const;
};

// The tags of a kind from the oldest to the current one.
const QList<QByteArray>& TagsOf(FileKind kind);
// The key of a kind in the JSON form ("settings", "measurement", ...).
QString KindName(FileKind kind);
std::optional<FileKind> KindOfName(const QString& name);
// The extension the program saves a kind under ("mes", ...; "par" for the parameter file).
QString KindExtension(FileKind kind);
std::optional<FileKind> KindOfExtension(const QString& extension);

// Loads a binary file through the program's own loader; false and a reason when the program would refuse
// the file or could not read it whole.
bool ReadDataFile(const QByteArray& bytes, DataFile& file, QString& error);
// The bytes the program writes for the file's data: always the current version.
QByteArray WriteDataFile(const DataFile& file);

}  // namespace tk
