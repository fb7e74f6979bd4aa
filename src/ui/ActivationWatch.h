#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace tk {

// Tells a child window each time its frame in the main window's work area is about to become the active
// child window, so that it can show values that other windows, files or scripts changed meanwhile. The
// user cannot be typing in a window that is only now becoming active.
class ActivationWatch {
public:
    // Call whenever the child is shown: the frame exists only once the child sits in the work area.
    void attach(QWidget* child, std::function<void()> onActivate) {
        auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
        if (!frame || frame == m_frame) return;
        m_frame = frame;
        QObject::connect(frame, &QMdiSubWindow::aboutToActivate, child, std::move(onActivate));
    }

private:
    QPointer<QMdiSubWindow> m_frame;
};

}  // namespace tk
