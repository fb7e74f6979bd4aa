#include "GraphPictures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

#include "ImageCanvas.h"
#include "PictureCommand.h"
#include "PictureExport.h"

namespace tk {

void GraphPictures::Draw() {
    // Before the first read the graph is not open and a redraw draws nothing; a picture made anew still
    // gets the frame, grid and labels of the present settings.
    VbBool& open = m_model.graphOpen;
    const VbBool wasOpen = open;
    open = true;
    m_drawing = m_graph.canvas() != (m_window ? &m_window->canvas() : nullptr);
    m_graph.RedrawGraph();
    m_drawing = false;
    open = wasOpen;
}

void GraphPictures::Redraw(bool later) {
    if (!later || !m_window) {
        m_pending = false;
        m_graph.RedrawGraph();
    } else if (!m_pending) {
        m_pending = true;
        QTimer::singleShot(0, m_window, [this] { DrawPending(); });
    }
}

void GraphPictures::DrawPending() {
    if (!m_pending) return;
    m_pending = false;
    m_graph.RedrawGraph();
}

void GraphPictures::Keep(const QImage& picture) {
    // The window is closing: the graph is no longer marked open, so what is due is drawn as a picture is.
    if (m_pending && m_window) {
        m_pending = false;
        Draw();
        m_kept = m_window->image();
    } else {
        m_kept = picture;
    }
}

void GraphPictures::DrawOn(Canvas& canvas) {
    Canvas* shown = m_graph.canvas();
    m_graph.setCanvas(&canvas);
    Draw();
    m_graph.setCanvas(shown);
}

QImage GraphPictures::Annotated(const std::function<void(Canvas&)>& annotate) {
    ImageCanvas canvas(m_window ? m_window->size() : QSize(800, 600));
    canvas.setFont(m_font());
    DrawOn(canvas);
    annotate(canvas);
    return canvas.image();
}

QImage GraphPictures::Picture() {
    const bool reading = m_reader.Receiving(m_model.traceActual) || m_reader.Receiving(m_model.tracePeak) ||
                         m_reader.Receiving(m_model.traceAverage);
    DrawPending();
    QImage picture = m_window ? m_window->image() : m_kept;
    if (picture.width() > 1 && !reading) return picture;
    // Never drawn, or showing a read in progress: drawn from the model, at the window's size or a usual one.
    ImageCanvas canvas(m_window ? m_window->size() : QSize(800, 600));
    canvas.setFont(m_font());
    DrawOn(canvas);
    return canvas.image();
}

void GraphPictures::SaveCommand() {
    SavePictureCommand(
        m_dialogs, QStringLiteral("PNG picture (*.png);;SVG picture (*.svg)"), [this](const QString& name) {
            return SaveGraphPicture(name, Picture(), [this](Canvas& canvas) { DrawOn(canvas); });
        });
}

void GraphPictures::CopyToClipboard() {
    // With the graph window closed the clipboard gets the picture the window showed last.
    QGuiApplication::clipboard()->setImage(Picture());
}

}  // namespace tk
