#include "WorkArea.h"

#include <QLabel>
#include <QMdiSubWindow>

namespace tk {

WorkArea::WorkArea(QWidget* parent) : QMdiArea(parent), m_windowList(this) {
    setObjectName(QStringLiteral("mdiarea"));
    m_windowList.setObjectName(QStringLiteral("mnulistemenu"));
    connect(&m_windowList, &QMenu::aboutToShow, this, &WorkArea::FillWindowList);
}

void WorkArea::Show(QWidget* child) {
    QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    if (!frame) {
        frame = addSubWindow(child);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(child->windowTitle());
        // Cascading and tiling never shrink a window below what it needs to show its controls.
        frame->setMinimumSize(frame->minimumSizeHint());
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
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Vertical) {
            const int h = area.height() / n;
            windows[i]->setGeometry(0, i * h, area.width(), h);
        } else {
            const int w = area.width() / n;
            windows[i]->setGeometry(i * w, 0, w, area.height());
        }
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
