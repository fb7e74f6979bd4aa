#pragma once

#include <functional>

#include "Canvas.h"
#include "MeasurementModel.h"

namespace tk {

// What the graph asks of the rest of the program while it redraws. Each may be left empty: the port then
// counts as closed and there is nothing to refresh.
struct GraphHooks {
    std::function<bool()> portOpen;              // the serial port to the interface is open
    std::function<void()> refreshLevelWindow;    // the level window rebuilds its rows
    std::function<void()> refreshViolationList;  // the violation list rebuilds its rows
    std::function<void()> refreshPeakTable;      // the peak table finds its peaks anew
    std::function<void(Canvas&)> drawOverlay;    // drawn last, over the labels: the peak table's markers
    // While a trace is being read: what to draw in its place (the points received so far), or nothing.
    std::function<const TraceArray*(const TraceArray& trace)> inProgress;
};

// The one full redraw of the spectrum graph: works out the level range and the caption, then clears the
// canvas and draws frame, grid, boundaries, traces, the cursor lines of the open lists and the labels.
void RedrawGraph(MeasurementModel& model, Canvas& canvas, const GraphHooks& hooks = {});

// Zeroes the measured traces and the count of rejected transfers, opens the graph and redraws it.
void EraseTraces(MeasurementModel& model, Canvas& canvas, const GraphHooks& hooks = {});

// Move the level window's (light red) or the violation list's (light green) dotted cursor line to its x:
// the old line, unless a full redraw has already wiped it, is drawn once more in not-xor mode, which
// removes it, and the new one is drawn the same way. Pen colour and draw mode are left as they were.
void DrawLevelCursor(MeasurementModel& model, Canvas& canvas);
void DrawLimitCursor(MeasurementModel& model, Canvas& canvas);

// The graph as the rest of the program calls it: the model, the canvas of the graph window while there is
// one, and the hooks. Without a window it behaves as with a minimised one: the level range is kept up to
// date and nothing is drawn.
class SpectrumGraph {
public:
    explicit SpectrumGraph(MeasurementModel& model, GraphHooks hooks = {});

    void setCanvas(Canvas* canvas) { m_canvas = canvas; }
    Canvas* canvas() const { return m_canvas; }
    void setHooks(GraphHooks hooks) { m_hooks = std::move(hooks); }
    const GraphHooks& hooks() const { return m_hooks; }

    void RedrawGraph();
    void EraseTraces();
    void DrawLevelCursor();
    void DrawLimitCursor();

private:
    Canvas& target();

    MeasurementModel& m_model;
    Canvas* m_canvas = nullptr;
    GraphHooks m_hooks;
};

}  // namespace tk
