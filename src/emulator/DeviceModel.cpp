#include "DeviceModel.h"

#include <algorithm>
#include <array>

namespace tk::emu {
namespace {

constexpr std::array<int, 5> BAUD_RATES{2400, 9600, 19200, 38400, 115200};

int RateOfIndex(int index) {
    return BAUD_RATES.at(static_cast<std::size_t>(std::clamp(index, 1, 5) - 1));
}

char Upper(char c) {
    return static_cast<char>(c - 32);
}

// Salt of the random stream that draws noise bytes, apart from the signal's streams.
constexpr std::uint64_t NOISE_BYTE_STREAM = 99;

// An interface that vanishes mid-trace goes a little after its last block, so the program has taken that
// block off the line: what the port held when the interface went is lost with it.
constexpr double VANISH_DELAY_S = 0.01;

}  // namespace

DeviceModel::DeviceModel(const DeviceConfig& config, double startTime)
    : m_config(config),
      m_acquisition(config.seed, startTime, config.sweepPeriod, 8, config.lossDb, config.steadyScene),
      m_line(config.pacing),
      m_baud(RateOfIndex(config.faults.onlyBaudIndex.value_or(config.baudIndex))) {
    if (m_config.faults.disappearAfterBytes == 0) m_vanished = true;
}

int DeviceModel::baudAt(double t) const {
    if (m_baudChange && t >= m_baudChange->first) return m_baudChange->second;
    return m_baud;
}

void DeviceModel::receive(char c, double t, std::optional<int> senderBaud) {
    if (m_vanished) return;
    m_received.append(c);
    if (m_config.faults.disappearAfterBytes && m_received.size() > *m_config.faults.disappearAfterBytes) {
        vanish();
        return;
    }
    if (m_baudChange && t >= m_baudChange->first) {
        m_baud = m_baudChange->second;
        m_baudChange.reset();
    }
    if (!heard(c, t, senderBaud)) return;
    const double start = t + m_config.latency;
    m_acquisition.advanceTo(start);
    handle(c, start);
}

void DeviceModel::vanish() {
    m_vanished = true;
    m_vanishAt.reset();
    m_line.clear();
}

void DeviceModel::clearFaults() {
    m_config.faults = Faults();
    m_vanished = false;
    m_vanishAt.reset();
}

QByteArray DeviceModel::takeOutput(double t, std::optional<int> receiverBaud) {
    if (!m_vanishAt || t < *m_vanishAt) return m_line.take(t, receiverBaud);
    const QByteArray last = m_line.take(*m_vanishAt, receiverBaud);
    vanish();
    return last;
}

bool DeviceModel::heard(char c, double t, std::optional<int> senderBaud) {
    const Faults& f = m_config.faults;
    const int lineBaud = senderBaud.value_or(baudAt(t));
    if (lineBaud != baudAt(t)) return false;
    if (f.silent && f.silent->contains(c)) return false;
    if (c == 'i' && f.onlyBaudIndex && lineBaud != RateOfIndex(*f.onlyBaudIndex)) return false;
    if (f.answerFrom > 1) {
        // Any other character ends a run of transmissions.
        m_runLength = c == m_runChar ? m_runLength + 1 : 1;
        m_runChar = c;
        if (f.answerFromChars.contains(c) && m_runLength < f.answerFrom) return false;
        m_runLength = 0;
    }
    return true;
}

void DeviceModel::handle(char c, double t) {
    switch (m_awaiting) {
        case Awaiting::Command:
            handleCommand(c, t);
            break;
        case Awaiting::BSecond:
            handleSecondLetter(c, t);
            break;
        case Awaiting::BaudDigit:
            handleBaudDigit(c, t);
            break;
    }
}

void DeviceModel::handleCommand(char c, double t) {
    switch (c) {
        case 'b':
            acknowledge(c, 'B', t);
            m_awaiting = Awaiting::BSecond;
            break;
        case 'i':
            acknowledge(c, 'I', t);
            m_awaiting = Awaiting::BaudDigit;
            break;
        case 'a':
        case 's':
        case 'm':
            sendTrace(c, t);
            break;
        default:
            break;  // not a command: no answer
    }
}

void DeviceModel::handleSecondLetter(char c, double t) {
    m_awaiting = Awaiting::Command;
    switch (c) {
        case 'b':
            acknowledge(c, 'B', t);
            m_awaiting = Awaiting::BSecond;
            return;
        case 'c':
            m_acquisition.setResolution(1, t);
            break;
        case 'd':
            m_acquisition.setResolution(2, t);
            break;
        case 'e':
            m_acquisition.setResolution(4, t);
            break;
        case 'f':
            m_acquisition.setResolution(8, t);
            break;
        case 'o':
            m_acquisition.setSleeping(false, t);
            break;
        case 'p':
            m_acquisition.setSleeping(true, t);
            break;
        case 'r':
            m_acquisition.setCalculating(true, t);
            break;
        case 'n':
            m_acquisition.setCalculating(false, t);
            break;
        case 'v':
            sendVersion(t);
            return;
        default:
            return;  // not a second letter: dropped, the interface waits for a command again
    }
    acknowledge(c, Upper(c), t);
}

void DeviceModel::handleBaudDigit(char c, double t) {
    m_awaiting = Awaiting::Command;
    // A character that is no rate digit is a new command: after a search the program asks "i" and then
    // goes on with "b..." without ever sending a digit.
    if (c < '1' || c > '5') {
        handleCommand(c, t);
        return;
    }
    acknowledge(c, m_config.faults.wrongDigit ? static_cast<char>(c == '5' ? '1' : c + 1) : c, t);
    // The echo still goes out at the old rate; the new one holds from its last bit on.
    m_baudChange = std::make_pair(m_line.freeAt(), RateOfIndex(c - '0'));
}

void DeviceModel::acknowledge(char received, char ack, double t) {
    const bool wrong = m_config.faults.wrongAck && m_config.faults.wrongAck->contains(received);
    transmit(QByteArray(1, wrong ? static_cast<char>(ack ^ 0x20) : ack), t);
}

void DeviceModel::transmit(const QByteArray& bytes, double t) {
    m_line.send(bytes, t, baudAt(std::max(t, m_line.freeAt())));
}

void DeviceModel::sendVersion(double t) {
    QByteArray block = QByteArrayLiteral("\r\nTK820-2 digital interface, firmware ");
    QByteArray version(FIRMWARE_VERSION);
    if (m_config.faults.wrongAck && m_config.faults.wrongAck->contains('v')) version[0] = 'v';
    block += version + QByteArrayLiteral(" (emulated)");
    block += QByteArray(VERSION_BLOCK_SIZE - 2 - block.size(), ' ') + QByteArrayLiteral("\r\n");
    transmit(block, t);
}

void DeviceModel::sendTrace(char request, double t) {
    const Faults& f = m_config.faults;
    const TraceKind kind = request == 'a'   ? TraceKind::Actual
                           : request == 's' ? TraceKind::Peak
                                            : TraceKind::Average;
    const QByteArray levels = m_acquisition.trace(kind);
    const int blocks = static_cast<int>(levels.size()) / 100;

    QByteArray out;
    for (int i = 0; i < f.noiseBytes; ++i) {
        char b = 0;
        do {
            const double u = m_acquisition.signal().uniform(NOISE_BYTE_STREAM,
                                                            static_cast<std::int64_t>(m_noiseCount++), 0);
            b = static_cast<char>(static_cast<int>(u * 256.0) & 0xFF);
        } while (b == 'A' || b == 'S' || b == 'M');
        out.append(b);
    }
    int sentBlocks = f.stallAfterBlocks ? std::min(*f.stallAfterBlocks, blocks) : blocks;
    if (f.vanishAfterBlocks) sentBlocks = std::min(*f.vanishAfterBlocks, blocks);
    QByteArray rest;
    for (int n = 0; n < blocks; ++n) {
        QByteArray& target = n < sentBlocks ? out : rest;
        const int number = f.skipBlock && n >= *f.skipBlock ? n + 1 : n;
        target.append(Upper(request));
        target.append(static_cast<char>(number));
        target.append(levels.mid(n * 100, 100));
    }
    if (f.partialLastBlock && sentBlocks == blocks) out.chop(TRACE_BLOCK_SIZE - *f.partialLastBlock);
    transmit(out, t);
    if (f.vanishAfterBlocks) {
        m_vanishAt = m_line.freeAt() + VANISH_DELAY_S;
        return;
    }
    if (!rest.isEmpty() && f.stallResumeMs) transmit(rest, m_line.freeAt() + *f.stallResumeMs / 1000.0);
}

}  // namespace tk::emu
