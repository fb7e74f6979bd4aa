#include "TraceReader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Calibration.h"
#include "Units.h"

namespace tk {
namespace {

struct TraceParams {
    const char* name;
    char request;
    char header;
    TraceArray MeasurementModel::*trace;
    VbBool MeasurementModel::*busy;
    FixedText<10> MeasurementModel::*readTime;
    std::int16_t MeasurementModel::*selector;
};

TraceParams ParamsOf(TraceKind kind) {
    switch (kind) {
        case TraceKind::Peak:
            return {"Peak",
                    's',
                    'S',
                    &MeasurementModel::tracePeak,
                    &MeasurementModel::peakBusy,
                    &MeasurementModel::timePeak,
                    &MeasurementModel::refSelPeak};
        case TraceKind::Average:
            return {"Average",
                    'm',
                    'M',
                    &MeasurementModel::traceAverage,
                    &MeasurementModel::averageBusy,
                    &MeasurementModel::timeAverage,
                    &MeasurementModel::refSelAverage};
        case TraceKind::Actual:
        default:
            return {"Actual",
                    'a',
                    'A',
                    &MeasurementModel::traceActual,
                    &MeasurementModel::actualBusy,
                    &MeasurementModel::timeActual,
                    &MeasurementModel::refSelActual};
    }
}

// Results beyond the 16-bit range are held at its ends rather than wrapped.
std::int16_t Saturate(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int16_t>(
        std::clamp(v, static_cast<double>(std::numeric_limits<std::int16_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int16_t>::max())));
}

}  // namespace

int SweepLastIndex(int resolution) {
    if (resolution < 1) return -1;
    return std::min(4000 / resolution, TRACE_LAST_INDEX);
}

void TraceReader::Read(TraceKind kind) {
    MeasurementModel& model = m_link.Model();
    const TraceParams p = ParamsOf(kind);
    VbBool& busy = model.*p.busy;
    // A stop asked for during this exchange also skips the reads still to come in it.
    if (!m_link.IsOpen() || busy || m_link.Line().StopRequested() || m_link.Line().Closed()) return;
    m_link.SendChangedResolution();
    if (!m_link.IsOpen()) return;
    m_link.View().CloseInformation();
    busy = true;
    // The read fills a trace of its own; the model's trace and its time change only when the read ends.
    TraceArray& target = model.*p.trace;
    m_received = target;
    m_receiving = &target;
    Stamp stamp{model.*p.readTime, model.readDate};
    const auto take = [&] {
        target = m_received;
        model.*p.readTime = stamp.time;
        model.readDate = stamp.date;
    };
    int attempts = 0;
    const Outcome outcome = Request(p.request, stamp, attempts)
                                ? Receive(p.header, QString::fromLatin1(p.name))
                            : m_link.Aborted() ? Outcome::Stopped
                                               : Outcome::Failed;
    m_receiving = nullptr;
    switch (outcome) {
        case Outcome::Complete:
            ApplyCorrection(model, m_received);
            if (model.referenceCalcOn) ApplyReferenceCalc(model, m_received, model.*p.selector);
            take();
            model.graphOpen = true;
            m_link.View().RedrawGraph();
            m_link.View().TraceRead(kind);
            break;
        case Outcome::Stopped:
            // The user stopped the read: the trace keeps its last complete read and its time; the rest of
            // the answer is let pass, so that nothing of it is taken for the next exchange's.
            m_link.View().ReadStopped(QString::fromLatin1(p.name));
            if (m_link.Line().DrainAfterStop()) DrainLine();
            break;
        case Outcome::NotValid:
            // The points of the blocks before the wrong one stay, the others keep their values.
            take();
            m_link.View().ShowInformation(QStringLiteral("Transmission error - data not valid"));
            DrainLine();
            // The count stops at its largest value instead of turning negative.
            if (model.invalidTransferCount < std::numeric_limits<std::int16_t>::max())
                ++model.invalidTransferCount;
            break;
        case Outcome::Failed:
            // What was stored before the failure stays, as after a transfer that was not valid.
            take();
            break;
    }
    busy = false;
}

const TraceArray* TraceReader::Receiving(const TraceArray& target) const {
    return m_receiving == &target ? &m_received : nullptr;
}

bool TraceReader::Request(char request, Stamp& stamp, int& attempts) {
    MeasurementModel& model = m_link.Model();
    SerialPort& port = m_link.Port();
    for (;;) {
        if (!model.moduleSleeping) {
            stamp.time.set(m_link.TheClock().timeText());
            stamp.date.set(m_link.TheClock().dateText());
        }
        model.blockPos = 0;
        model.blockIndex = 0;
        port.clearBuffers();
        port.write(QByteArray(1, request));
        ++attempts;
        const double start = m_link.WaitStart();
        for (;;) {
            if (m_link.Aborted()) return false;
            if (port.bytesWaiting() < 1) m_link.WaitForData();
            if (port.bytesWaiting() >= 1) return true;
            if (m_link.Elapsed(start) > model.parameters.replyTimeout) break;
            if (attempts > 3) {
                m_link.Fail();
                return false;
            }
        }
    }
}

TraceReader::Outcome TraceReader::Receive(char header, const QString& name) {
    MeasurementModel& model = m_link.Model();
    SerialPort& port = m_link.Port();
    TraceArray& trace = m_received;
    const double blocks = model.settings.resolution != 0 ? 40.0 / model.settings.resolution : 0.0;
    auto allReceived = [&] { return model.blockIndex + 1 > blocks; };
    // Nothing left over from an earlier transfer may be taken for the start of this one.
    model.rxBuffer.clear();
    const double start = m_link.WaitStart();
    double shown = m_link.LineSeconds();
    for (;;) {
        // A stop takes effect between blocks, never inside one, unless the program is going away.
        if ((model.blockPos == 0 || m_link.Aborted()) && m_link.Line().StopRequested() && !allReceived()) {
            model.rxBuffer.clear();
            return Outcome::Stopped;
        }
        // The transfer limit is tested before completion: a last block that comes late is a failure.
        if (m_link.Elapsed(start) > model.parameters.traceTimeout) {
            model.rxBuffer.clear();
            m_link.Fail();
            return Outcome::Failed;
        }
        if (!allReceived() && model.rxBuffer.isEmpty() && port.bytesWaiting() == 0) m_link.WaitForData();
        const int length = std::min(port.bytesWaiting(), 80);
        if (model.rxBuffer.isEmpty()) model.rxBuffer = m_link.ReadBytes(length);
        if (allReceived()) return Outcome::Complete;
        for (const char c : std::as_const(model.rxBuffer)) {
            const auto b = static_cast<std::uint8_t>(c);
            if (model.blockPos == 0) {
                if (c != header) continue;
            } else if (model.blockPos == 1) {
                if (b != model.blockIndex) {
                    // What is left of this chunk belongs to the rejected transfer.
                    model.rxBuffer.clear();
                    return Outcome::NotValid;
                }
            } else {
                const int index = model.blockIndex * 100 + model.blockPos - 2;
                if (index >= 0 && index <= TRACE_LAST_INDEX) trace[static_cast<std::size_t>(index)] = b;
            }
            if (++model.blockPos == 102) {
                ++model.blockIndex;
                model.blockPos = 0;
            }
            if (allReceived()) break;
        }
        model.rxBuffer.clear();
        // A long read shows its progress, at most four times a second.
        if (!allReceived() && m_link.LineSeconds() - shown >= 0.25) {
            shown = m_link.LineSeconds();
            m_link.View().ShowReadProgress(name, model.blockIndex, static_cast<int>(std::ceil(blocks)));
        }
    }
}

void TraceReader::DrainLine() {
    const double limit = m_link.Model().parameters.replyTimeout;
    while (!m_link.Aborted()) {
        const double start = m_link.WaitStart();
        while (m_link.Elapsed(start) < limit && !m_link.Aborted()) {
            const double left = limit - m_link.Elapsed(start);
            m_link.SleepMs(std::max(1, std::min(POLL_SLICE_MS, static_cast<int>(left * 1000.0) + 1)));
        }
        if (m_link.Port().bytesWaiting() == 0) return;
        m_link.Port().clearBuffers();
    }
}

void TraceReader::ApplyCorrection(MeasurementModel& model, TraceArray& trace, int upTo) {
    if (!model.settings.calibrationOn) return;
    const MeasurementSettings& s = model.settings;
    const int last = std::min(upTo, SweepLastIndex(s.resolution));
    const float step = s.scanWidth / (4000.0f / static_cast<float>(s.resolution * 10));
    const float start = s.centerFreq - 5.0f * s.scanWidth;
    for (int i = 0; i <= last; ++i) {
        const float f = static_cast<float>(i) * step + start;
        const float correction = CorrectionAt(model, f);
        auto& v = trace[static_cast<std::size_t>(i)];
        v = Saturate(std::floor(DbToRawSingle(correction) + static_cast<float>(v)));
    }
}

void TraceReader::ApplyReferenceCalc(MeasurementModel& model, TraceArray& trace, int selector, int upTo) {
    const TraceArray* ref = nullptr;
    switch (selector) {
        case 0:
            ref = &model.refActual;
            break;
        case 1:
            ref = &model.refAverage;
            break;
        case 2:
            ref = &model.refPeak;
            break;
        default:
            return;
    }
    const int mode = model.refMode;
    if (mode < 0 || mode > 3) return;
    const int last = std::min(upTo, SweepLastIndex(model.settings.resolution));
    for (int i = 0; i <= last; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const int t = trace[k];
        const int r = (*ref)[k];
        switch (mode) {
            case 0:
                trace[k] = Saturate(r - t);
                break;
            case 1:
                trace[k] = Saturate(t - r);
                break;
            case 2:
                trace[k] = Saturate(t + r);
                break;
            case 3:
                if (t < r) trace[k] = 0;
                break;
        }
    }
}

}  // namespace tk
