#include "BoundaryFileCommands.h"

#include "BoundariesFile.h"

namespace tk {

void BoundaryFileCommands::LoadCommand() {
    const FileDialogRequest request =
        OpenFileRequest(QStringLiteral("Grenzen (*.grn);;Alle Dateien (*.*)"), QStringLiteral("grn"));
    const std::optional<QString> name = m_dialogs.openFileName(request);
    if (!name) return;
    m_model.fileNames.boundaries = *name;
    const BoundariesLoad result = LoadBoundariesFile(*name, m_model, m_dialogs);
    // A file that was refused has changed nothing; one that ended early has changed what it held.
    if (result == BoundariesLoad::NotOpened || result == BoundariesLoad::TagUnknown) return;
    m_model.redrawPending = true;
    if (m_loaded) m_loaded(*name);
    if (m_afterLoad) m_afterLoad();
}

void BoundaryFileCommands::SaveCommand() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save");
    request.filter = QStringLiteral("*.grn");
    request.initialName = m_model.fileNames.boundaries;
    request.defaultExtension = QStringLiteral("grn");
    request.confirmOverwrite = true;
    request.confirmCreate = true;
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (!name) return;
    m_model.fileNames.boundaries = *name;
    SaveBoundariesFile(*name, m_model, m_dialogs);
}

}  // namespace tk
