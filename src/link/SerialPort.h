#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace tk {

enum class FlowControl { None, XonXoff, Rts, XonXoffAndRts };

// A serial port as the link layer uses it. Reception is polled: waitForData blocks in the operating system
// for at most the given time and returns early when bytes arrive.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the device; false when it is busy or absent. The line settings last given apply.
    virtual bool open(const QString& deviceName) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // "9600,N,8,1": rate, parity, data bits, stop bits. Kept while closed and applied on open.
    virtual void setLineSettings(const QString& settings) = 0;
    virtual QString lineSettings() const = 0;
    // Bytes received and not yet read.
    virtual int bytesWaiting() = 0;
    // Waits up to ms milliseconds for more bytes to arrive; returns whether any did.
    virtual bool waitForData(int ms) = 0;
    // For a wait on the event loop instead: how long, of at most ms, until more bytes can have arrived.
    virtual int msUntilData(int ms) { return ms; }
    // Called from the event loop when bytes arrive, by a port that can tell; nothing by one that cannot.
    virtual void setDataArrived(std::function<void()> arrived) { (void)arrived; }
    // Reads up to n received bytes.
    virtual QByteArray read(int n) = 0;
    // Transmits the bytes.
    virtual void write(const QByteArray& bytes) = 0;
    // Discards what is received and not read, and what is still to transmit.
    virtual void clearBuffers() = 0;
    virtual int bytesToWrite() = 0;
    // Handshaking, kept while closed and applied on open; false when the port refuses it. The link to the
    // interface never uses any, so a port that cannot do it need not say so.
    virtual bool setFlowControl(FlowControl) { return true; }
    // True when the device is there but this user may neither read nor write it: on Linux, a user outside
    // the group that owns the serial devices.
    virtual bool accessDenied(const QString& deviceName) const {
        (void)deviceName;
        return false;
    }
};

// What a user whose access to the device was denied is told, beside the program's own messages.
QString AccessDeniedText(const QString& deviceName);

// The parts of "9600,N,8,1"; nothing when the text is not of that form.
struct LineSettings {
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};
bool ParseLineSettings(const QString& text, LineSettings& out);

}  // namespace tk
