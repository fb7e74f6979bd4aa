#include "ScriptCommands.h"

#include <QLabel>
#include <QMdiSubWindow>

#include "ScriptFile.h"
#include "StartScriptDialog.h"

namespace tk {

ScriptCommands::ScriptCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs,
                               AnalyzerLink& link, const PortMap& portMap, Hooks hooks, QWidget* dialogParent)
    : m_model(model),
      m_clock(clock),
      m_dialogs(dialogs),
      m_portMap(portMap),
      m_hooks(std::move(hooks)),
      m_dialogParent(dialogParent),
      m_line(link.Line()),
      m_ownActions(model, link, m_hooks.setAutoChecked) {
    Rebuild();
}

ScriptCommands::~ScriptCommands() {
    if (m_editor) delete m_editor.data();
}

void ScriptCommands::Rebuild() {
    m_runner = std::make_unique<ScriptRunner>(m_model, m_clock, m_dialogs, *m_actions, *m_control,
                                              *m_parallel, m_portMap);
}

void ScriptCommands::UsePorts(SerialPort& control, ParallelPort& parallel) {
    m_control = &control;
    m_parallel = &parallel;
    Rebuild();
}

void ScriptCommands::UseActions(ScriptActions& actions) {
    m_actions = &actions;
    Rebuild();
}

void ScriptCommands::UsePrinter(PrintCommands& print, QStatusBar* statusBar) {
    auto* note = new QLabel(statusBar);
    note->setObjectName(QStringLiteral("scrprint"));
    statusBar->addWidget(note);
    m_ownActions.UsePrinter(&print, [note = QPointer<QLabel>(note)](const QString& text) {
        if (note) note->setText(text);
    });
}

void ScriptCommands::LoadCommand() {
    // A step may be running: the new steps replace the table once it has ended.
    m_line.Run([this] { Load(); });
}

void ScriptCommands::Load() {
    FileDialogRequest r;
    r.title = QStringLiteral("Open");
    r.filter = QStringLiteral("Script (*.scp);;Alle Dateien (*.*)");
    r.initialName = QStringLiteral("*.scp");
    r.defaultExtension = QStringLiteral("scp");
    r.mustExist = true;
    const auto name = m_dialogs.openFileName(r);
    if (!name) return;
    m_model.scriptFileName = *name;
    const ScriptLoad result = LoadScript(m_model, m_dialogs);
    if (result == ScriptLoad::Loaded || result == ScriptLoad::ShortRead) RefreshEditor();
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
        commands.start = [this] { m_line.Run([this] { m_runner->StartScript(); }); };
        commands.stop = [this] { m_runner->StopScript(); };
        m_editor = new ScriptWindow(m_model, m_dialogs, commands);
    }
    if (m_hooks.showChild)
        m_hooks.showChild(m_editor);
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

void ScriptCommands::StartAtProgramStart() {
    m_line.Run([this] { StartLoaded(); });
}

void ScriptCommands::StartLoaded() {
    // Only a script read whole is started: after a refused file the table is the one from before, which
    // may be another script whose control outputs would be sent again.
    if (LoadScript(m_model, m_dialogs) != ScriptLoad::Loaded) return;
    RefreshEditor();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(m_editor->parentWidget()))
        frame->showMinimized();
    else
        m_editor->showMinimized();
    m_runner->StartScript();
}

}  // namespace tk
