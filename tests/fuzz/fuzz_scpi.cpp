#include <QDir>

#include "FakeRemoteTarget.h"
#include "FuzzCheck.h"
#include "LineFramer.h"
#include "ScpiParser.h"
#include "ScpiSession.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz::InputBytes(data, size);
    // Whatever a line holds, a command that is read has a header of known characters.
    for (const ScpiItem& item : ParseProgramLine(input.left(input.indexOf('\n'))))
        if (const auto* c = std::get_if<ScpiCommand>(&item)) TK_FUZZ_CHECK(!c->nodes.isEmpty());

    // The session's parsing, table and answers are what is fuzzed; the program behind them keeps its model
    // and finds its line always free.
    static test::FakeTarget target;
    target.margins = {{0, true, -1.0, 3.9f}};
    target.exits = true;
    target.online = false;
    target.calls.clear();
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
