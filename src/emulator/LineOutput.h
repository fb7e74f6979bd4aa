#pragma once

#include <QByteArray>
#include <deque>
#include <optional>

namespace tk::emu {

// The interface's transmitter: bytes queued for the line, each with the time its last bit reaches the other
// end and the rate it was sent at. With pacing a byte takes ten bit times (start, eight data, stop bit);
// without, a reply arrives whole the moment it is sent.
class LineOutput {
public:
    explicit LineOutput(bool pacing) : m_pacing(pacing) {}

    // Queues bytes that start no earlier than notBefore and no earlier than the end of what is queued.
    void send(const QByteArray& bytes, double notBefore, int baud);
    // When the line is free again: the arrival of the last queued byte.
    double freeAt() const { return m_freeAt; }
    // The arrival time of the next byte, if any is queued.
    std::optional<double> nextArrival() const;
    // Removes the bytes that have arrived by time t. A receiver set to another rate sees only framing errors:
    // those bytes are lost. With no receiver rate given every byte is taken.
    QByteArray take(double t, std::optional<int> receiverBaud);
    int queued() const { return static_cast<int>(m_queue.size()); }
    void clear();

    bool pacing() const { return m_pacing; }
    static double ByteTime(int baud) { return 10.0 / baud; }

private:
    struct Byte {
        double arrival;
        int baud;
        char value;
    };
    bool m_pacing;
    double m_freeAt = 0.0;
    std::deque<Byte> m_queue;
};

}  // namespace tk::emu
