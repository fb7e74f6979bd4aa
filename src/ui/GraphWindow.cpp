#include "GraphWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>

#include "LogFrequency.h"
#include "PeakTable.h"

namespace tk {

GraphWindow::GraphWindow(MeasurementModel& model, std::function<void()> redraw, QWidget* parent)
    : QWidget(parent), m_model(model), m_redraw(std::move(redraw)), m_canvas(QSize(1, 1)) {
    setObjectName(QStringLiteral("grafik"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_canvas.setFont(font());
    m_canvas.setCaptionHandler([this](const QString& caption) { setWindowTitle(caption); });
    m_canvas.setMinimisedQuery([this] { return isMinimisedWindow(); });
    // Both only ask for a repaint at the next turn of the event loop: a redraw can be called from inside
    // another window's event handler, where painting at once is not allowed, and many changes in a row cost
    // a single paint. Inside this window's own paint the picture is being shown already.
    const auto requestPaint = [this] {
        if (!m_painting) update();
    };
    m_canvas.setRefreshHandler(requestPaint);
    m_canvas.setChangeHandler(requestPaint);

    m_logView = new QAction(QStringLiteral("&Logarithmic frequency"), this);
    m_logView->setObjectName(QStringLiteral("mnulogfreq"));
    m_logView->setCheckable(true);
    addAction(m_logView);
    connect(m_logView, &QAction::triggered, this, [this](bool on) {
        m_model.frequencyView.logarithmic = on;
        this->redraw();
    });
}

bool GraphWindow::isMinimisedWindow() const {
    for (const QWidget* w = this; w != nullptr; w = w->parentWidget()) {
        if (w->isMinimized()) return true;
        if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w) != nullptr) break;
    }
    return false;
}

void GraphWindow::redraw() {
    m_imageCurrent = true;
    if (m_redraw) m_redraw();
}

// The window shows the picture kept in the canvas; a paint never draws the graph when that picture is
// current. Drawing on every paint would be slow (each paint a full redraw) and would loop, since a redraw
// asks for a paint to show what it drew. Only a picture that was made anew and not drawn since (it was
// resized while the window was minimised) is redrawn here, once, before it is shown.
void GraphWindow::paintEvent(QPaintEvent* event) {
    m_painting = true;
    // The display setup switches the view too.
    m_logView->setChecked(m_model.frequencyView.logarithmic);
    if (m_canvas.size() != size()) {
        m_canvas.resize(size());
        m_imageCurrent = false;
    }
    if (!m_imageCurrent) redraw();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas.image(), event->rect());
    m_painting = false;
}

void GraphWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_canvas.resize(size());
    m_imageCurrent = false;
    if (!isMinimisedWindow()) redraw();
}

void GraphWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clickedAt(PlotXOfGraphX(m_model, m_canvas.userX(event->position().x())));
    QWidget::mousePressEvent(event);
}

void GraphWindow::mouseMoveEvent(QMouseEvent* event) {
    const QString readout = GraphReadout(m_model, m_canvas.userX(event->position().x()));
    if (readout.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), readout, this);
    QWidget::mouseMoveEvent(event);
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    m_model.graphOpen = false;
    emit closing(m_canvas.image());
    event->accept();
}

}  // namespace tk
