#pragma once

// The strongest emissions of a trace, each with its margin to the trace's boundary: what the peak table
// shows, what the graph numbers, and what the headless report lists.

#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "BoundaryMargins.h"
#include "Canvas.h"
#include "MeasurementModel.h"

namespace tk {

constexpr int PEAK_COUNT_MIN = 1;
constexpr int PEAK_COUNT_MAX = 50;

struct PeakOptions {
    int count = 10;             // the N highest peaks, 1..50
    double prominenceDb = 6.0;  // how far a peak stands above the floor it rises from
    int spacingPoints = 3;      // peaks closer than this many points are one emission; the higher is kept
};

// The peaks of levels (raw units, one per sweep point): local maxima above noiseFloor (raw) that stand at
// least prominenceDb above the higher of the two minima beside them, each minimum taken between the peak and
// the nearest strictly higher point on that side (or the end of the sweep); on its left a point as high
// counts as higher, so that of equal tops with no dip of prominenceDb between them only the first is a peak
// (a plateau with ripples is one emission). A peak at an end of the sweep has one side only. A flat top
// counts once, at its middle (the lower middle point of an even run). Among peaks closer than
// spacingPoints the higher wins (the lower index among equal ones). The count highest are returned by
// index, highest first.
std::vector<int> FindPeaks(std::span<const std::int16_t> levels, double noiseFloor,
                           const PeakOptions& options);

struct PeakRow {
    int number = 0;  // 1.. in table order; the graph marks the peak with it
    int index = 0;   // sweep point
    float frequencyMHz = 0.0f;
    double level = 0.0;  // in levelUnit
    // Boundary and margin are empty where the trace's boundary is off or does not cover the point.
    std::optional<double> boundaryLevel;  // in levelUnit
    std::optional<double> marginDb;       // boundary minus level, 0 or less where reached
    bool reached = false;
};

// The peaks of one trace over the points of the sweep (4000 / resolution of them) above the graph's noise
// floor, with boundary and margin worked out as the violation list checks a point. Worst margin first when
// the trace's boundary is on (rows it does not cover after the others, highest level first), else highest
// level first.
std::vector<PeakRow> PeakTable(const MeasurementModel& model, BoundaryTrace trace,
                               const PeakOptions& options);

// One point of a trace as the table shows a peak: frequency, level in levelUnit, and boundary, margin and
// reached where the trace's boundary is on and covers the point.
PeakRow PointRow(const MeasurementModel& model, BoundaryTrace trace, int index);

// What stands under the mouse at x on the graph (0..4000 across the plot, in a logarithmic view the view's
// x), one line each: the frequency of the nearest point, then each shown trace's level there, with its
// boundary and margin where it is checked. Empty outside the plot and outside the sweep.
QString GraphReadout(const MeasurementModel& model, double graphX);

// The column titles, levels in levelUnit, and one row's texts: number, frequency in plain digits ("3.900"),
// level, boundary and margin to a tenth (empty when not covered), "*" where the boundary is reached.
QStringList PeakTableHeader(const MeasurementSettings& settings);
QStringList PeakRowFields(const PeakRow& row);

// The table as text, one line per row after a header line: tab-separated for the clipboard, or CSV (values
// with a comma or quote in quotes). Levels in levelUnit, the unit named in the header.
QString PeakTableText(const MeasurementSettings& settings, const std::vector<PeakRow>& rows, QChar separator);

// The colour the graph draws a trace in, and its name ("Actual", "Average", "Peak").
int TraceColour(BoundaryTrace trace);
QString TraceTitle(BoundaryTrace trace);
const TraceArray& TraceOf(const MeasurementModel& model, BoundaryTrace trace);

// The places the peaks' numbers take on the graph, in x units and levels: a number is about this wide per
// digit and this many label units d high.
struct PeakLabels {
    std::vector<QRectF> taken;
};
constexpr double PEAK_LABEL_DIGIT_WIDTH = 45.0;
constexpr double PEAK_LABEL_HEIGHT_D = 12.0;

// Numbers the peaks on the graph in the trace's colour: a short tick above each peak and its number above
// it, on the graph's present scale (graphLevelMin..graphLevelMax), a line higher where it would cover a
// number drawn before (in rows' order, or by earlier calls sharing labels). Pen colour and width are left as
// they were.
void DrawPeakMarkers(const MeasurementModel& model, Canvas& canvas, BoundaryTrace trace,
                     const std::vector<PeakRow>& rows, PeakLabels* labels = nullptr);

}  // namespace tk
