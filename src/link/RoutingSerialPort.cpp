#include "RoutingSerialPort.h"

namespace tk {

bool RoutingSerialPort::open(const QString& deviceName) {
    if (m_current->isOpen()) m_current->close();
    m_current = m_named.value(deviceName, &m_default);
    m_current->setLineSettings(m_settings);
    return m_current->open(deviceName);
}

void RoutingSerialPort::setLineSettings(const QString& settings) {
    m_settings = settings;
    m_current->setLineSettings(settings);
}

void RoutingSerialPort::addDevice(const QString& deviceName, SerialPort& port) {
    m_named.insert(deviceName, &port);
    port.setDataArrived(m_arrived);
}

void RoutingSerialPort::setDataArrived(std::function<void()> arrived) {
    m_arrived = std::move(arrived);
    m_default.setDataArrived(m_arrived);
    for (SerialPort* port : std::as_const(m_named)) port->setDataArrived(m_arrived);
}

}  // namespace tk
