#include "DataFile.h"

#include <QBuffer>
#include <array>

#include "BoundariesFile.h"
#include "CalibrationFile.h"
#include "MeasurementFile.h"
#include "ParameterFile.h"
#include "ScriptFile.h"
#include "SettingsFile.h"

namespace tk {
namespace {

constexpr qsizetype TAG_SIZE = 5;

const QString kShort = QStringLiteral("the file ends before its layout does");
const QString kIncomplete =
    QStringLiteral("the file ends before its layout does, or holds a value the program does not take");

QString LoadError(LoadResult result) {
    return result == LoadResult::Loaded ? QString() : kIncomplete;
}

}  // namespace

int DataFile::version() const {
    return static_cast<int>(TagsOf(kind).indexOf(tag));
}

const QList<QByteArray>& TagsOf(FileKind kind) {
    static const QList<QByteArray> parameters{PARAMETER_SIGNATURE};
    static const QList<QByteArray> settings{"set  ", "set1 ", "set2 ", "set3 ", "set4 "};
    static const QList<QByteArray> boundaries{BOUNDARIES_TAG};
    static const QList<QByteArray> measurement{"mes  ", "mes1 ", "mes2 ", "mes3 ", "mes4 ", "mes5 "};
    static const QList<QByteArray> calibration{"eic  ", "eic1 "};
    static const QList<QByteArray> script{SCRIPT_TAG_OLD, SCRIPT_TAG};
    switch (kind) {
        case FileKind::Parameters:
            return parameters;
        case FileKind::Settings:
            return settings;
        case FileKind::Boundaries:
            return boundaries;
        case FileKind::Measurement:
            return measurement;
        case FileKind::Calibration:
            return calibration;
        case FileKind::Script:
            break;
    }
    return script;
}

namespace {
struct KindNames {
    FileKind kind;
    const char* name;
    const char* extension;
};
const std::array<KindNames, 6> kNames{{{FileKind::Parameters, "parameters", "par"},
                                       {FileKind::Settings, "settings", "set"},
                                       {FileKind::Boundaries, "boundaries", "grn"},
                                       {FileKind::Measurement, "measurement", "mes"},
                                       {FileKind::Calibration, "calibrationCurve", "eic"},
                                       {FileKind::Script, "script", "scp"}}};
}  // namespace

QString KindName(FileKind kind) {
    for (const KindNames& k : kNames)
        if (k.kind == kind) return QString::fromLatin1(k.name);
    return {};
}

QString KindExtension(FileKind kind) {
    for (const KindNames& k : kNames)
        if (k.kind == kind) return QString::fromLatin1(k.extension);
    return {};
}

std::optional<FileKind> KindOfName(const QString& name) {
    for (const KindNames& k : kNames)
        if (name == QLatin1String(k.name)) return k.kind;
    return std::nullopt;
}

std::optional<FileKind> KindOfExtension(const QString& extension) {
    for (const KindNames& k : kNames)
        if (extension.compare(QLatin1String(k.extension), Qt::CaseInsensitive) == 0) return k.kind;
    return std::nullopt;
}

bool ReadDataFile(const QByteArray& bytes, DataFile& file, QString& error) {
    if (bytes.size() < TAG_SIZE) {
        error = QStringLiteral("too short for a data file of the program (%1 bytes)").arg(bytes.size());
        return false;
    }
    file.tag = bytes.left(TAG_SIZE);
    bool known = false;
    for (FileKind kind : {FileKind::Parameters, FileKind::Settings, FileKind::Boundaries,
                          FileKind::Measurement, FileKind::Calibration, FileKind::Script}) {
        if (TagsOf(kind).contains(file.tag)) {
            file.kind = kind;
            known = true;
        }
    }
    if (!known) {
        error = QStringLiteral("unknown version tag \"%1\"")
                    .arg(QString::fromLatin1(file.tag.toPercentEncoding(" ")));
        return false;
    }
    MeasurementModel& m = *file.model;
    switch (file.kind) {
        case FileKind::Parameters: {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            if (ReadParameterFile(buffer, m.parameters) != ParameterReadResult::Ok) error = kShort;
            break;
        }
        case FileKind::Settings:
            error = LoadError(ReadSettings(bytes, m));
            break;
        case FileKind::Boundaries:
            if (LoadBoundaries(bytes, m) != BoundariesLoad::Loaded) error = kShort;
            break;
        case FileKind::Measurement: {
            const LoadResult result = ReadMeasurement(bytes, m);
            error = result == LoadResult::Refused
                        ? QStringLiteral("the stored resolution is none of 1, 2, 4 and 8")
                        : LoadError(result);
            break;
        }
        case FileKind::Calibration:
            if (LoadCalibrationBytes(bytes, m.calibrationCurve) != CalibrationLoad::Loaded) error = kShort;
            break;
        case FileKind::Script:
            if (LoadScriptBytes(bytes, m.scriptTable) != ScriptLoad::Loaded) error = kShort;
            break;
    }
    return error.isEmpty();
}

QByteArray WriteDataFile(const DataFile& file) {
    const MeasurementModel& m = *file.model;
    switch (file.kind) {
        case FileKind::Parameters: {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            WriteParameterFile(buffer, m.parameters);
            return buffer.data();
        }
        case FileKind::Settings:
            return WriteSettings(m);
        case FileKind::Boundaries:
            return BoundariesBytes(m);
        case FileKind::Measurement:
            return WriteMeasurement(m);
        case FileKind::Calibration:
            return CalibrationFileBytes(m.calibrationCurve);
        case FileKind::Script:
            break;
    }
    return ScriptBytes(m.scriptTable);
}

}  // namespace tk
