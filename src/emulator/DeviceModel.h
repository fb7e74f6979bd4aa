#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

#include "Acquisition.h"
#include "Faults.h"
#include "LineOutput.h"

namespace tk::emu {

struct DeviceConfig {
    std::uint64_t seed = 1;
    bool pacing = true;        // bytes leave at the line rate, ten bit times each
    double latency = 0.002;    // s from the arrival of a command character to the start of its answer
    double sweepPeriod = 0.1;  // s per analyzer sweep
    double lossDb = 0.0;       // loss of a cable before the analyzer at the last sweep point (0 at the first)
    bool steadyScene = false;  // no drifting carrier and no burst
    int baudIndex = 1;         // 1..5 = 2400, 9600, 19200, 38400, 115200
    Faults faults;
};

// The five characters of the firmware version that the interface reports.
inline constexpr char FIRMWARE_VERSION[] = "V2.31";
// Length of the block that answers "v"; the version stands in its first 80 bytes. Exactly the 89 bytes the
// program waits for: a longer block would still be arriving when the program clears its buffers and sends
// its next command right after reading the version, and that command's acknowledgement would be lost
// behind the block's tail.
constexpr int VERSION_BLOCK_SIZE = 89;
constexpr int TRACE_BLOCK_SIZE = 102;

// The TK820-2 interface as seen from the serial line: it takes the bytes that reach it, each with its time
// of arrival, and queues its answers on its transmitter.
//
// Commands: "b" is acknowledged "B" and waits for its second letter: "c".."f" set resolution 1/2/4/8 and
// restart peak and average, "o" online, "p" sleeping, "r" calculating on, "n" off (each acknowledged with its
// upper-case letter), "v" answers with the version block. "i" is acknowledged "I" and waits for a baud digit
// "1".."5", which comes back as itself; the new rate holds from the moment that echo has left. "a", "s", "m"
// answer with the actual, peak or average trace in 40 / resolution blocks of 102 bytes. A repeated "b" or "i"
// is acknowledged again and still waits. Any other byte is not answered; one that arrives where a second
// letter or a digit is awaited ends the wait too, so the next byte is read as a new command.
//
// A byte sent at a rate other than the interface's rate is lost: the interface sees a framing error and
// ignores it, in whatever state it is.
class DeviceModel {
public:
    DeviceModel(const DeviceConfig& config, double startTime);

    // A byte has reached the interface at time t. senderBaud is the rate it was sent at; without it the
    // sender is taken to use the interface's own rate.
    void receive(char c, double t, std::optional<int> senderBaud);

    // When the next queued byte arrives at the other end.
    std::optional<double> nextOutputTime() const { return m_line.nextArrival(); }
    // Removes the bytes that have arrived by time t (see LineOutput::take).
    // An interface that is to vanish mid-trace does so here, once its last block has arrived.
    QByteArray takeOutput(double t, std::optional<int> receiverBaud);

    // The interface's line rate at time t.
    int baudAt(double t) const;
    bool vanished() const { return m_vanished; }
    // Runs the sweeps due by time t (called by receive; for watching the traces between commands).
    void advanceTo(double t) { m_acquisition.advanceTo(t); }
    // A cable of another loss from time t on (see Acquisition::setLossDb).
    void setLossDb(double lossDb, double t) { m_acquisition.setLossDb(lossDb, t); }

    const Acquisition& acquisition() const { return m_acquisition; }
    const DeviceConfig& config() const { return m_config; }
    // The faults are put right: from now on the interface behaves well, and one that vanished is back, at
    // the rate and in the state it had.
    void clearFaults();
    // Switches faults on from now, as a test or a soak run injects them.
    void setFaults(const Faults& faults) { m_config.faults = faults; }
    // Every byte that reached the interface, understood or not.
    const QByteArray& received() const { return m_received; }
    // Drops that record, for runs too long to keep it (the byte count of "disappear" starts again).
    void forgetReceived() { m_received = QByteArray(); }

private:
    enum class Awaiting { Command, BSecond, BaudDigit };

    bool heard(char c, double t, std::optional<int> senderBaud);
    void handle(char c, double t);
    void handleCommand(char c, double t);
    void handleSecondLetter(char c, double t);
    void handleBaudDigit(char c, double t);
    void acknowledge(char received, char ack, double t);
    void sendTrace(char request, double t);
    void sendVersion(double t);
    // Queues bytes at the rate the line will have when they start.
    void transmit(const QByteArray& bytes, double t);
    void vanish();

    DeviceConfig m_config;
    Acquisition m_acquisition;
    LineOutput m_line;
    int m_baud;
    std::optional<std::pair<double, int>> m_baudChange;  // time and new rate
    Awaiting m_awaiting = Awaiting::Command;
    char m_runChar = 0;  // the character repeated in the current run of transmissions
    int m_runLength = 0;
    std::uint64_t m_noiseCount = 0;
    QByteArray m_received;
    bool m_vanished = false;
    std::optional<double> m_vanishAt;
};

}  // namespace tk::emu
