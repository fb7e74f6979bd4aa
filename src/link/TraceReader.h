#pragma once

#include <climits>

#include "AnalyzerLink.h"

namespace tk {

// Reads one of the interface's three traces: the request letter, then 40 / resolution blocks of 102 bytes
// (header letter, block number, 100 levels), decoded as they arrive into the model's trace array.
class TraceReader {
public:
    explicit TraceReader(AnalyzerLink& link) : m_link(link) {}

    void ReadActualTrace() { Read(TraceKind::Actual); }
    void ReadPeakTrace() { Read(TraceKind::Peak); }
    void ReadAverageTrace() { Read(TraceKind::Average); }
    void Read(TraceKind kind);

    // Adds the calibration curve's correction to the points of the current sweep when it is switched on;
    // with last, to points 0..last only (a read stopped early).
    static void ApplyCorrection(MeasurementModel& model, TraceArray& trace, int last = INT_MAX);
    // Combines a trace with the reference curve of the selector (0 actual, 1 average, 2 peak, else none).
    static void ApplyReferenceCalc(MeasurementModel& model, TraceArray& trace, int selector,
                                   int last = INT_MAX);

    // While a read into `target` runs: the points received so far, over the trace's earlier values.
    const TraceArray* Receiving(const TraceArray& target) const;

private:
    enum class Outcome { Complete, Failed, NotValid, Stopped };
    struct Stamp {
        FixedText<10> time;
        FixedText<10> date;
    };
    bool Request(char request, Stamp& stamp, int& attempts);
    Outcome Receive(char header, const QString& name);
    void DrainLine();

    AnalyzerLink& m_link;
    TraceArray m_received{};
    const TraceArray* m_receiving = nullptr;
};

// The last trace index that routines walking the current sweep touch: 4000 / resolution (none for a
// resolution below 1).
int SweepLastIndex(int resolution);

}  // namespace tk
