#include "WorkArea.h"

#include <QEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QSettings>
#include <algorithm>

#include "GraphWindow.h"
#include "PeakTableWindow.h"
#include "WaterfallWindow.h"

namespace tk {

namespace {

const QString GEOMETRY_GROUP = QStringLiteral("geometry");

// The frame of the open child window of that type, or null.
template <typename Child>
QMdiSubWindow* FrameOf(const QList<QMdiSubWindow*>& frames) {
    for (QMdiSubWindow* f : frames)
        if (qobject_cast<Child*>(f->widget()) && f->isVisible()) return f;
    return nullptr;
}

}  // namespace

WorkArea::WorkArea(QString windowsFile, QWidget* parent)
    : QMdiArea(parent), m_windowList(this), m_windowsFile(std::move(windowsFile)) {
    setObjectName(QStringLiteral("mdiarea"));
    m_windowList.setObjectName(QStringLiteral("mnulistemenu"));
    connect(&m_windowList, &QMenu::aboutToShow, this, &WorkArea::FillWindowList);
}

WorkArea::~WorkArea() {
    // The windows still open at the end keep their places for the next run.
    for (const QMdiSubWindow* frame : subWindowList()) Remember(frame);
}

void WorkArea::Remember(const QMdiSubWindow* frame) {
    const QWidget* child = frame->widget();
    if (m_windowsFile.isEmpty() || !child || child->objectName().isEmpty() || frame->isMinimized()) return;
    QSettings settings(m_windowsFile, QSettings::IniFormat);
    settings.setValue(GEOMETRY_GROUP + u'/' + child->objectName(), frame->geometry());
}

bool WorkArea::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close)
        if (const auto* frame = qobject_cast<QMdiSubWindow*>(watched)) Remember(frame);
    return QMdiArea::eventFilter(watched, event);
}

void WorkArea::Show(QWidget* child) {
    QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    if (!frame) {
        frame = addSubWindow(child);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(child->windowTitle());
        // Cascading and tiling never shrink a window below what it needs to show its controls.
        frame->setMinimumSize(frame->minimumSizeHint());
        frame->installEventFilter(this);
        if (!m_windowsFile.isEmpty() && !child->objectName().isEmpty()) {
            const QRect kept = QSettings(m_windowsFile, QSettings::IniFormat)
                                   .value(GEOMETRY_GROUP + u'/' + child->objectName())
                                   .toRect();
            // Only a place that still lies in the area, at least in part.
            if (kept.isValid() && kept.intersects(viewport()->rect())) frame->setGeometry(kept);
        }
    }
    if (frame->isMinimized()) frame->showNormal();
    frame->show();
    setActiveSubWindow(frame);
}

void WorkArea::Arrange(Qt::Orientation orientation) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : subWindowList())
        if (w->isVisible() && !w->isMinimized()) windows.append(w);
    if (windows.isEmpty()) return;
    const QRect area = viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const bool vertical = orientation == Qt::Vertical;
    // As many in a line as fit at their smallest, the rest in further lines beside (below) them.
    int smallest = 0;
    for (const QMdiSubWindow* w : windows)
        smallest = std::max(smallest, vertical ? w->minimumHeight() : w->minimumWidth());
    const int room = vertical ? area.height() : area.width();
    const int perLine = std::clamp(smallest > 0 ? room / smallest : n, 1, n);
    const int lines = (n + perLine - 1) / perLine;
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        const int line = i / perLine;
        const int inLine = std::min(perLine, n - line * perLine);
        const int along = room / inLine;
        const int across = (vertical ? area.width() : area.height()) / lines;
        const int pos = (i % perLine) * along;
        if (vertical)
            windows[i]->setGeometry(line * across, pos, across, along);
        else
            windows[i]->setGeometry(pos, line * across, along, across);
        // A window held larger than its place by its minimum size moves back into the area rather than hide
        // its edge (and its close button) beyond it.
        QRect g = windows[i]->geometry();
        g.moveLeft(std::max(0, std::min(g.left(), area.right() + 1 - g.width())));
        g.moveTop(std::max(0, std::min(g.top(), area.bottom() + 1 - g.height())));
        windows[i]->setGeometry(g);
    }
}

void WorkArea::ArrangeWorkspace() {
    const QList<QMdiSubWindow*> frames = subWindowList();
    QMdiSubWindow* graph = FrameOf<GraphWindow>(frames);
    QMdiSubWindow* peaks = FrameOf<PeakTableWindow>(frames);
    QMdiSubWindow* waterfall = FrameOf<WaterfallWindow>(frames);
    const QRect area = viewport()->rect();
    const int top = waterfall ? area.height() * 62 / 100 : area.height();
    int right = area.width();
    if (peaks) {
        peaks->showNormal();
        // As wide as its columns need, and never more than half the area.
        const int width =
            std::min(std::max(peaks->sizeHint().width(), peaks->minimumWidth()), area.width() / 2);
        peaks->setGeometry(area.width() - width, 0, width, top);
        right -= width;
    }
    if (graph) {
        graph->showNormal();
        graph->setGeometry(0, 0, right, top);
    }
    if (waterfall) {
        waterfall->showNormal();
        waterfall->setGeometry(0, top, area.width(), area.height() - top);
    }
}

void WorkArea::ArrangeIcons() {
    const QRect area = viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : subWindowList()) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        w->move(x, area.height() - size.height());
        x += size.width();
    }
}

void WorkArea::FillWindowList() {
    m_windowList.clear();
    const auto windows = subWindowList();
    for (QMdiSubWindow* w : windows) {
        QAction* a = m_windowList.addAction(w->windowTitle());
        a->setCheckable(true);
        a->setChecked(w == activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { setActiveSubWindow(w); });
    }
    if (windows.isEmpty()) m_windowList.addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void WorkArea::ShowInformation(const QString& text) {
    if (!m_information) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("infotext"));
        label->setMargin(12);
        m_information = addSubWindow(label);
        m_information->setObjectName(QStringLiteral("infobox"));
        m_information->setWindowTitle(QStringLiteral("Information"));
        m_information->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (auto* label = qobject_cast<QLabel*>(m_information->widget())) label->setText(text);
    // A frame made for the first text would clip a longer one.
    m_information->adjustSize();
    m_information->show();
}

void WorkArea::CloseInformation() {
    if (m_information) m_information->close();
}

}  // namespace tk
