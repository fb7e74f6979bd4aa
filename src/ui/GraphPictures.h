#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <functional>

#include "GraphWindow.h"
#include "SpectrumGraph.h"
#include "TraceReader.h"
#include "UserDialogs.h"

namespace tk {

// Pictures of the graph for the clipboard, the "Save P&icture" command and the peak table's captures: the
// picture the window shows, the one it showed last before it was closed, or one drawn anew. A picture never
// shows a read in progress: during a read it is drawn anew from the complete reads.
class GraphPictures {
public:
    GraphPictures(MeasurementModel& model, SpectrumGraph& graph, const TraceReader& reader,
                  UserDialogs& dialogs, std::function<QFont()> font)
        : m_model(model), m_graph(graph), m_reader(reader), m_dialogs(dialogs), m_font(std::move(font)) {}

    // The graph window, while there is one.
    void SetWindow(GraphWindow* window) {
        m_window = window;
        m_pending = false;
    }
    // What the window showed as it was closed.
    void Keep(const QImage& picture);

    // Redraws the graph in its window. Asked for inside an exchange, the drawing waits for the event loop's
    // next turn: the line goes on at once (the next request goes out before the picture is drawn, and is
    // drawn while the interface prepares its answer), and changes in a row cost one drawing. Whatever takes
    // the window's picture draws what is still due first.
    void Redraw(bool later);

    // Draws the graph on its present canvas, also before the first read opened it.
    void Draw();
    QImage Picture();
    // The graph drawn anew from the model at the window's size (or a usual one), with annotate drawn over
    // it on the same canvas: the capture's picture.
    QImage Annotated(const std::function<void(Canvas&)>& annotate);
    // "Save P&icture": PNG or SVG, asked for by a file dialog.
    void SaveCommand();
    void CopyToClipboard();
    // A picture is being drawn on a canvas of its own.
    bool Drawing() const { return m_drawing; }

private:
    void DrawOn(Canvas& canvas);
    void DrawPending();

    MeasurementModel& m_model;
    SpectrumGraph& m_graph;
    const TraceReader& m_reader;
    UserDialogs& m_dialogs;
    std::function<QFont()> m_font;
    QPointer<GraphWindow> m_window;
    QImage m_kept;
    bool m_drawing = false;
    bool m_pending = false;
};

}  // namespace tk
