#pragma once

#include <QFocusEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

namespace tk {

// Closes a child window of the work area and takes it down at once, unless it (or its frame) is minimised,
// so that it can be opened anew with the model's present values. True when it was closed.
template <typename W>
bool CloseUnlessMinimised(QPointer<W>& child) {
    if (!child) return false;
    QWidget* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    QWidget* outer = frame ? frame : static_cast<QWidget*>(child.data());
    if (outer->isMinimized()) return false;
    outer->close();
    delete outer;
    return true;
}

// Whether a field's focus-out is the user leaving it: Tab, a click elsewhere in the window, a shortcut. The
// focus also goes when the window closes or the program activates another child window, when the user
// switches to another program or opens the field's own menu; none of these takes a typed value, so that
// closing a window keeps only what was stored by then.
inline bool IsLeavingField(const QEvent* event) {
    if (event->type() != QEvent::FocusOut) return false;
    switch (static_cast<const QFocusEvent*>(event)->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::MouseFocusReason:
        case Qt::ShortcutFocusReason:
            return true;
        default:
            return false;
    }
}

}  // namespace tk
