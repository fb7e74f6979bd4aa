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
    struct Step {
        int step = 0;           // the script step whose measurement was stored
        QStringList files;      // the measurement file, and its printout when the step printed
        QList<Margin> margins;  // one per trace with a switched-on boundary
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
// written with the reason, and the smallest margin of the whole run ("worst", null when no boundary was
// checked). Margins are given in dB to two
// decimals, frequencies in MHz to three.
QByteArray RunReportJson(const RunReport& report);

}  // namespace tk
