#pragma once

// Emissions over their boundary, as capture on violation sees them: each a peak of a checked trace at or
// above its boundary, known again by its frequency from read to read.

#include <QString>
#include <vector>

#include "Canvas.h"
#include "PeakTable.h"

namespace tk {

// The peaks of a trace that reach its switched-on boundary (the peak table's rows with the boundary
// reached, up to PEAK_COUNT_MAX of them), worst margin first; none while the boundary is off.
std::vector<PeakRow> ViolatingEmissions(const MeasurementModel& model, BoundaryTrace trace);

// Which violating emissions a read captures. An emission is the same as one seen before on the same trace
// when its frequency lies within the tolerance of that one's (a drifting carrier stays itself). A new
// emission captures; one seen before captures again only when it had cleared meanwhile and the hold-off has
// passed since its last capture, so that a steady violation captures once and an intermittent one each time
// it comes back after the hold-off.
class EmissionTracker {
public:
    // The rows of this read of the trace that capture, in the order given.
    std::vector<PeakRow> Update(BoundaryTrace trace, const std::vector<PeakRow>& violating, double nowSeconds,
                                double holdOffSeconds, double toleranceMHz);
    void Clear() { m_known.clear(); }

private:
    struct Known {
        BoundaryTrace trace;
        float frequencyMHz;
        double lastCapture;
        bool present;
    };
    std::vector<Known> m_known;
};

// A capture's picture: after the graph was drawn on the canvas, the violating trace once more on top (so no
// other curve of its colour hides it), a dashed line at the emission's frequency, and a legend at the top of
// the plot: the time, trace, frequency, level, boundary and margin.
void DrawCaptureAnnotation(const MeasurementModel& model, Canvas& canvas, BoundaryTrace trace,
                           const PeakRow& emission, const QString& timeText);
// The legend's two lines: "10:15:02  Actual  6.500 MHz", "66.2 dBuV  boundary 60.0 dBuV  margin -6.2 dB".
QString CaptureLegend(const MeasurementSettings& settings, BoundaryTrace trace, const PeakRow& emission,
                      const QString& timeText);

}  // namespace tk
