#include "LimitCommands.h"

#include <QAction>

#include "BoundaryEditor.h"
#include "ChildWindows.h"
#include "PointListWindow.h"
#include "PointLists.h"
#include "Units.h"

namespace tk {

LimitCommands::LimitCommands(MeasurementModel& model, SpectrumGraph& graph, ShowChild showChild)
    : m_model(model), m_graph(graph), m_showChild(std::move(showChild)) {}

void LimitCommands::Connect(const MenuActions& menu, QObject* context) {
    const struct {
        QAction* level;
        QAction* limit;
        int unit;
    } units[] = {{menu.mnuwertepw, menu.mnugrenzuebpw, UNIT_DBPW},
                 {menu.mnuwertemw, menu.mnugrenzuebmw, UNIT_DBM},
                 {menu.mnuwerteuv, menu.mnugrenzuebuv, UNIT_DBUV},
                 {menu.mnuwerteuser, menu.mnugrenzuebuser, UNIT_USER}};
    for (const auto& u : units) {
        const int unit = u.unit;
        QAction* level = u.level;
        QAction* limit = u.limit;
        level->setEnabled(true);
        limit->setEnabled(true);
        QObject::connect(level, &QAction::triggered, context, [this, unit] { ShowLevelWindow(unit); });
        QObject::connect(limit, &QAction::triggered, context, [this, unit] { ShowViolationList(unit); });
    }
    QAction* editor = menu.mnugrenzbox;
    editor->setEnabled(true);
    QObject::connect(editor, &QAction::triggered, context, [this] { ShowBoundaryEditor(); });
}

void LimitCommands::ShowLevelWindow(int unit) {
    ChooseListUnit(m_model.levelWindowUnit, unit);
    if (!m_boxwerte) {
        m_boxwerte = new LevelWindow(m_model, m_graph);
    } else {
        m_boxwerte->Refresh();
    }
    m_showChild(m_boxwerte);
}

void LimitCommands::ShowViolationList(int unit) {
    ChooseListUnit(m_model.limitListUnit, unit);
    if (!m_boxlim) {
        m_boxlim = new ViolationList(m_model, m_graph);
    } else {
        m_boxlim->Refresh();
    }
    m_showChild(m_boxlim);
}

void LimitCommands::ShowBoundaryEditor() {
    if (!m_boxgrenze) m_boxgrenze = new BoundaryEditor(m_model);
    m_showChild(m_boxgrenze);
}

void LimitCommands::RefreshLevelWindow() {
    if (m_boxwerte) m_boxwerte->Refresh();
}

void LimitCommands::RefreshViolationList() {
    if (m_boxlim) m_boxlim->Refresh();
}

void LimitCommands::MarkPoint(int point) {
    // Moving the scroll bar rebuilds the rows and moves the cursor line, as the user's own move does.
    for (PointListWindow* list :
         {static_cast<PointListWindow*>(m_boxwerte.data()), static_cast<PointListWindow*>(m_boxlim.data())})
        if (list) list->ScrollTo(ListScrollOfPoint(point));
}

void LimitCommands::MarkX(int x) {
    const int resolution = m_model.settings.resolution;
    if (resolution < 1) return;
    MarkPoint(x / resolution);
}

void LimitCommands::ReopenBoundaryEditor() {
    if (CloseUnlessMinimised(m_boxgrenze)) ShowBoundaryEditor();
}

}  // namespace tk
