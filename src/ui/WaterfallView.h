#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "MeasurementModel.h"
#include "Waterfall.h"

class QPainter;

namespace tk {

// The waterfall's picture: the newest row at the top, one pixel row per read, frequency across in the graph's
// columns, the rows' times of day in the left margin and the colour legend in the level unit at the foot.
// The rows are kept as an image used as a ring of pixel rows: a new read draws one row and moves the ring's
// top, so that nothing else is drawn again; a resize or a new level range draws the image anew from the
// kept levels.
class WaterfallView : public QWidget {
    Q_OBJECT
public:
    WaterfallView(MeasurementModel& model, const WaterfallHistory& history, QWidget* parent = nullptr);

    // The raw level range of the colour map; a change draws the rows anew.
    void setRange(double rawMin, double rawMax);
    double rangeMin() const { return m_min; }
    double rangeMax() const { return m_max; }
    // The history's newest row is drawn on top of the others.
    void RowAdded();
    // All rows are drawn anew from the history.
    void Rebuild();

    // What is under a point of the view: a text of frequency, time and level, and the x (0..4000) of the
    // sweep point; nothing outside the rows.
    struct Spot {
        QString text;
        int x = -1;
    };
    Spot SpotAt(QPoint position) const;

    // Told when the mouse moves over the rows (an empty text when it leaves them) and when it is clicked on
    // a row, with the x of the point there.
    void setHoverHandler(std::function<void(const QString&)> handler) { m_onHover = std::move(handler); }
    void setClickHandler(std::function<void(int)> handler) { m_onClick = std::move(handler); }

    int plotHeight() const;
    QSize sizeHint() const override { return {640, 360}; }
    QSize minimumSizeHint() const override { return {320, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int legendHeight() const;
    int scaleHeight() const;
    void ClearLine(int line);
    void DrawRowAt(int line, int age);
    void PaintLegend(QPainter& painter);
    void PaintScale(QPainter& painter);
    void PaintTimes(QPainter& painter);

    MeasurementModel& m_model;
    const WaterfallHistory& m_history;
    QImage m_rows;
    // The image row that holds the newest read.
    int m_top = 0;
    WaterfallColumns m_columns;
    QRgb m_background = 0;
    double m_min = 0.0;
    double m_max = 255.0;
    QImage m_legendBar;
    std::function<void(const QString&)> m_onHover;
    std::function<void(int)> m_onClick;
};

}  // namespace tk
