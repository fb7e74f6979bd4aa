#pragma once

#include <functional>

#include "RemoteDialogs.h"
#include "RemoteTarget.h"
#include "Session.h"

namespace tk {

class SessionRecording;

// The remote commands done by the session's own commands, the ones the menus and buttons hand it, with
// the file dialogs answered by the command's file name: a remote load refreshes the open windows as a
// menu load does, and without windows it needs none.
class SessionRemoteTarget final : public RemoteTarget {
public:
    // dialogs: the dialogs the session was built with. exit: what SYST:EXIT does (nothing when empty).
    SessionRemoteTarget(Session& session, RemoteDialogs& dialogs, std::function<void()> exit)
        : m_session(session), m_dialogs(dialogs), m_exit(std::move(exit)) {}

    void WhenLineFree(std::function<void()> step) override { m_session.OnLine(std::move(step)); }
    MeasurementModel& Model() override { return m_session.Model(); }
    QString ProgramVersion() const override;
    void KeepMessages() override { m_dialogs.Keep(); }
    QStringList TakeMessages() override { return m_dialogs.Take(); }
    QStringList TakeScriptMessages() override { return m_dialogs.TakeNotices(); }
    void Reset() override;
    void Abort() override;
    bool Online() override { return m_session.Link().IsOpen(); }
    void SetOnline(bool on) override;
    void Single() override { m_session.Single(); }
    void SetAutoMeasurement(bool on) override;
    void SetFastMode(bool on) override;
    void SettingsChanged() override { m_session.ShowModelAgain(); }
    void Load(RemoteFile kind, const QString& path) override;
    void Store(RemoteFile kind, const QString& path, int unit) override;
    std::vector<RemoteMargin> Margins() override;
    void RunScript(const QString& folder) override { m_session.StartScriptInside(folder); }
    void StopScript() override { m_session.Scripts().StopScript(); }
    bool Exit() override;
    QString StartRecording(const QString& path) override;
    void StopRecording() override;
    std::optional<std::pair<QString, qint64>> Recording() override;
    // The recording that the remote commands start and stop.
    void UseRecording(SessionRecording* recording) { m_recording = recording; }

private:
    Session& m_session;
    RemoteDialogs& m_dialogs;
    std::function<void()> m_exit;
    SessionRecording* m_recording = nullptr;
};

}  // namespace tk
