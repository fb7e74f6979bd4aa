#include "SpectrumGraph.h"

#include <optional>

#include "GraphDrawing.h"
#include "LogFrequency.h"

namespace tk {
namespace {

// Stands in for the graph window while it is closed; it reports itself minimised, so a redraw stops before
// drawing, exactly as it does for a minimised window. It keeps no state.
class NoWindowCanvas final : public Canvas {
public:
    void clear() override {}
    void setScale(double, double, double, double) override {}
    void setPenColour(int) override {}
    int penColour() const override { return COLOUR_BLACK; }
    void setLineWidth(int) override {}
    void setLineStyle(LineStyle) override {}
    void setDrawMode(DrawMode) override {}
    DrawMode drawMode() const override { return DrawMode::Copy; }
    void line(double, double, double, double) override {}
    void line(double, double, double, double, int) override {}
    void polyline(std::span<const QPointF>) override {}
    void text(double, double, const QString&) override {}
    void setCaption(const QString&) override {}
    bool isMinimised() const override { return true; }
    void refresh() override {}
};

QString Caption(const MeasurementModel& model) {
    const int errors = model.invalidTransferCount;
    return QStringLiteral("Ac: ") + model.timeActual.text() + QStringLiteral("Av: ") +
           model.timeAverage.text() + QStringLiteral("Pk: ") + model.timePeak.text() + QStringLiteral("E: ") +
           (errors >= 0 ? QStringLiteral(" ") : QString()) + QString::number(errors);
}

void DrawFrameAndGrid(Canvas& canvas, int lo, int hi, const std::optional<LogFrequencyAxis>& axis) {
    canvas.setPenColour(COLOUR_GREY);
    canvas.setLineWidth(3);
    canvas.line(0, lo, PLOT_X_LAST, lo, COLOUR_BLACK);
    canvas.line(0, hi, PLOT_X_LAST, hi, COLOUR_BLACK);
    canvas.line(0, lo, 0, hi, COLOUR_BLACK);
    canvas.line(PLOT_X_LAST, lo, PLOT_X_LAST, hi, COLOUR_BLACK);

    canvas.setLineWidth(1);
    DrawHorizontalGrid(canvas, lo, hi);
    if (axis) {
        DrawLogFrequencyGrid(canvas, *axis, lo, hi);
        return;
    }
    for (int x = 0; x <= PLOT_X_LAST; x += PLOT_X_DIVISION) {
        // The centre frequency's line is drawn wider.
        if (x == PLOT_X_CENTRE) canvas.setLineWidth(2);
        canvas.line(x, lo, x, hi);
        if (x == PLOT_X_CENTRE) canvas.setLineWidth(1);
    }
}

struct CursorState {
    VbBool& open;
    std::int16_t& x;
    std::int16_t& drawnX;
    VbBool& erased;
    int colour;
};

void DrawCursor(const MeasurementModel& model, Canvas& graph, const CursorState& cursor) {
    ViewCanvas plot(model, graph);
    Canvas& canvas = *plot;
    const int lo = model.graphLevelMin;
    const int hi = model.graphLevelMax;
    const int colour = canvas.penColour();
    const DrawMode mode = canvas.drawMode();
    canvas.setPenColour(cursor.colour);
    canvas.setDrawMode(DrawMode::NotXor);
    canvas.setLineWidth(1);
    canvas.setLineStyle(LineStyle::Dotted);
    if (cursor.open && !cursor.erased) canvas.line(cursor.drawnX, lo, cursor.drawnX, hi);
    canvas.line(cursor.x, lo, cursor.x, hi);
    canvas.setLineWidth(1);
    canvas.setLineStyle(LineStyle::Solid);
    cursor.drawnX = cursor.x;
    canvas.setPenColour(colour);
    canvas.setDrawMode(mode);
    cursor.erased = false;
}

}  // namespace

void RedrawGraph(MeasurementModel& model, Canvas& canvas, const GraphHooks& hooks) {
    MeasurementSettings& s = model.settings;
    const LabelUnit unit = GraphLabelUnit(s);
    if (!model.graphOpen) return;

    ComputeGraphLevelRange(model);
    const int lo = model.graphLevelMin;
    const int hi = model.graphLevelMax;
    const double noiseFloor = NoiseFloor(s, lo);

    if (hooks.portOpen && hooks.portOpen()) canvas.setCaption(Caption(model));
    if (canvas.isMinimised()) return;

    canvas.clear();
    const double d = LabelUnitHeight(lo, hi);
    canvas.setScale(-310, hi, 4200, lo - 20 * d);
    const std::optional<LogFrequencyAxis> axis = LogAxisOf(model);
    DrawFrameAndGrid(canvas, lo, hi, axis);
    ViewCanvas plot(model, canvas);

    const struct {
        bool on;
        const BoundaryLine& boundary;
        int colour;
        bool roundStraightDown;
    } boundaries[] = {
        {s.limitActual, model.boundaryActual, COLOUR_GREEN, true},
        {s.limitAverage, model.boundaryAverage, COLOUR_LIGHT_BLUE, false},
        {s.limitPeak, model.boundaryPeak, COLOUR_LIGHT_RED, false},
    };
    for (const auto& b : boundaries) {
        if (!b.on) continue;
        canvas.setPenColour(b.colour);
        DrawBoundary(*plot, b.boundary, PlacementFor(model, b.roundStraightDown));
    }

    const int last = LastPlotIndex(s.resolution);
    const struct {
        bool shown;
        const TraceArray& trace;
        int colour;
    } traces[] = {
        {s.showActual, model.traceActual, COLOUR_GREEN},
        {s.showAverage, model.traceAverage, COLOUR_LIGHT_BLUE},
        {s.showPeak, model.tracePeak, COLOUR_LIGHT_RED},
        {model.showComparison, model.traceComparison, COLOUR_CYAN},
    };
    for (const auto& t : traces) {
        if (!t.shown) continue;
        canvas.setPenColour(t.colour);
        const TraceArray* receiving = hooks.inProgress ? hooks.inProgress(t.trace) : nullptr;
        DrawTrace(*plot, receiving ? *receiving : t.trace, 1, last, s.resolution, noiseFloor, lo);
    }

    model.redrawPending = false;

    // The full redraw has wiped the cursor lines; the lists redraw them at their (possibly new) places.
    if (model.levelWindowOpen) {
        model.levelCursorErased = true;
        if (hooks.refreshLevelWindow) hooks.refreshLevelWindow();
        DrawLevelCursor(model, canvas);
    }
    if (model.limitListOpen) {
        model.limitCursorErased = true;
        if (hooks.refreshViolationList) hooks.refreshViolationList();
        DrawLimitCursor(model, canvas);
    }
    if (hooks.refreshPeakTable) hooks.refreshPeakTable();

    canvas.setPenColour(COLOUR_MAGENTA);
    DrawScaleLabels(canvas, unit, s, lo, hi, LabelPlacement{6.0, 12.0}, axis ? &*axis : nullptr);
    if (hooks.drawOverlay) hooks.drawOverlay(canvas);
    canvas.refresh();
}

void EraseTraces(MeasurementModel& model, Canvas& canvas, const GraphHooks& hooks) {
    ClearMeasuredTraces(model);
    RedrawGraph(model, canvas, hooks);
}

void DrawLevelCursor(MeasurementModel& model, Canvas& canvas) {
    DrawCursor(model, canvas,
               {model.levelWindowOpen, model.levelCursorX, model.levelCursorDrawnX, model.levelCursorErased,
                COLOUR_LIGHT_RED});
}

void DrawLimitCursor(MeasurementModel& model, Canvas& canvas) {
    DrawCursor(model, canvas,
               {model.limitListOpen, model.limitCursorX, model.limitCursorDrawnX, model.limitCursorErased,
                COLOUR_LIGHT_GREEN});
}

SpectrumGraph::SpectrumGraph(MeasurementModel& model, GraphHooks hooks)
    : m_model(model), m_hooks(std::move(hooks)) {}

Canvas& SpectrumGraph::target() {
    static NoWindowCanvas noWindow;
    return m_canvas ? *m_canvas : noWindow;
}

void SpectrumGraph::RedrawGraph() {
    tk::RedrawGraph(m_model, target(), m_hooks);
}
void SpectrumGraph::EraseTraces() {
    tk::EraseTraces(m_model, target(), m_hooks);
}
void SpectrumGraph::DrawLevelCursor() {
    tk::DrawLevelCursor(m_model, target());
}
void SpectrumGraph::DrawLimitCursor() {
    tk::DrawLimitCursor(m_model, target());
}

}  // namespace tk
