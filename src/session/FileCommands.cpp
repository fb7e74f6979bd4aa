#include "FileCommands.h"

#include "FileOperations.h"
#include "MeasurementFile.h"

namespace tk {

FileCommands::FileCommands(MeasurementModel& model, AnalyzerLink& link, Clock& clock, UserDialogs& dialogs,
                           FileCommandHooks hooks)
    : m_model(model), m_link(link), m_clock(clock), m_dialogs(dialogs), m_hooks(std::move(hooks)) {}

std::optional<QString> FileCommands::AskSaveName(const QString& filter, const QString& initialName,
                                                 const QString& extension) {
    FileDialogRequest request;
    request.title = QStringLiteral("Save");
    request.filter = filter;
    request.initialName = initialName;
    request.defaultExtension = extension;
    request.confirmOverwrite = true;
    request.confirmCreate = true;
    return m_dialogs.saveFileName(request);
}

// The loads wait for a running exchange: a read keeps the resolution and sweep it started with, and a
// measurement load closes the link.
void FileCommands::LoadSettings() {
    m_link.Line().Run([this] { LoadSettingsNow(); });
}

void FileCommands::LoadMeasurement() {
    m_link.Line().Run([this] { LoadMeasurementNow(); });
}

void FileCommands::LoadSettingsNow() {
    const FileDialogRequest request =
        OpenFileRequest(QStringLiteral("Einstellungen (*.set);;Alle Dateien (*.*)"), QStringLiteral("set"));
    const std::optional<QString> name = m_dialogs.openFileName(request);
    if (!name) return;
    m_model.fileNames.settings = *name;
    if (LoadSettingsFile(*name, m_model, m_dialogs) == LoadResult::Refused) return;
    if (m_loaded) m_loaded(QStringLiteral("settings"), *name);
    Run(m_hooks.reopenSettingsWindows);
    Run(m_hooks.userUnitChanged);
}

void FileCommands::SaveSettings() {
    const std::optional<QString> name =
        AskSaveName(QStringLiteral("*.set"), m_model.fileNames.settings, QStringLiteral("set"));
    if (!name) return;
    m_model.fileNames.settings = *name;
    SaveSettingsFile(*name, m_model, m_dialogs);
}

void FileCommands::LoadMeasurementNow() {
    // A measurement shown from a file must not be overwritten by the next read.
    m_link.ClosePort();
    m_link.View().SetOnlineChecked(m_link.IsOpen());

    const FileDialogRequest request =
        OpenFileRequest(QStringLiteral("Messungen (*.mes);;Alle Dateien (*.*)"), QStringLiteral("mes"));
    const std::optional<QString> name = m_dialogs.openFileName(request);
    if (!name) return;
    m_model.fileNames.measurement = *name;
    if (LoadMeasurementFile(*name, m_model, m_dialogs) == LoadResult::Refused) return;
    if (m_loaded) m_loaded(QStringLiteral("measurement"), *name);
    if (m_hooks.setGraphCaption) m_hooks.setGraphCaption(MeasurementCaption(*name, m_model));
    Run(m_hooks.reopenSettingsWindows);
    Run(m_hooks.reopenBoundaryEditor);
    m_model.graphOpen = true;
    m_link.View().RedrawGraph();
    Run(m_hooks.userUnitChanged);
}

void FileCommands::SaveMeasurement() {
    m_model.readDate.set(m_clock.dateText());
    const std::optional<QString> name =
        AskSaveName(QStringLiteral("*.mes"), m_model.fileNames.measurement, QStringLiteral("mes"));
    if (!name) return;
    m_model.fileNames.measurement = *name;
    SaveMeasurementFile(*name, m_model, m_dialogs);
}

void FileCommands::ExportTable(int unit) {
    m_model.tableUnit = static_cast<std::int16_t>(unit);
    const std::optional<QString> name =
        AskSaveName(QStringLiteral("*.tab"), m_model.fileNames.table, QStringLiteral("tab"));
    if (!name) return;
    m_model.fileNames.table = *name;
    ExportTableFile(*name, m_model, unit, m_dialogs);
}

}  // namespace tk
