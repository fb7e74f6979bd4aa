#pragma once

#include <QStringList>

#include "AnalyzerLink.h"
#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"

namespace tk::test {

// The link layer over the in-process emulated interface, in simulated time; args are the emulator's options.
struct EmulatorLinkRig {
    explicit EmulatorLinkRig(const QStringList& args = {}) : port(clock, EmulatorOptionsOf(args)) {}

    FakeClock clock;
    EmulatorPort port;
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
};

}  // namespace tk::test
