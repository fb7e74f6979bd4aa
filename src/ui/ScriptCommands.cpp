#include "ScriptCommands.h"

#include <QLabel>
#include <QMdiSubWindow>

#include "PrintCommands.h"
#include "ScriptFile.h"
#include "StartScriptDialog.h"

namespace tk {

ScriptCommands::ScriptCommands(Session& session, UserDialogs& dialogs,
                               std::function<void(QWidget*)> showChild, QWidget* dialogParent)
    : m_session(session),
      m_model(session.Model()),
      m_dialogs(dialogs),
      m_showChild(std::move(showChild)),
      m_dialogParent(dialogParent) {
    connect(&session, &Session::scriptStartedAtProgramStart, this, &ScriptCommands::ShowStartedMinimised);
    connect(&session, &Session::scriptLoaded, this, &ScriptCommands::RefreshEditor);
}

ScriptCommands::~ScriptCommands() {
    if (m_editor) delete m_editor.data();
}

void ScriptCommands::UsePrinter(PrintCommands& print, QStatusBar* statusBar) {
    auto* note = new QLabel(statusBar);
    note->setObjectName(QStringLiteral("scrprint"));
    statusBar->addWidget(note);
    m_session.FileActions().UsePrinter(print.AsScriptPrinter(),
                                       [note = QPointer<QLabel>(note)](const QString& text) {
                                           if (note) note->setText(text);
                                       });
}

void ScriptCommands::SaveCommand() {
    FileDialogRequest r;
    r.title = QStringLiteral("Save");
    r.filter = QStringLiteral("*.scp");
    r.initialName = m_model.scriptFileName;
    r.defaultExtension = QStringLiteral("scp");
    r.confirmOverwrite = true;
    r.confirmCreate = true;
    const auto name = m_dialogs.saveFileName(r);
    if (!name) return;
    m_model.scriptFileName = *name;
    SaveScript(m_model, m_dialogs);
    if (m_editor) m_editor->ShowTitle();
}

void ScriptCommands::ShowEditor() {
    if (!m_editor) {
        ScriptWindow::Commands commands;
        commands.start = [this] { m_session.StartLoadedScript(); };
        commands.stop = [this] { runner().StopScript(); };
        m_editor = new ScriptWindow(m_model, m_dialogs, commands);
    }
    if (m_showChild)
        m_showChild(m_editor);
    else
        m_editor->show();
    m_editor->ShowModel();
}

void ScriptCommands::RefreshEditor() {
    auto* frame = m_editor ? qobject_cast<QMdiSubWindow*>(m_editor->parentWidget()) : nullptr;
    if (frame && frame->isMinimized()) return;
    ShowEditor();
}

void ScriptCommands::ShowStartScriptDialog() {
    StartScriptDialog dialog(m_model, m_dialogs, m_dialogParent);
    dialog.exec();
}

void ScriptCommands::ShowStartedMinimised() {
    RefreshEditor();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(m_editor->parentWidget()))
        frame->showMinimized();
    else
        m_editor->showMinimized();
}

}  // namespace tk
