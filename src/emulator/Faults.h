#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tk::emu {

// The characters a fault applies to: every character, or only those listed.
class CharSet {
public:
    static CharSet All() { return CharSet(); }
    static CharSet Of(const QByteArray& chars) { return CharSet(chars); }
    bool contains(char c) const { return m_chars.isEmpty() || m_chars.contains(c); }
    bool operator==(const CharSet&) const = default;

private:
    CharSet() = default;
    explicit CharSet(const QByteArray& chars) : m_chars(chars) {}
    QByteArray m_chars;  // empty: all
};

// Misbehaviour switched on for a run; everything off is a well-behaved interface. See FaultsUsage() for the
// exact meaning of each.
struct Faults {
    std::optional<CharSet> silent;    // these characters never reach the interface
    std::optional<CharSet> wrongAck;  // acknowledged with bit 5 flipped
    int answerFrom = 1;               // transmissions needed before a character is heard
    CharSet answerFromChars = CharSet::All();
    std::optional<int> skipBlock;            // this block carries the next block's number, the rest follow
    int noiseBytes = 0;                      // bytes before the first block of a trace
    std::optional<int> stallAfterBlocks;     // a trace stops after this many blocks ...
    std::optional<int> stallResumeMs;        // ... and goes on after this long, or never
    std::optional<int> onlyBaudIndex;        // "i" answered only on a line at this rate (1..5)
    std::optional<int> disappearAfterBytes;  // the interface vanishes when more than this many bytes came
    std::optional<int> vanishAfterBlocks;    // ... or when a trace has sent this many blocks
    bool wrongDigit = false;                 // a baud digit is carried out but echoed as the next one
    std::optional<int> partialLastBlock;     // the last block of a trace breaks off after this many bytes
};

// Adds one fault given as "NAME" or "NAME:ARG"; false with a reason when it is not understood.
bool AddFault(const QString& option, Faults& faults, QString* error);
// One line per fault name with its arguments and meaning.
QString FaultsUsage();

}  // namespace tk::emu
