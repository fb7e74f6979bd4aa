#pragma once

#include <QByteArray>
#include <utility>

#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

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

// The link layer over a port of type Port, made from the clock and `args`, in simulated time.
template <typename Port>
struct BasicLinkRig {
    template <typename... Args>
    explicit BasicLinkRig(Args&&... args) : port(clock, std::forward<Args>(args)...) {}

    FakeClock clock;
    Port port;
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
};

// The link layer over a scripted port.
using LinkRig = BasicLinkRig<ScriptedPort>;

// An auto configuration's window that shows nothing.
class QuietSearchView : public AutoConfigureView {
public:
    void SelectPort(int) override {}
    void SelectBaud(int) override {}
    void DeselectPort(int) override {}
    void DeselectBaud(int) override {}
    void ShowProgress(int, int) override {}
    void SearchEnded() override {}
};

}  // namespace tk::test
