#pragma once

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

}  // namespace tk
