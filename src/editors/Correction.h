#pragma once

#include "MeasurementModel.h"
#include "TraceReader.h"

namespace tk {

// Trace indices first..last (both included); empty when last < first.
struct IndexRange {
    int first = 0;
    int last = -1;
};

// Division j (0..9) of a sweep: round(j * 400 / resolution) .. round((j + 1) * 400 / resolution - 1).
IndexRange CorrectionDivision(int j, int resolution);
// The whole sweep: 0 .. round(4000 / resolution - 1).
IndexRange CorrectionSweep(int resolution);

// traceComparison(i) - traceAverage(i) in raw units, in full: loaded traces may hold any 16-bit values.
int Deviation(const MeasurementModel& model, int i);

// The deviation of largest size over a range (the earlier index on a tie); its index becomes
// rememberedIndex. With no deviation other than 0 the result is 0 and rememberedIndex stays.
int LargestDeviation(const MeasurementModel& model, IndexRange range, int& rememberedIndex);

// The correction command: builds a calibration curve from the comparison curve and the average trace, in
// a first curve and refinement passes, each on the average trace as corrected by the points so far; then
// asks by how much to scale it. Does nothing without an open link or a shown comparison curve. When the
// link fails on the way, the curve, the correction switch and the remembered switches are as they were
// before, and nothing is asked.
void RunCorrection(AnalyzerLink& link, TraceReader& reader);

}  // namespace tk
