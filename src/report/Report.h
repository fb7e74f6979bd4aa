#pragma once

// A test report of one or more scans: what was measured, against which boundary, with which set-up, and
// whether it passed. The texts and numbers here are what the report's pages print; the pages themselves are
// drawn by ReportPdf.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "BoundaryMargins.h"
#include "MeasurementModel.h"
#include "PeakTable.h"

namespace tk {

// What the engineer says about the report; remembered between runs by the window.
struct ReportSetup {
    QString title = QStringLiteral("EMC pre-scan report");
    QString eut;  // equipment under test
    QString operatorName;
    QString notes;
    double marginDb = 3.0;  // a passing scan closer than this to a boundary passes "with margin below"
};

// One scan of the report: a stored measurement, or the measurement on screen.
struct ReportScan {
    QString name;       // the file's name, or "Measurement on screen"
    QString path;       // the file read, empty for the screen
    QByteArray sha256;  // of the file's bytes, in hex; empty for the screen
    MeasurementModel model;
    QString boundaryFile;            // where it is known
    std::optional<bool> correction;  // on or off where known (a stored measurement does not say)
    QString calibrationFile;
};

enum class Verdict { Pass, PassBelowMargin, Fail, NotChecked };

// One checked trace of one scan: its smallest margin to its boundary.
struct ReportRow {
    int scan = 0;  // index into the scans
    BoundaryTrace trace = BoundaryTrace::Actual;
    bool reached = false;
    std::optional<double> marginDb;  // empty where the boundary covers no point
    float frequencyMHz = 0.0f;
    Verdict verdict = Verdict::NotChecked;
};

struct Report {
    ReportSetup setup;
    std::vector<ReportScan> scans;
    QDateTime written;  // local time of writing
    QString programVersion;
};

// A trace reaching its boundary fails it; a margin under setup.marginDb passes "with margin below"; a
// boundary that covers no point of the sweep checks nothing.
std::vector<ReportRow> ReportRows(const Report& report);
// The worst of the rows; NotChecked when no scan had a boundary switched on: a report that checked nothing
// does not say PASS.
Verdict OverallVerdict(const std::vector<ReportRow>& rows);
// "PASS", "FAIL", "PASS with margin below 3 dB", "NOT CHECKED".
QString VerdictText(Verdict verdict, double marginDb);

// The ten peaks of the checked traces closest to their boundaries (all checked traces together, worst
// margin first); where no boundary is checked, the ten highest peaks of the shown traces.
struct ReportPeak {
    BoundaryTrace trace;
    PeakRow row;
};
std::vector<ReportPeak> ReportPeaks(const MeasurementModel& model);

// The settings that label a scan, as "name: value" pairs in the order the page prints them.
std::vector<std::pair<QString, QString>> ReportSettings(const ReportScan& scan);

// The standard's notes where the scan's boundaries are those of a limit file shipped with the program.
QStringList LimitNotes(const MeasurementModel& model);

// The setup as the window remembers it between runs (JSON), and back; a missing or unreadable file gives the
// defaults.
QByteArray ReportSetupJson(const ReportSetup& setup);
ReportSetup ReportSetupFromJson(const QByteArray& json);

// Reads a stored measurement as a scan; nothing, with the reason, when the file cannot be read whole.
std::optional<ReportScan> ReadReportScan(const QString& path, QString* error);

// "Page N of M" layout: how many pages the report has, and the scans' pages start after these.
int SummaryPageCount(const Report& report);
int ReportPageCount(const Report& report);
constexpr int SUMMARY_ROWS_PER_PAGE = 30;
constexpr int TRACEABILITY_LINES_PER_PAGE = 25;

}  // namespace tk
