#include "ScriptFileActions.h"

#include <QCoreApplication>

namespace tk {
namespace {
void NotAvailable(const char* what, const QString& path) {
    qWarning("tk820-2: script step: %s is not available in this version (%s)", what, qPrintable(path));
}
}  // namespace

// The settings, boundaries, calibration and measurement files cannot be read or written by this version
// yet: a step that names one stops with the file message, as for a file that cannot be opened.
FileLoad ScriptFileActions::LoadSettings(const QString& path) {
    NotAvailable("loading settings", path);
    return FileLoad::CannotOpen;
}

FileLoad ScriptFileActions::LoadBoundaries(const QString& path) {
    NotAvailable("loading boundaries", path);
    return FileLoad::CannotOpen;
}

FileLoad ScriptFileActions::LoadCalibration(const QString& path) {
    NotAvailable("loading a calibration curve", path);
    return FileLoad::CannotOpen;
}

FileSave ScriptFileActions::SaveMeasurement(const QString& path) {
    NotAvailable("storing a measurement", path);
    return FileSave::CannotOpen;
}

void ScriptFileActions::Print() {
    // Printing comes with the printout; until then the step goes on without a printout.
    NotAvailable("printing", m_model.scriptFileName);
}

void ScriptFileActions::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace tk
