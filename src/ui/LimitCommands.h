#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "BoundaryEditor.h"
#include "MeasurementModel.h"
#include "MenuTable.h"
#include "PointListWindow.h"
#include "SpectrumGraph.h"

class QAction;

namespace tk {

// The main window's commands of the limit lines: the level window and the violation list in a chosen unit
// ("Le&vel window", "Surpass Boundar&ies") and the boundary editor ("&Boundary-Edit").
class LimitCommands {
public:
    using ShowChild = std::function<void(QWidget*)>;

    LimitCommands(MeasurementModel& model, SpectrumGraph& graph, ShowChild showChild);

    // Enables the menu entries and connects them.
    void Connect(const MenuActions& menu, QObject* context);

    // The unit (Units.h) becomes the list's only unit; the list is opened if needed and refreshed.
    void ShowLevelWindow(int unit);
    void ShowViolationList(int unit);
    void ShowBoundaryEditor();

    // What a graph redraw asks of the open lists.
    void RefreshLevelWindow();
    void RefreshViolationList();
    // The point becomes the marked point of the open level window and violation list; closed ones stay
    // closed.
    void MarkPoint(int point);
    // A click on the waterfall: the open level window and violation list mark the sweep point at plot x
    // (0..4000) of the present resolution, and their cursor lines move there.
    void MarkX(int x);
    // After a load: the editor, unless minimised, is closed and opened again to show the loaded lines.
    void ReopenBoundaryEditor();

    LevelWindow* levelWindow() const { return m_boxwerte; }
    ViolationList* violationList() const { return m_boxlim; }
    BoundaryEditor* boundaryEditor() const { return m_boxgrenze; }

private:
    MeasurementModel& m_model;
    SpectrumGraph& m_graph;
    ShowChild m_showChild;
    QPointer<LevelWindow> m_boxwerte;
    QPointer<ViolationList> m_boxlim;
    QPointer<BoundaryEditor> m_boxgrenze;
};

}  // namespace tk
