#pragma once

// The pieces of the spectrum plot that the graph window and the printout draw alike; what differs between
// the two (widths, colours, which curves, label offsets, rounding) comes in as parameters.

#include <QString>

#include "Canvas.h"
#include "MeasurementModel.h"

namespace tk {

class LogFrequencyAxis;

// The plot spans x 0..4000 for the ten divisions of the sweep, 400 per division, the centre at 2000.
constexpr int PLOT_X_LAST = 4000;
constexpr int PLOT_X_CENTRE = 2000;
constexpr int PLOT_X_DIVISION = 400;
// The plot's level grid: 32 raw units are 10 dB.
constexpr int GRID_LEVEL_STEP = 32;
constexpr double GRID_DB_PER_STEP = 10.0;
// Raw units per dB of the plot's own level scale, 256 / 80.
constexpr double PLOT_RAW_PER_DB = 256.0 / 80.0;

// The level labels' value of raw level 0 in the display unit, and the unit's name.
struct LabelUnit {
    float base = 0.0f;
    QString text;
};

// From levelUnit. For the user unit the name without surrounding blanks is also written back, so that it is
// stored the way it is shown. An unknown unit is labelled as dBuV, as everywhere else in the program.
LabelUnit GraphLabelUnit(MeasurementSettings& settings);

// x units per MHz: 400 / scanWidth, or 4000 when the scan width is 0.
double XFactor(const MeasurementSettings& settings);

// N = 4000 / resolution - 1, rounded half to even: the last trace index that the plot draws (and the last
// that widens the level range). Kept within the trace arrays whatever the resolution.
int LastPlotIndex(int resolution);

// Lowers graphLevelMin from 0 and raises graphLevelMax from 255 to take in every value of the shown curves
// (the three show flags and showComparison) at indices 0..N. Boundaries do not widen the range.
void ComputeGraphLevelRange(MeasurementModel& model);

// The level at or below which a trace value is drawn at the bottom of the plot:
// floor(noiseSuppression * 255 / 80) + graphLevelMin.
double NoiseFloor(const MeasurementSettings& settings, int levelMin);

// The label spacing unit d = (max - min) / 255.
double LabelUnitHeight(int levelMin, int levelMax);

// Horizontal grid lines (0, y)-(4000, y) for y = 32, 64, ... up to max, then -32, -64, ... down to min, with
// the current pen.
void DrawHorizontalGrid(Canvas& canvas, int levelMin, int levelMax);

// What boundary drawing needs to know of the plot.
struct BoundaryPlacement {
    float centerFreq = 0.0f;
    float scanWidth = 0.0f;
    float attenuation = 0.0f;
    double xFactor = 1.0;
    int levelMin = 0;
    int levelMax = 255;
    // The graph window rounds the straight segments of the actual trace's boundary down to whole units;
    // the printout rounds nothing.
    bool roundStraightDown = false;
};

BoundaryPlacement PlacementFor(const MeasurementModel& model, bool roundStraightDown);

// One boundary with the current pen: the segments between consecutive points in use, straight or following
// the logarithm of the frequency in steps of 20 x units.
void DrawBoundary(Canvas& canvas, const BoundaryLine& boundary, const BoundaryPlacement& placement);

// The segments ((i-1)*resolution, y(i-1))-(i*resolution, y(i)) for i = first..last with the current pen,
// where a value at or below the noise floor is drawn at levelMin.
void DrawTrace(Canvas& canvas, const TraceArray& trace, int first, int last, int resolution,
               double noiseFloor, int levelMin);

// Where the scale labels sit, in units of d: the level labels at y + levelTextDy, "MHz" at min - mhzTextDy.
struct LabelPlacement {
    double levelTextDy = 6.0;
    double mhzTextDy = 12.0;
};

// Level labels at every grid step, the unit above them, the eleven division frequencies and "MHz", with the
// current pen. In a logarithmic view the frequencies are the view's.
void DrawScaleLabels(Canvas& canvas, const LabelUnit& unit, const MeasurementSettings& settings, int levelMin,
                     int levelMax, const LabelPlacement& placement, const LogFrequencyAxis* axis = nullptr);

}  // namespace tk
