#include "ScriptFileActions.h"

#include <QCoreApplication>
#include <QDir>
#include <utility>

#include "BoundariesFile.h"
#include "CalibrationFile.h"
#include "FileIO.h"
#include "MeasurementFile.h"
#include "PrintOut.h"
#include "PrintPage.h"
#include "SettingsFile.h"

namespace tk {
namespace {

// No data file of the program comes near this.
constexpr qint64 MAX_DATA_FILE_BYTES = 1 << 20;

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

// A step loads boundaries and curves without refreshing a window or remembering the file name.
FileLoad ScriptFileActions::LoadBoundaries(const QString& path) {
    const auto bytes = ReadFileBytes(path, BOUNDARIES_FILE_SIZE);
    if (!bytes) return FileLoad::CannotOpen;
    switch (tk::LoadBoundaries(*bytes, m_model)) {
        case BoundariesLoad::Loaded:
            return FileLoad::Ok;
        case BoundariesLoad::ShortRead:
            return FileLoad::ReadFailed;
        case BoundariesLoad::NotOpened:
        case BoundariesLoad::TagUnknown:
            break;
    }
    return FileLoad::CannotOpen;
}

FileLoad ScriptFileActions::LoadCalibration(const QString& path) {
    switch (LoadCalibrationFile(path, m_model.calibrationCurve)) {
        case CalibrationLoad::Loaded:
            return FileLoad::Ok;
        case CalibrationLoad::ShortRead:
            return FileLoad::ReadFailed;
        case CalibrationLoad::CannotOpen:
        case CalibrationLoad::UnknownTag:
            break;
    }
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

void ScriptFileActions::Print(const QString& pdfName, const QString& measurementFile) {
    m_lastPrintout.clear();
    m_printProblem.clear();
    // The page names the file the step stored, not the last one chosen in a dialog.
    const QString chosen = std::exchange(m_model.fileNames.measurement, measurementFile);
    QString note;
    if (!m_model.printActual && !m_model.printAverage && !m_model.printPeak && !m_model.printComparison) {
        m_printProblem = QStringLiteral("nothing is checked to print in the printer setup");
        note = QStringLiteral("Script printout not made: ") + m_printProblem;
    } else if (m_printer.setUp && m_printer.setUp()) {
        const QString printer = m_printer.name();
        note = m_printer.print() ? QStringLiteral("Script printout sent to the printer ") + printer
                                 : QStringLiteral("Script printout could not be printed on ") + printer;
    } else if (WritePdfPage(m_model, pdfName, LongDateText(m_model.readDate.text()))) {
        m_lastPrintout = pdfName;
        note = QStringLiteral("Script printout written to ") + QDir::toNativeSeparators(pdfName);
    } else {
        m_printProblem = QStringLiteral("the printout could not be written");
        note = QStringLiteral("Script printout could not be written to ") + QDir::toNativeSeparators(pdfName);
    }
    m_model.fileNames.measurement = chosen;
    if (m_note)
        m_note(note);
    else
        qWarning("tk820-2: %s", qPrintable(note));
}

void ScriptFileActions::ProcessEvents() {
    // A step running on the event loop returns to it; elsewhere the events run here.
    if (m_link.Line().StepAside(0, false)) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace tk
