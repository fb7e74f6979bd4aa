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

}  // namespace tk
