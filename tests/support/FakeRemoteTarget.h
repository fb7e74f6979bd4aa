#pragma once

#include <QFileInfo>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "MeasurementModel.h"
#include "RemoteTarget.h"

namespace tk::test {

// A program whose line can be held busy: steps asked meanwhile wait, in order, as behind an exchange.
class FakeTarget final : public RemoteTarget {
public:
    MeasurementModel model;
    bool busy = false;
    bool online = false;
    QStringList calls;
    QStringList messages;  // what the next command "shows"
    QStringList scriptMessages;
    std::vector<RemoteMargin> margins;

    // The exchange ends: what waited runs in order, and what it asks for the line after it.
    void Release() {
        busy = false;
        RunWaiting();
    }
    void WhenLineFree(std::function<void()> step) override {
        m_waiting.push_back(std::move(step));
        if (!m_running) RunWaiting();
    }
    MeasurementModel& Model() override { return model; }
    QString ProgramVersion() const override { return QStringLiteral("2.68"); }
    void KeepMessages() override {}
    QStringList TakeMessages() override { return std::exchange(messages, {}); }
    QStringList TakeScriptMessages() override { return std::exchange(scriptMessages, {}); }
    void Reset() override { calls << QStringLiteral("reset"); }
    void Abort() override { calls << QStringLiteral("abort"); }
    bool Online() override { return online; }
    void SetOnline(bool on) override { online = on; }
    void Single() override {
        calls << QStringLiteral("single");
        // the read asks for the line and runs after the command, as the menu's "Single" does
        WhenLineFree([this] { calls << QStringLiteral("read"); });
    }
    void SetAutoMeasurement(bool on) override { model.autoMeasurement = on; }
    void SetFastMode(bool on) override { model.fastMode = on; }
    void SettingsChanged() override { calls << QStringLiteral("shown"); }
    void Load(RemoteFile kind, const QString& path) override {
        calls << QStringLiteral("load %1 %2").arg(int(kind)).arg(QFileInfo(path).fileName());
    }
    void Store(RemoteFile kind, const QString& path, int unit) override {
        calls << QStringLiteral("store %1 %2 %3").arg(int(kind)).arg(QFileInfo(path).fileName()).arg(unit);
    }
    std::vector<RemoteMargin> Margins() override { return margins; }
    void RunScript(const QString&) override { calls << QStringLiteral("run"); }
    void StopScript() override { calls << QStringLiteral("stop"); }
    bool exits = false;  // what "Exit" answers
    bool Exit() override { return exits; }

private:
    void RunWaiting() {
        m_running = true;
        while (!m_waiting.empty() && !busy) {
            auto step = std::move(m_waiting.front());
            m_waiting.pop_front();
            step();
        }
        m_running = false;
    }
    bool m_running = false;
    std::deque<std::function<void()>> m_waiting;
};

}  // namespace tk::test
