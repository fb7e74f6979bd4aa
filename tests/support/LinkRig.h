#pragma once

#include "AnalyzerLink.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

#include <QByteArray>

namespace tk::test {

// A version block of `size` bytes holding `version` at `vAt`.
inline QByteArray VersionBlock(int vAt, const QByteArray& version = "V2.31", int size = 100) {
    QByteArray b(size, '.');
    b.replace(vAt, version.size(), version);
    return b;
}

// A well-behaved interface: "b" commands echo upper case, "i" gives "I", digits echo, "v" gives a block.
inline QByteArray GoodInterface(char c, int) {
    if (c == 'i') return "I";
    if (c >= '1' && c <= '5') return QByteArray(1, c);
    if (c == 'v') return VersionBlock(30);
    if (c >= 'a' && c <= 'z') return QByteArray(1, static_cast<char>(c - 32));
    return {};
}

// The link layer over a scripted port, in simulated time.
struct LinkRig {
    FakeClock clock;
    ScriptedPort port{clock};
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
};

}  // namespace tk::test
