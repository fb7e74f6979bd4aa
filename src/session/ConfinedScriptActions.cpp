#include "ConfinedScriptActions.h"

#include <QDir>
#include <QFileInfo>

#include "FileConfinement.h"

namespace tk {

void ConfinedScriptActions::Confine(const QString& folder, const QString& scriptFile) {
    m_folder = folder;
    m_scriptFolder = QFileInfo(scriptFile).absolutePath();
}

QString ConfinedScriptActions::Beside(const QString& path) const {
    return QDir::cleanPath(QDir(m_scriptFolder).absoluteFilePath(path));
}

FileLoad ConfinedScriptActions::Load(FileLoad (ScriptActions::*load)(const QString&), const QString& path) {
    if (!m_folder) return (m_actions->*load)(path);
    const FileConfinement inside(*m_folder);
    return (m_actions->*load)(Beside(path));
}

FileSave ConfinedScriptActions::SaveMeasurement(const QString& path) {
    if (!m_folder) return m_actions->SaveMeasurement(path);
    const FileConfinement inside(*m_folder);
    return m_actions->SaveMeasurement(Beside(path));
}

void ConfinedScriptActions::Print(const QString& pdfName, const QString& measurementFile) {
    if (!m_folder) return m_actions->Print(pdfName, measurementFile);
    const FileConfinement inside(*m_folder);
    m_actions->Print(Beside(pdfName), measurementFile);
}

}  // namespace tk
