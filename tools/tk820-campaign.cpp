// Writes the shipped example campaign (examples/scripts) through the program's own settings and script
// writers: tk820-campaign DIR. The campaign scans the conducted emissions of 0 to 50 MHz twice, a minute
// each, against the CISPR 32 class B limits of the mains port, and prints the first scan.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "FileIO.h"
#include "MeasurementModel.h"
#include "ScriptFile.h"
#include "SettingsFile.h"

namespace {

void CampaignSettings(tk::MeasurementModel& model) {
    tk::MeasurementSettings& s = model.settings;
    // Ten divisions of 5 MHz, a width the analyzer has: 0 to 50 MHz, which holds the 0.15-30 MHz band.
    s.centerFreq = 25.0f;
    s.scanWidth = 5.0f;
    s.levelUnit = 2;  // dBuV, the unit of the standard's limits
    s.resolution = 8;
    s.portNumber = 2;
    s.baudIndex = 5;
    // Peak and average come often enough that a scan of one minute holds several of each.
    s.actualInterval = 2;
    s.peakInterval = 10;
    s.averageInterval = 10;
    s.limitActual = true;
    s.limitAverage = true;
    s.limitPeak = true;
    model.printBlackWhite = false;
    model.printActual = true;
    model.printAverage = true;
    model.printPeak = true;
    model.printBoundaryActual = true;
    model.printBoundaryAverage = true;
    model.printBoundaryPeak = true;
    model.printFromMHz = 0.0f;
    model.printToMHz = 30.0f;
}

void CampaignSteps(tk::ScriptTable& table) {
    tk::ScriptStep& first = table[0];
    first.messageText.set(QStringLiteral("CISPR 32 class B pre-scan, mains port, 0-30 MHz: scan 1"));
    first.settingsFile.set(QStringLiteral("campaign.set"));
    first.boundariesFile.set(QStringLiteral("../limits/cispr32-class-b-mains.grn"));
    first.measurementFile.set(QStringLiteral("campaign-scan1.mes"));
    first.printMeasurement = true;
    first.delayMinutes = 1;
    tk::ScriptStep& second = table[1];
    second.messageText.set(QStringLiteral("Scan 2"));
    second.measurementFile.set(QStringLiteral("campaign-scan2.mes"));
    second.delayMinutes = 1;
    // Step 2 has no delay: it stores scan 2 and ends the run.
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tk820-campaign DIR\n");
        return 2;
    }
    const QDir dir(args[1]);
    tk::MeasurementModel model;
    CampaignSettings(model);
    tk::ScriptTable table{};
    CampaignSteps(table);
    const QString settings = dir.filePath(QStringLiteral("campaign.set"));
    const QString script = dir.filePath(QStringLiteral("campaign.scp"));
    if (!tk::WriteFileAtomically(settings, tk::WriteSettings(model)) ||
        !tk::WriteFileAtomically(script, tk::ScriptBytes(table))) {
        std::fprintf(stderr, "tk820-campaign: cannot write into %s\n", qPrintable(args[1]));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(settings), qPrintable(script));
    return 0;
}
