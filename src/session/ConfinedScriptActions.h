#pragma once

#include <QString>
#include <optional>

#include "ScriptActions.h"

namespace tk {

// The step actions a script runs with: those of the program, and for a script a remote client started, the
// same with its files held in the remote folder. Its names are then taken beside the script, as a run without
// windows takes them, and each file step runs under a FileConfinement of the folder: a name outside it, or a
// link on the way, is neither read nor written, and the step fails as with a missing file.
class ConfinedScriptActions final : public ScriptActions {
public:
    explicit ConfinedScriptActions(ScriptActions& actions) : m_actions(&actions) {}

    void Use(ScriptActions& actions) { m_actions = &actions; }
    // From now on the steps' files lie in folder; scriptFile: the script, beside which relative names are.
    void Confine(const QString& folder, const QString& scriptFile);
    // The steps' files are the program's own again (a script started from the window or at start).
    void Release() { m_folder.reset(); }

    FileLoad LoadSettings(const QString& path) override { return Load(&ScriptActions::LoadSettings, path); }
    FileLoad LoadBoundaries(const QString& path) override {
        return Load(&ScriptActions::LoadBoundaries, path);
    }
    FileLoad LoadCalibration(const QString& path) override {
        return Load(&ScriptActions::LoadCalibration, path);
    }
    FileSave SaveMeasurement(const QString& path) override;
    void Print(const QString& pdfName, const QString& measurementFile) override;
    void ConnectInterface() override { m_actions->ConnectInterface(); }
    bool LinkOpen() override { return m_actions->LinkOpen(); }
    void SetAutoMeasurementChecked(bool checked) override { m_actions->SetAutoMeasurementChecked(checked); }
    void ProcessEvents() override { m_actions->ProcessEvents(); }

private:
    FileLoad Load(FileLoad (ScriptActions::*load)(const QString&), const QString& path);
    QString Beside(const QString& path) const;

    ScriptActions* m_actions;
    std::optional<QString> m_folder;
    QString m_scriptFolder;
};

}  // namespace tk
