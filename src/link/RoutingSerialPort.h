#pragma once

#include <QMap>

#include "SerialPort.h"

namespace tk {

// Opens named devices on their own port implementations (the built-in emulator) and every other device on
// the default one, so the link never knows which it talks to.
class RoutingSerialPort final : public SerialPort {
public:
    explicit RoutingSerialPort(SerialPort& defaultPort) : m_default(defaultPort) {}
    void addDevice(const QString& deviceName, SerialPort& port);

    bool open(const QString& deviceName) override;
    void close() override { m_current->close(); }
    bool isOpen() const override { return m_current->isOpen(); }
    void setLineSettings(const QString& settings) override;
    QString lineSettings() const override { return m_settings; }
    int bytesWaiting() override { return m_current->bytesWaiting(); }
    bool waitForData(int ms) override { return m_current->waitForData(ms); }
    int msUntilData(int ms) override { return m_current->msUntilData(ms); }
    void setDataArrived(std::function<void()> arrived) override;
    QByteArray read(int n) override { return m_current->read(n); }
    void write(const QByteArray& bytes) override { m_current->write(bytes); }
    void clearBuffers() override { m_current->clearBuffers(); }
    int bytesToWrite() override { return m_current->bytesToWrite(); }
    bool accessDenied(const QString& deviceName) const override {
        return m_named.value(deviceName, &m_default)->accessDenied(deviceName);
    }

private:
    SerialPort& m_default;
    SerialPort* m_current = &m_default;
    QMap<QString, SerialPort*> m_named;
    QString m_settings = QStringLiteral("2400,N,8,1");
    std::function<void()> m_arrived;
};

}  // namespace tk
