#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace tk {

// The main window's work area `mdiarea`: shows the child windows in their frames, arranges them and lists
// them in the "W&indows" submenu.
class WorkArea final : public QMdiArea {
    Q_OBJECT
public:
    explicit WorkArea(QWidget* parent = nullptr);

    // Shows a child window, putting it into a frame the first time; a minimised one comes back.
    void Show(QWidget* child);
    // One above the other (vertical) or side by side (horizontal), each filling the area's other side.
    void Arrange(Qt::Orientation orientation);
    // Minimised child windows are lined up along the bottom of the area.
    void ArrangeIcons();
    // The submenu `mnulistemenu` of the open child windows, filled each time it opens.
    QMenu* WindowList() { return &m_windowList; }
    // The information window `infobox`: opened the first time, its text replaced, sized to show every line.
    void ShowInformation(const QString& text);
    void CloseInformation();

private:
    void FillWindowList();

    QMenu m_windowList;
    QPointer<QMdiSubWindow> m_information;
};

}  // namespace tk
