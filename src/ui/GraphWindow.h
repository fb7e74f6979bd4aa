#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "ImageCanvas.h"
#include "MeasurementModel.h"

class QAction;

namespace tk {

// The graph window "grafik": shows the persistent picture that the spectrum graph draws into, keeps it at
// the window's size and asks for a full redraw when the picture has to be made anew.
class GraphWindow : public QWidget {
    Q_OBJECT
public:
    // redraw is the program's full redraw of the graph (RedrawGraph on this window's canvas).
    GraphWindow(MeasurementModel& model, std::function<void()> redraw, QWidget* parent = nullptr);

    // The surface the graph draws on; it lives as long as the window.
    ImageCanvas& canvas() { return m_canvas; }
    // The picture as last drawn, for the clipboard.
    QImage image() const { return m_canvas.image(); }
    void setRedraw(std::function<void()> redraw) { m_redraw = std::move(redraw); }
    // Minimised itself, or its frame in the main window is.
    bool isMinimisedWindow() const;
    // A graph to read, also where the window menu arranges the windows by their size hints.
    QSize sizeHint() const override { return {640, 420}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

signals:
    // The window closes; the picture it showed is handed on, for the clipboard.
    void closing(const QImage& picture);
    // A left click on the picture, at x on the graph's linear frequency axis (0..4000 across the sweep).
    void clickedAt(double x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The readout: frequency and the shown traces' levels (with boundary and margin) under the mouse, in a
    // tooltip that follows it.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void redraw();

    MeasurementModel& m_model;
    std::function<void()> m_redraw;
    QAction* m_logView = nullptr;  // the context menu's switch of the logarithmic frequency view
    ImageCanvas m_canvas;
    // The picture has been drawn at the present size since it was last made anew.
    bool m_imageCurrent = false;
    bool m_painting = false;
};

}  // namespace tk
