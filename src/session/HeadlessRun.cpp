#include "HeadlessRun.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <cstdio>

#include "BoundaryMargins.h"
#include "Clock.h"
#include "FileIO.h"
#include "PeakTable.h"
#include "ReportPdf.h"
#include "ScriptFileActions.h"
#include "Units.h"
#include "Version.h"

namespace tk {
namespace {

constexpr double TICK_SECONDS = 0.1;

QString TraceName(BoundaryTrace kind) {
    switch (kind) {
        case BoundaryTrace::Actual:
            return QStringLiteral("actual");
        case BoundaryTrace::Average:
            return QStringLiteral("average");
        case BoundaryTrace::Peak:
            break;
    }
    return QStringLiteral("peak");
}

QString OutcomeText(HeadlessExit exit) {
    switch (exit) {
        case HeadlessExit::Passed:
            return QStringLiteral("every stored measurement stayed under its switched-on boundaries");
        case HeadlessExit::BoundaryReached:
            return QStringLiteral("a trace reached a switched-on boundary");
        case HeadlessExit::Failed:
            break;
    }
    return QStringLiteral("the run stopped on an error or never started");
}

}  // namespace

// The real step actions, watched: which files a step loads, what it stores and prints, and when a run starts.
class HeadlessRun::StepActions final : public ScriptActions {
public:
    explicit StepActions(HeadlessRun& run)
        : m_run(run), m_files(run.m_model, run.m_session.Link(), [&session = run.m_session](bool) {
              session.ShowSwitches();
          }) {}

    FileLoad LoadSettings(const QString& path) override { return m_files.LoadSettings(m_run.Resolve(path)); }
    FileLoad LoadBoundaries(const QString& path) override {
        return m_files.LoadBoundaries(m_run.Resolve(path));
    }
    FileLoad LoadCalibration(const QString& path) override {
        return m_files.LoadCalibration(m_run.Resolve(path));
    }
    FileSave SaveMeasurement(const QString& path) override {
        const FileSave saved = m_files.SaveMeasurement(path);
        if (saved == FileSave::Ok)
            m_run.Stored(path);
        else
            m_run.NotWritten(path, saved == FileSave::CannotOpen
                                       ? QStringLiteral("the file could not be created")
                                       : QStringLiteral("a write failed"));
        return saved;
    }
    void Print(const QString& pdfName, const QString& measurementFile) override {
        m_files.Print(pdfName, measurementFile);
        if (m_files.lastPrintout().isEmpty())
            m_run.NotWritten(pdfName, m_files.printProblem().isEmpty()
                                          ? QStringLiteral("the printout could not be written")
                                          : m_files.printProblem());
        else
            m_run.Printed(m_files.lastPrintout());
    }
    void ConnectInterface() override { m_files.ConnectInterface(); }
    bool LinkOpen() override { return m_files.LinkOpen(); }
    void SetAutoMeasurementChecked(bool checked) override {
        m_files.SetAutoMeasurementChecked(checked);
        // Only the start of a run switches automatic measurement on through a script.
        if (checked) m_run.Started();
    }
    void ProcessEvents() override { m_files.ProcessEvents(); }

private:
    HeadlessRun& m_run;
    ScriptFileActions m_files;
};

HeadlessRun::HeadlessRun(Session& session, const QString& parameterPath, HeadlessDialogs& dialogs,
                         SimulatedClock* simulated)
    : m_session(session),
      m_model(session.Model()),
      m_parameterPath(parameterPath),
      m_dialogs(dialogs),
      m_simulated(simulated) {
    m_actions = std::make_unique<StepActions>(*this);
    m_session.UseActions(*m_actions);
}

HeadlessRun::~HeadlessRun() = default;

HeadlessExit HeadlessRun::Exec(const QString& scriptName, const QString& reportPath) {
    m_reportPath = reportPath;
    const QFileInfo script(scriptName);
    m_scriptDir = script.absoluteDir();
    m_report.script = script.absoluteFilePath();

    auto* timer = &m_session.Timer();
    if (m_simulated) {
        timer->setInterval(0);
        connect(timer, &QTimer::timeout, this, [this] { m_simulated->advance(TICK_SECONDS); });
    }
    connect(timer, &QTimer::timeout, this, &HeadlessRun::AfterTick);

    if (!m_session.Load(m_parameterPath, scriptName)) {
        // Without a valid parameter file the program starts no script. A run without windows never writes
        // that file (only "&Exit" does), so it would never start at all: it starts with the defaults.
        m_model.scriptFileName = scriptName;
        m_session.StartScriptAtProgramStart();
    }
    AfterTick();  // a script that did not start, or whose step 0 ended it
    if (!m_finished) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    return m_exit;
}

QString HeadlessRun::Resolve(const QString& path) const {
    const QFileInfo info(path);
    if (!info.isRelative() || info.exists()) return path;
    const QString beside = m_scriptDir.filePath(path);
    return QFileInfo::exists(beside) ? beside : path;
}

void HeadlessRun::Started() {
    if (m_started) return;
    m_started = true;
    m_errorsAtStart = m_dialogs.errors();
}

RunReport::Step& HeadlessRun::StepRecord(int step) {
    if (m_report.steps.isEmpty() || m_report.steps.last().step != step) {
        RunReport::Step record;
        record.step = step;
        m_report.steps.append(record);
    }
    return m_report.steps.last();
}

void HeadlessRun::Stored(const QString& measurementFile) {
    // A step's measurement is stored when the step after it begins.
    RunReport::Step& record = StepRecord(m_model.scriptStepIndex - 1);
    record.files.append(QFileInfo(measurementFile).absoluteFilePath());
    m_stored.emplace_back(QFileInfo(measurementFile).absoluteFilePath(),
                          bool(m_model.settings.calibrationOn));
    record.margins.clear();
    for (const BoundaryMargin& m : SmallestBoundaryMargins(m_model))
        record.margins.append({TraceName(m.trace), m.reached, m.marginDb, m.frequencyMHz});
    // The peak table's rows of each trace, by the options the peak table starts with.
    const PeakOptions options;
    record.levelUnit = UnitText(m_model.settings, m_model.settings.levelUnit);
    record.peaks.clear();
    for (BoundaryTrace trace : {BoundaryTrace::Actual, BoundaryTrace::Average, BoundaryTrace::Peak}) {
        RunReport::TracePeaks listed{TraceName(trace), {}};
        for (const PeakRow& r : PeakTable(m_model, trace, options))
            listed.peaks.append({r.number, r.frequencyMHz, r.level, r.boundaryLevel, r.marginDb, r.reached});
        record.peaks.append(listed);
    }
}

void HeadlessRun::Printed(const QString& pdf) {
    StepRecord(m_model.scriptStepIndex - 1).files.append(QFileInfo(pdf).absoluteFilePath());
}

void HeadlessRun::NotWritten(const QString& file, const QString& reason) {
    m_report.unwritten.append({QFileInfo(file).absoluteFilePath(), reason});
}

void HeadlessRun::AfterTick() {
    // On the event loop a step may be waiting on the line between ticks.
    if (m_finished || m_model.scriptRunning || m_session.Scripts().Executing() || m_session.Line().Busy())
        return;
    Finish();
}

HeadlessExit HeadlessRun::Outcome() const {
    if (!m_started) return HeadlessExit::Failed;
    // A file the run was to write and did not fails it, even where the script went on to "Script done".
    if (!m_report.unwritten.isEmpty()) return HeadlessExit::Failed;
    // A run ends with "Script done", or stops: after a failure, which is always reported, or silently after
    // a step 0 without a delay.
    const bool failed = m_dialogs.errors() > m_errorsAtStart;
    if (failed && !m_session.Scripts().Completed()) return HeadlessExit::Failed;
    for (const RunReport::Step& step : m_report.steps)
        for (const RunReport::Margin& m : step.margins)
            if (m.reached) return HeadlessExit::BoundaryReached;
    return HeadlessExit::Passed;
}

bool HeadlessRun::WritePdf() {
    Report report;
    report.setup = m_pdfSetup;
    report.written = QDateTime::currentDateTime();
    report.programVersion = QString::fromLatin1(PROGRAM_VERSION);
    for (const auto& [file, correction] : m_stored) {
        QString error;
        std::optional<ReportScan> scan = ReadReportScan(file, &error);
        if (!scan) {
            std::fprintf(stderr, "tk820-2: the PDF report cannot use %s: it %s\n", qPrintable(file),
                         qPrintable(error));
            return false;
        }
        scan->correction = correction;
        scan->model.interfaceVersion = m_model.interfaceVersion;
        report.scans.push_back(std::move(*scan));
    }
    if (WriteReportPdf(report, m_pdfPath, ReportPaper(QLocale()))) return true;
    std::fprintf(stderr, "tk820-2: the PDF report could not be written to %s\n", qPrintable(m_pdfPath));
    return false;
}

void HeadlessRun::Finish() {
    m_finished = true;
    m_session.Timer().stop();
    m_exit = Outcome();
    m_report.exitStatus = static_cast<int>(m_exit);
    m_report.outcome = OutcomeText(m_exit);
    if (!m_reportPath.isEmpty() && !WriteFileAtomically(m_reportPath, RunReportJson(m_report))) {
        std::fprintf(stderr, "tk820-2: the report could not be written to %s\n", qPrintable(m_reportPath));
        // Whoever asked for the report reads it: a run without it has not done its job.
        m_exit = HeadlessExit::Failed;
    }
    if (!m_pdfPath.isEmpty() && !WritePdf()) m_exit = HeadlessExit::Failed;
    for (const RunReport::Unwritten& u : m_report.unwritten)
        std::fprintf(stderr, "tk820-2: not written: %s (%s)\n", qPrintable(u.file), qPrintable(u.reason));
    std::fprintf(stderr, "tk820-2: run ended, %s (exit status %d)\n", qPrintable(OutcomeText(m_exit)),
                 static_cast<int>(m_exit));
    if (m_loop) m_loop->exit(static_cast<int>(m_exit));
}

}  // namespace tk
