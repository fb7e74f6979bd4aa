#pragma once

#include <functional>

#include "Clock.h"
#include "MainWindow.h"
#include "RemoteDialogs.h"
#include "RemoteTarget.h"

namespace tk {

// The remote commands done by the main window's own commands: the menu entries and buttons a user would
// use, with the file dialogs answered by the command's file name. The windowed program and the run
// without windows share it.
class ProgramRemoteTarget final : public RemoteTarget {
public:
    // dialogs: the dialogs the main window was built with. exit: what SYST:EXIT does.
    ProgramRemoteTarget(MainWindow& window, MeasurementModel& model, Clock& clock, RemoteDialogs& dialogs,
                        std::function<void()> exit);

    void WhenLineFree(std::function<void()> step) override;
    MeasurementModel& Model() override { return m_model; }
    QString ProgramVersion() const override;
    void KeepMessages() override { m_dialogs.Keep(); }
    QStringList TakeMessages() override { return m_dialogs.Take(); }
    void Reset() override;
    bool Online() override;
    void SetOnline(bool on) override;
    void Single() override;
    void SetAutoMeasurement(bool on) override;
    void SetFastMode(bool on) override;
    void SettingsChanged() override { m_window.ShowModelAgain(); }
    void Load(RemoteFile kind, const QString& path) override;
    void Store(RemoteFile kind, const QString& path, int unit) override;
    std::vector<RemoteMargin> Margins() override;
    void RunScript() override;
    void StopScript() override;
    bool Exit() override;

private:
    void Trigger(const char* action);

    MainWindow& m_window;
    MeasurementModel& m_model;
    Clock& m_clock;
    RemoteDialogs& m_dialogs;
    std::function<void()> m_exit;
};

}  // namespace tk
