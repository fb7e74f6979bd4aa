#include <QList>
#include <array>
#include <optional>

#include "FuzzCheck.h"
#include "LinkRig.h"
#include "TraceReader.h"

using namespace tk;
using namespace tk::test;

namespace {

// The answers to the successive requests are parted by this pair of bytes.
const QByteArray kAnswerBreak = QByteArrayLiteral("\xA5\x5A");
constexpr std::array<std::int16_t, 4> kResolutions{1, 2, 4, 8};
constexpr std::array<char, 3> kRequests{'a', 's', 'm'};
constexpr std::int16_t kUntouched = -1;

}  // namespace

// The first byte picks the trace and the resolution, the second how fast the answers come; the rest are
// the interface's answers to the first, second, ... request of the trace, read twice in simulated time.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The rig is large; building it afresh in the same place each time keeps the runs apart without
    // asking the allocator for it on every input.
    static std::optional<LinkRig> fresh;
    LinkRig* const rig = &fresh.emplace();
    MeasurementModel& model = rig->model;
    const std::uint8_t mode = data[0];
    const auto kind = static_cast<TraceKind>((mode >> 2) % 3);
    const char request = kRequests[static_cast<std::size_t>(kind)];
    model.settings.resolution = kResolutions[mode & 3];
    // Short limits keep each run brief; the decoding does not depend on their length.
    model.parameters.replyTimeout = 1;
    model.parameters.traceTimeout = static_cast<std::uint8_t>(1 + (mode >> 6));
    rig->port.bytesPerSecond = data[1] == 0 ? 0.0 : 200.0 * data[1];

    QList<QByteArray> queued;
    const QByteArray rest = fuzz::InputBytes(data + 2, size - 2);
    for (qsizetype from = 0;;) {
        const qsizetype at = rest.indexOf(kAnswerBreak, from);
        queued.append(rest.mid(from, at < 0 ? -1 : at - from));
        if (at < 0) break;
        from = at + kAnswerBreak.size();
    }
    rig->port.responder = [&queued, request](char c, int count) -> QByteArray {
        if (c != request || count > queued.size()) return {};
        return queued.at(count - 1);
    };

    model.moduleSleeping = false;
    rig->link.OpenPort();
    rig->view.online = true;
    TraceArray& trace = kind == TraceKind::Actual ? model.traceActual
                        : kind == TraceKind::Peak ? model.tracePeak
                                                  : model.traceAverage;
    trace.fill(kUntouched);
    TraceReader reader(rig->link);
    for (int read = 0; read < 2; ++read) {
        reader.Read(kind);
        TK_FUZZ_CHECK(!model.actualBusy && !model.peakBusy && !model.averageBusy);
    }
    TK_FUZZ_CHECK(model.invalidTransferCount >= 0 && model.invalidTransferCount <= 2);
    // A level is one received byte, and only the points of the current sweep are ever written.
    const int points = 4000 / model.settings.resolution;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const int v = trace[i];
        if (static_cast<int>(i) >= points)
            TK_FUZZ_CHECK(v == kUntouched);
        else
            TK_FUZZ_CHECK(v == kUntouched || (v >= 0 && v <= 255));
    }
    return 0;
}
