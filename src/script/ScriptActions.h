#pragma once

#include <QString>

namespace tk {

enum class FileLoad {
    Ok,
    CannotOpen,  // missing, unreadable or of an unknown tag: nothing was read
    ReadFailed,  // the file ended early: what was read stays
};

enum class FileSave {
    Ok,
    CannotOpen,   // the file could not be created
    WriteFailed,  // a write failed: the previous file is as it was
};

// What a script step asks of the rest of the program. The step shows the messages of file failures itself,
// so these report and never tell the user.
class ScriptActions {
public:
    virtual ~ScriptActions() = default;
    // Each reads the file into the model as a step does: no window is refreshed, no file name remembered.
    virtual FileLoad LoadSettings(const QString& path) = 0;
    virtual FileLoad LoadBoundaries(const QString& path) = 0;
    virtual FileLoad LoadCalibration(const QString& path) = 0;
    virtual FileSave SaveMeasurement(const QString& path) = 0;
    // Prints the measurement: on the printer where one is set up, otherwise into the PDF file pdfName, a
    // name that no other page of the run uses. measurementFile: the file the step stored, which the page
    // names (empty when it stored none).
    virtual void Print(const QString& pdfName, const QString& measurementFile) = 0;
    // Re-establishes the link to the interface (reporting its own failures) and says whether it is open.
    virtual void ConnectInterface() = 0;
    virtual bool LinkOpen() = 0;
    // "&Auto measurement" and the toolbar box show the model's state after a start.
    virtual void SetAutoMeasurementChecked(bool checked) = 0;
    // Lets the window events waiting run, while the serial control output drains.
    virtual void ProcessEvents() = 0;
};

}  // namespace tk
