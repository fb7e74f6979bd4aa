#include "ScriptFileActions.h"

#include <QCoreApplication>

#include "FileIO.h"
#include "MeasurementFile.h"
#include "SettingsFile.h"

namespace tk {
namespace {

// No data file of the program comes near this.
constexpr qint64 MAX_DATA_FILE_BYTES = 1 << 20;

void NotAvailable(const char* what, const QString& path) {
    qWarning("tk820-2: script step: %s is not available in this version (%s)", what, qPrintable(path));
}

FileLoad Load(const QString& path, MeasurementModel& model,
              LoadResult (*read)(const QByteArray&, MeasurementModel&)) {
    const auto bytes = ReadFileBytes(path, MAX_DATA_FILE_BYTES);
    if (!bytes) return FileLoad::CannotOpen;
    switch (read(*bytes, model)) {
        case LoadResult::Loaded:
            return FileLoad::Ok;
        case LoadResult::Refused:
            return FileLoad::CannotOpen;
        case LoadResult::Incomplete:
            break;
    }
    return FileLoad::ReadFailed;
}

}  // namespace

FileLoad ScriptFileActions::LoadSettings(const QString& path) {
    return Load(path, m_model, &ReadSettings);
}

// Boundaries and calibration curves cannot be read by this version yet: a step that names one stops with
// the file message, as for a file that cannot be opened.
FileLoad ScriptFileActions::LoadBoundaries(const QString& path) {
    NotAvailable("loading boundaries", path);
    return FileLoad::CannotOpen;
}

FileLoad ScriptFileActions::LoadCalibration(const QString& path) {
    NotAvailable("loading a calibration curve", path);
    return FileLoad::CannotOpen;
}

FileSave ScriptFileActions::SaveMeasurement(const QString& path) {
    // The file was opened once the write step is reached; a failure after that is a write failure.
    bool opened = false;
    const bool saved =
        WriteFileAtomically(path, WriteMeasurement(m_model), [&](QIODevice& d, const QByteArray& b) {
            opened = true;
            return d.write(b) == b.size();
        });
    if (saved) return FileSave::Ok;
    return opened ? FileSave::WriteFailed : FileSave::CannotOpen;
}

void ScriptFileActions::Print() {
    // Printing comes with the printout; until then the step goes on without a printout.
    NotAvailable("printing", m_model.scriptFileName);
}

void ScriptFileActions::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace tk
