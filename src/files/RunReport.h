#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tk {

// The report of a run without windows (--report FILE.json).
struct RunReport {
    struct Margin {
        QString trace;  // "actual", "average", "peak"
        bool reached = false;
        std::optional<double> marginDb;  // nothing when the boundary covers no point of the sweep
        double frequencyMHz = 0.0;
    };
    struct Peak {
        int number = 0;
        double frequencyMHz = 0.0;
        double level = 0.0;                   // in the report's level unit
        std::optional<double> boundaryLevel;  // nothing where the boundary is off or does not cover it
        std::optional<double> marginDb;
        bool reached = false;
    };
    struct TracePeaks {
        QString trace;      // "actual", "average", "peak"
        QList<Peak> peaks;  // as the peak table lists them: worst margin first, or highest first
    };
    struct Step {
        int step = 0;           // the script step whose measurement was stored
        QStringList files;      // the measurement file, and its printout when the step printed
        QList<Margin> margins;  // one per trace with a switched-on boundary
        QString levelUnit;      // the unit of the peaks' levels
        QList<TracePeaks> peaks;  // the highest peaks of each trace
    };
    struct Unwritten {
        QString file;
        QString reason;
    };
    QString script;
    int exitStatus = 2;
    QString outcome;
    QList<Step> steps;
    QList<Unwritten> unwritten;  // every file the run was to write and did not, its printouts included
};

// The report as indented JSON: the script, the exit status and its meaning, the steps, the files not
// written with the reason, the smallest margin of the whole run ("worst", null when no boundary was
// checked), and each step's highest peaks. Margins are given in dB to two decimals, frequencies in MHz to
// three.
QByteArray RunReportJson(const RunReport& report);

}  // namespace tk
