#pragma once

#include <QByteArray>
#include <QString>

#include "Clock.h"
#include "DeviceModel.h"
#include "EmulatorOptions.h"
#include "SerialPort.h"

namespace tk {

// A serial port with the emulated interface at its far end, inside the program. Time is the given clock's:
// waits sleep on it until the next byte is due (a fake clock just moves on), so the line timing is the same
// in tests and in the running program. The interface lives as long as the port, open or closed: like the
// real one it keeps its rate, resolution and module states between connections. Any device name opens it,
// unless the interface has disappeared.
class EmulatorPort final : public SerialPort {
public:
    explicit EmulatorPort(Clock& clock, const EmulatorOptions& options = EmulatorOptions());

    bool open(const QString& deviceName) override;
    void close() override;
    bool isOpen() const override;
    void setLineSettings(const QString& settings) override;
    QString lineSettings() const override { return m_settings; }
    int bytesWaiting() override;
    bool waitForData(int ms) override;
    int msUntilData(int ms) override;
    QByteArray read(int n) override;
    void write(const QByteArray& bytes) override;
    void clearBuffers() override;
    int bytesToWrite() override;

    // The interface behind the port, for looking at its state.
    const emu::DeviceModel& device() const { return m_device; }
    // Runs the interface's sweeps up to the clock's time.
    void advanceDevice() { m_device.advanceTo(m_clock.seconds()); }
    // The interface's faults are put right (see DeviceModel::clearFaults).
    void clearFaults() { m_device.clearFaults(); }
    void setFaults(const emu::Faults& faults) { m_device.setFaults(faults); }
    void forgetReceived() { m_device.forgetReceived(); }
    // Puts a cable of another loss before the analyzer, from now on.
    void setLossDb(double lossDb) { m_device.setLossDb(lossDb, m_clock.seconds()); }

private:
    // Takes into the receive buffer what has arrived by now; bytes that arrive while the port is closed, or
    // at a rate the port is not set to, are lost.
    void pull();

    Clock& m_clock;
    emu::DeviceModel m_device;
    QString m_settings = QStringLiteral("2400,N,8,1");
    int m_baud = 2400;
    bool m_open = false;
    QByteArray m_rx;
    double m_txFreeAt = 0.0;  // when the last transmitted byte has reached the interface
};

}  // namespace tk
