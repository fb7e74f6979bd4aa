#pragma once

#include <QDir>
#include <QObject>
#include <QString>
#include <memory>

#include "HeadlessDialogs.h"
#include "Report.h"
#include "RunReport.h"
#include "Session.h"

class QEventLoop;

namespace tk {

class SimulatedClock;

// Exit status of a run without windows.
enum class HeadlessExit {
    Passed = 0,           // every stored measurement stayed under its switched-on boundaries
    BoundaryReached = 1,  // a trace reached a switched-on boundary
    Failed = 2,           // the run stopped on an error, never started, or a file it was to write was not
};

// A script run without windows (tk820-2 --headless): the session alone, without a widget. Its messages go
// to standard error through the headless dialogs, and the run ends when the script does: after "Script
// done", or when the run stops. Each measurement a step stores is checked against the boundaries switched
// on for it. With a simulated clock the 100 ms ticks follow each other at once, each moving the clock on by
// its 100 ms.
class HeadlessRun final : public QObject {
    Q_OBJECT
public:
    // parameterPath: the parameter file the start-up reads.
    HeadlessRun(Session& session, const QString& parameterPath, HeadlessDialogs& dialogs,
                SimulatedClock* simulated = nullptr);
    ~HeadlessRun() override;

    // Starts the program with the script, runs until the script ends and returns the exit status; writes the
    // report there when a path is given.
    HeadlessExit Exec(const QString& scriptName, const QString& reportPath = {});
    // At the end of the run, a PDF test report of the measurements it stored is written to path.
    void WritePdfReport(const QString& path, const ReportSetup& setup) {
        m_pdfPath = path;
        m_pdfSetup = setup;
    }
    const RunReport& report() const { return m_report; }

private:
    class StepActions;
    friend class StepActions;

    // A file a step loads by a relative name that is not in the working directory is taken from beside the
    // script, so that a script and its files can be run from anywhere.
    QString Resolve(const QString& path) const;
    void Started();
    void Stored(const QString& measurementFile);
    void Printed(const QString& pdf);
    void NotWritten(const QString& file, const QString& reason);
    void AfterTick();
    HeadlessExit Outcome() const;
    void Finish();
    bool WritePdf();
    RunReport::Step& StepRecord(int step);

    Session& m_session;
    MeasurementModel& m_model;
    QString m_parameterPath;
    HeadlessDialogs& m_dialogs;
    SimulatedClock* m_simulated;
    std::unique_ptr<StepActions> m_actions;
    QDir m_scriptDir;
    QString m_reportPath;
    RunReport m_report;
    QString m_pdfPath;
    ReportSetup m_pdfSetup;
    // The measurements stored, in order, and whether the correction was on for each.
    std::vector<std::pair<QString, bool>> m_stored;
    bool m_started = false;
    bool m_finished = false;
    int m_errorsAtStart = 0;
    QEventLoop* m_loop = nullptr;
    HeadlessExit m_exit = HeadlessExit::Failed;
};

}  // namespace tk
