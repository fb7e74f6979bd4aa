#pragma once

#include <QAction>
#include <QHash>
#include <QString>

class QMenuBar;

namespace tk {

// The main window's menus from their table, in order, each entry and submenu named as in the table; the
// actions by name, for the window to take its typed members from and for tests.
QHash<QString, QAction*> BuildMenuTree(QMenuBar* bar);
// The table's English captions on the entries again.
void SetMenuCaptions(const QHash<QString, QAction*>& actions);

}  // namespace tk
