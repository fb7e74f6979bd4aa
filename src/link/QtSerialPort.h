#pragma once

#include <QSerialPort>

#include "SerialPort.h"

namespace tk {

// The real serial port. Waits block in the operating system through QSerialPort's waitForReadyRead, or,
// on the event loop, the port tells when bytes arrive. Output is handed to the driver without waiting for it to leave; what the
// driver still holds (flow control held off) counts as not yet sent.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    bool open(const QString& deviceName) override;
    void close() override;
    bool isOpen() const override;
    void setLineSettings(const QString& settings) override;
    QString lineSettings() const override { return m_settings; }
    int bytesWaiting() override;
    bool waitForData(int ms) override;
    void setDataArrived(std::function<void()> arrived) override;
    QByteArray read(int n) override;
    void write(const QByteArray& bytes) override;
    void clearBuffers() override;
    int bytesToWrite() override;
    bool setFlowControl(FlowControl flow) override;
    bool accessDenied(const QString& deviceName) const override;

private:
    // False when the flow control asked for could not be set on the open port.
    bool applySettings();
    // Hands what the port's buffer holds to the driver, as far as the driver takes it now.
    void pushToDriver();
    QSerialPort m_port;
    QString m_settings = QStringLiteral("2400,N,8,1");
    FlowControl m_flow = FlowControl::None;
    QMetaObject::Connection m_arrived;
};

}  // namespace tk
