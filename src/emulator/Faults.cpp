#include "Faults.h"

#include <QStringList>

namespace tk::emu {
namespace {

std::optional<int> WholeNumber(const QString& text, int min, int max) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max) return std::nullopt;
    return v;
}

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

bool AddFault(const QString& option, Faults& faults, QString* error) {
    const QStringList parts = option.split(u':');
    const QString name = parts.first().trimmed().toLower();
    const QStringList args = parts.mid(1);
    const auto badArgument = [&] {
        return Fail(error, QStringLiteral("bad argument in fault \"%1\"").arg(option));
    };
    const auto charsAt = [&](int i) -> std::optional<CharSet> {
        if (args.size() <= i) return CharSet::All();
        const QByteArray chars = args.at(i).toLatin1();
        if (chars.isEmpty()) return std::nullopt;
        return CharSet::Of(chars);
    };
    const auto numberAt = [&](int i, int fallback, int min, int max) -> std::optional<int> {
        if (args.size() <= i) return fallback;
        return WholeNumber(args.at(i), min, max);
    };

    if (name == u"silent" || name == u"wrong-ack") {
        const auto chars = charsAt(0);
        if (args.size() > 1 || !chars) return badArgument();
        (name == u"silent" ? faults.silent : faults.wrongAck) = chars;
        return true;
    }
    if (name == u"answer-from") {
        const auto n = numberAt(0, 0, 1, 1000);
        const auto chars = charsAt(1);
        if (args.isEmpty() || args.size() > 2 || !n || !chars) return badArgument();
        faults.answerFrom = *n;
        faults.answerFromChars = *chars;
        return true;
    }
    if (name == u"skip-block") {
        const auto k = numberAt(0, 1, 0, 39);
        if (args.size() > 1 || !k) return badArgument();
        faults.skipBlock = k;
        return true;
    }
    if (name == u"noise") {
        const auto n = numberAt(0, 8, 0, 10000);
        if (args.size() > 1 || !n) return badArgument();
        faults.noiseBytes = *n;
        return true;
    }
    if (name == u"stall") {
        const auto k = numberAt(0, 2, 0, 39);
        const auto ms = args.size() > 1 ? WholeNumber(args.at(1), 0, 3600000) : std::optional<int>();
        if (args.size() > 2 || !k || (args.size() > 1 && !ms)) return badArgument();
        faults.stallAfterBlocks = k;
        faults.stallResumeMs = ms;
        return true;
    }
    if (name == u"baud-only") {
        const auto k = numberAt(0, 0, 1, 5);
        if (args.size() != 1 || !k) return badArgument();
        faults.onlyBaudIndex = k;
        return true;
    }
    if (name == u"disappear") {
        const auto n = numberAt(0, 0, 0, 1000000000);
        if (args.size() > 1 || !n) return badArgument();
        faults.disappearAfterBytes = n;
        return true;
    }
    if (name == u"vanish-in-trace") {
        const auto k = numberAt(0, 2, 0, 39);
        if (args.size() > 1 || !k) return badArgument();
        faults.vanishAfterBlocks = k;
        return true;
    }
    if (name == u"wrong-digit") {
        if (!args.isEmpty()) return badArgument();
        faults.wrongDigit = true;
        return true;
    }
    if (name == u"partial-block") {
        const auto n = numberAt(0, 51, 0, 101);
        if (args.size() > 1 || !n) return badArgument();
        faults.partialLastBlock = n;
        return true;
    }
    return Fail(error, QStringLiteral("unknown fault \"%1\"").arg(name));
}

QString FaultsUsage() {
    return QStringLiteral(
        "    silent[:CHARS]          the characters (all without CHARS) are lost on the way to the\n"
        "                            interface: no answer, no effect\n"
        "    wrong-ack[:CHARS]       the characters are carried out but acknowledged with bit 5 flipped\n"
        "                            (\"b\" instead of \"B\", a digit as a control character); for \"v\"\n"
        "                            the version block holds \"v\" instead of \"V\"\n"
        "    answer-from:N[:CHARS]   a character is heard only at its Nth transmission in a row, the\n"
        "                            first N-1 are lost; once it is carried out the count starts again,\n"
        "                            so every exchange needs N transmissions (all characters without\n"
        "                            CHARS)\n"
        "    skip-block[:K]          trace blocks are numbered 0..K-1, K+1, K+2, ... (default K = 1)\n"
        "    noise[:N]               N bytes of line noise (never \"A\", \"S\" or \"M\") before the first\n"
        "                            block of every trace (default 8)\n"
        "    stall[:K[:MS]]          a trace stops after K blocks (default 2); the rest follows MS\n"
        "                            milliseconds later, or never without MS\n"
        "    baud-only:K             the interface starts at rate K (1..5) and answers \"i\" only when it\n"
        "                            arrives at that rate; at any other rate \"i\" goes unanswered\n"
        "    disappear[:N]           the interface vanishes when byte N+1 reaches it: the port reports\n"
        "                            closed, reads fail, opening fails; N = 0 (default): absent from the\n"
        "                            start, the port cannot be opened\n"
        "    vanish-in-trace[:K]     the interface vanishes 10 ms after K blocks (default 2) of a trace\n"
        "                            have arrived, as disappear does\n"
        "    wrong-digit             a baud digit is carried out but echoed as the next one (\"5\" as\n"
        "                            \"1\")\n"
        "    partial-block[:N]       the last block of every trace breaks off after N of its 102 bytes\n"
        "                            (default 51); the rest never comes\n");
}

}  // namespace tk::emu
