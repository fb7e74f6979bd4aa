#pragma once

#include <QObject>
#include <QPointer>
#include <QStatusBar>
#include <functional>
#include <memory>

#include "ScriptWindow.h"
#include "Session.h"

namespace tk {

// The script commands of the main window: load, save, the script window and the start-script dialog. The
// runner, its control outputs and the start at program start belong to the session.
class PrintCommands;

class ScriptCommands final : public QObject {
    Q_OBJECT
public:
    // showChild shows a child window in the work area.
    ScriptCommands(Session& session, UserDialogs& dialogs, std::function<void(QWidget*)> showChild,
                   QWidget* dialogParent);
    ~ScriptCommands() override;

    // Puts other file, printer and link actions in place of the real ones.
    void UseActions(ScriptActions& actions) { m_session.UseActions(actions); }
    // A step's page goes where "&Print" sends it; where it went shows in the status bar.
    void UsePrinter(PrintCommands& print, QStatusBar* statusBar);
    ScriptRunner& runner() { return m_session.Scripts(); }
    ScriptWindow* editor() const { return m_editor; }

    void SaveCommand();
    void ShowEditor();
    void ShowStartScriptDialog();
    // Loads scriptFileName and, when every step was read, starts it with the script window minimised.
    void StartAtProgramStart() { m_session.StartScriptAtProgramStart(); }

private:
    // The script started at program start: its window shows it, minimised.
    void ShowStartedMinimised();
    // After a load the window shows the new steps, unless it is minimised.
    void RefreshEditor();

    Session& m_session;
    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    std::function<void(QWidget*)> m_showChild;
    QWidget* m_dialogParent;
    QPointer<ScriptWindow> m_editor;
};

}  // namespace tk
