#pragma once

// The graph's logarithmic frequency view. Everything the graph draws at a frequency is placed on the plot's
// linear x (0..4000 across the sweep); the view moves each such x to where its frequency lies between the
// view's start and stop on a logarithmic scale of the same width. What lies outside start..stop, and so
// every point at or below 0 Hz, is not drawn.

#include <optional>

#include "Canvas.h"
#include "MeasurementModel.h"

namespace tk {

class LogFrequencyAxis {
public:
    // Valid only when 0 < startMHz < stopMHz.
    LogFrequencyAxis(const MeasurementSettings& settings, double startMHz, double stopMHz);

    // The frequency at linear plot x, and back.
    double FrequencyAt(double plotX) const;
    double PlotXOf(double frequencyMHz) const;
    // The view's x of a frequency (0 at the start, 4000 at the stop), and back.
    double ViewXOf(double frequencyMHz) const;
    double FrequencyAtView(double viewX) const;
    // Linear plot x to the view's x, nothing when its frequency lies outside start..stop.
    std::optional<double> ViewX(double plotX) const;
    double PlotXOfView(double viewX) const { return PlotXOf(FrequencyAtView(viewX)); }

    double start() const { return m_start; }
    double stop() const { return m_stop; }

private:
    double m_sweepStart;
    double m_xFactor;
    double m_start;
    double m_stop;
    double m_logSpan;
};

// The model's logarithmic view while it is switched on with a usable start and stop; otherwise nothing, and
// the graph is linear.
std::optional<LogFrequencyAxis> LogAxisOf(const MeasurementModel& model);
// Linear plot x to where the graph shows it (unchanged in the linear view), nothing when it is not shown.
std::optional<double> GraphX(const MeasurementModel& model, double plotX);
// Where the graph shows x back to linear plot x, for the mouse.
double PlotXOfGraphX(const MeasurementModel& model, double graphX);

// A canvas seen through the view: lines and polylines given in linear plot x are cut to start..stop and
// drawn at the view's x; a straight line between two levels is drawn in pieces, so it follows the frequency
// as it did on the linear plot. Texts are placed by their x the same way and dropped outside the view.
class LogFrequencyCanvas final : public Canvas {
public:
    LogFrequencyCanvas(Canvas& target, const LogFrequencyAxis& axis) : m_target(target), m_axis(axis) {}

    void clear() override { m_target.clear(); }
    void setScale(double l, double t, double r, double b) override { m_target.setScale(l, t, r, b); }
    void setPenColour(int index) override { m_target.setPenColour(index); }
    int penColour() const override { return m_target.penColour(); }
    void setLineWidth(int width) override { m_target.setLineWidth(width); }
    void setLineStyle(LineStyle style) override { m_target.setLineStyle(style); }
    void setDrawMode(DrawMode mode) override { m_target.setDrawMode(mode); }
    DrawMode drawMode() const override { return m_target.drawMode(); }
    void line(double x1, double y1, double x2, double y2) override;
    void line(double x1, double y1, double x2, double y2, int paletteIndex) override;
    void polyline(std::span<const QPointF> points) override;
    void text(double x, double y, const QString& text) override;
    void setCaption(const QString& caption) override { m_target.setCaption(caption); }
    bool isMinimised() const override { return m_target.isMinimised(); }
    void refresh() override { m_target.refresh(); }

private:
    // The part of the line from a to b that lies within the view, in the view's x; false when none does.
    bool Cut(QPointF& a, QPointF& b) const;
    void Pieces(double x1, double y1, double x2, double y2, int colour);

    Canvas& m_target;
    LogFrequencyAxis m_axis;
};

// The canvas to draw at the plot's linear x on, as the graph shows it: the canvas itself, or in the
// logarithmic view the canvas seen through the view.
class ViewCanvas {
public:
    ViewCanvas(const MeasurementModel& model, Canvas& canvas) : m_canvas(canvas) {
        if (const auto axis = LogAxisOf(model)) m_log.emplace(canvas, *axis);
    }
    Canvas& operator*() { return m_log ? *m_log : m_canvas; }

private:
    Canvas& m_canvas;
    std::optional<LogFrequencyCanvas> m_log;
};

// The frequency grid and labels of the view: a line at every 1, 2 and 5 of each decade between start and
// stop (the decades wider), labelled below the plot as the linear graph labels its divisions, "MHz" at the
// right.
void DrawLogFrequencyGrid(Canvas& canvas, const LogFrequencyAxis& axis, int levelMin, int levelMax);
void DrawLogFrequencyLabels(Canvas& canvas, const LogFrequencyAxis& axis, int levelMin, int levelMax,
                            double mhzTextDy);

}  // namespace tk
