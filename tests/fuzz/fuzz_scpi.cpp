#include <QDir>
#include <deque>

#include "FuzzCheck.h"
#include "LineFramer.h"
#include "ScpiParser.h"
#include "ScpiSession.h"

using namespace tk;

namespace {

// A program that does nothing but keep its model: the session's parsing, table and answers are what is
// fuzzed. The line is always free.
class QuietTarget final : public RemoteTarget {
public:
    MeasurementModel model;
    // As the line's guard does: a step asked during a step runs after it, not inside it.
    void WhenLineFree(std::function<void()> step) override {
        m_waiting.push_back(std::move(step));
        if (m_running) return;
        m_running = true;
        while (!m_waiting.empty()) {
            auto next = std::move(m_waiting.front());
            m_waiting.pop_front();
            next();
        }
        m_running = false;
    }
    MeasurementModel& Model() override { return model; }
    QString ProgramVersion() const override { return QStringLiteral("2.68"); }
    void KeepMessages() override {}
    QStringList TakeMessages() override { return {}; }
    QStringList TakeScriptMessages() override { return {}; }
    void Reset() override {}
    void Abort() override {}
    bool Online() override { return false; }
    void SetOnline(bool) override {}
    void Single() override {}
    void SetAutoMeasurement(bool on) override { model.autoMeasurement = on; }
    void SetFastMode(bool on) override { model.fastMode = on; }
    void SettingsChanged() override {}
    void Load(RemoteFile, const QString&) override {}
    void Store(RemoteFile, const QString&, int) override {}
    std::vector<RemoteMargin> Margins() override { return {{0, true, -1.0, 3.9f}}; }
    void RunScript(const QString&) override {}
    void StopScript() override {}
    bool Exit() override { return true; }

private:
    bool m_running = false;
    std::deque<std::function<void()>> m_waiting;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz::InputBytes(data, size);
    // Whatever a line holds, a command that is read has a header of known characters.
    for (const ScpiItem& item : ParseProgramLine(input.left(input.indexOf('\n'))))
        if (const auto* c = std::get_if<ScpiCommand>(&item)) TK_FUZZ_CHECK(!c->nodes.isEmpty());

    static QuietTarget target;
    qsizetype answered = 0;
    auto session = ScpiSession::Create(target, QDir::tempPath(), [&](const QByteArray& a) {
        TK_FUZZ_CHECK(a.endsWith('\n'));
        answered += a.size();
    });
    LineFramer framer;
    framer.Feed(
        input, [&](const QByteArray& line) { session->Receive(line); },
        [&] { session->Refuse(-223, QStringLiteral("too long")); });
    // Every command ran: nothing waits on a free line.
    TK_FUZZ_CHECK(session->Pending() == 0);
    TK_FUZZ_CHECK(session->errors().Size() <= ErrorQueue::CAPACITY);
    return 0;
}
