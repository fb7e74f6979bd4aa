#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace tk {

// The main window's work area `mdiarea`: shows the child windows in their frames, arranges them and lists
// them in the "W&indows" submenu. Each child window's place and size are remembered between runs in the
// file windowsFile (by the child's object name), and a window opens where it was last closed.
class WorkArea final : public QMdiArea {
    Q_OBJECT
public:
    explicit WorkArea(QString windowsFile = {}, QWidget* parent = nullptr);
    ~WorkArea() override;

    // Shows a child window, putting it into a frame the first time; a minimised one comes back.
    void Show(QWidget* child);
    // One above the other (vertical) or side by side (horizontal), each filling the area's other side; where
    // they do not fit so at their smallest usable size, in as many rows (columns) as it takes.
    void Arrange(Qt::Orientation orientation);
    // "&Measurement workspace": the graph large at the top left, the peak table beside it as wide as its
    // columns, the waterfall below both; of these, the ones open.
    void ArrangeWorkspace();
    // Minimised child windows are lined up along the bottom of the area.
    void ArrangeIcons();
    // The submenu `mnulistemenu` of the open child windows, filled each time it opens.
    QMenu* WindowList() { return &m_windowList; }
    // The information window `infobox`: opened the first time, its text replaced, sized to show every line.
    void ShowInformation(const QString& text);
    void CloseInformation();

private:
    void FillWindowList();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Remember(const QMdiSubWindow* frame);

    QMenu m_windowList;
    QString m_windowsFile;
    QPointer<QMdiSubWindow> m_information;
};

}  // namespace tk
