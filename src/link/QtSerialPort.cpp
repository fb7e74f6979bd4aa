#include "QtSerialPort.h"

#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tk {

QtSerialPort::QtSerialPort() {
    m_port.setReadBufferSize(0);
}

bool QtSerialPort::open(const QString& deviceName) {
    if (m_port.isOpen()) m_port.close();
    m_port.clearError();
    m_port.setPortName(deviceName);
    if (!m_port.open(QIODevice::ReadWrite)) {
        // The program's messages say only that the port could not be used; whoever started it from a
        // terminal learns here why and what to do.
        if (m_port.error() == QSerialPort::PermissionError && accessDenied(deviceName))
            std::fprintf(stderr, "tk820-2: %s\n", qPrintable(AccessDeniedText(deviceName)));
        return false;
    }
    // Without the handshake asked for, control bytes would leave unguarded.
    if (!applySettings()) {
        m_port.close();
        return false;
    }
    return true;
}

void QtSerialPort::close() {
    if (m_port.isOpen()) m_port.close();
}

bool QtSerialPort::isOpen() const {
    return m_port.isOpen();
}

void QtSerialPort::setLineSettings(const QString& settings) {
    m_settings = settings;
    if (m_port.isOpen()) applySettings();
}

bool QtSerialPort::applySettings() {
    LineSettings s;
    if (!ParseLineSettings(m_settings, s)) return true;
    m_port.setBaudRate(s.baud);
    switch (s.parity) {
        case 'E':
            m_port.setParity(QSerialPort::EvenParity);
            break;
        case 'O':
            m_port.setParity(QSerialPort::OddParity);
            break;
        case 'M':
            m_port.setParity(QSerialPort::MarkParity);
            break;
        case 'S':
            m_port.setParity(QSerialPort::SpaceParity);
            break;
        default:
            m_port.setParity(QSerialPort::NoParity);
            break;
    }
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    switch (m_flow) {
        case FlowControl::None:
            return m_port.setFlowControl(QSerialPort::NoFlowControl);
        case FlowControl::XonXoff:
            return m_port.setFlowControl(QSerialPort::SoftwareControl);
        case FlowControl::Rts:
            return m_port.setFlowControl(QSerialPort::HardwareControl);
        case FlowControl::XonXoffAndRts:
            break;
    }
    // Qt knows one kind of handshaking at a time; the port's termios takes both: RTS/CTS, then Xon/Xoff on
    // top. The port's later settings change only their own bits of it.
    if (!m_port.setFlowControl(QSerialPort::HardwareControl)) return false;
#ifdef Q_OS_LINUX
    termios tio{};
    if (::tcgetattr(m_port.handle(), &tio) != 0) return false;
    tio.c_iflag |= IXON | IXOFF;
    return ::tcsetattr(m_port.handle(), TCSANOW, &tio) == 0;
#else
    return false;
#endif
}

bool QtSerialPort::setFlowControl(FlowControl flow) {
    m_flow = flow;
#ifndef Q_OS_LINUX
    if (flow == FlowControl::XonXoffAndRts) return false;
#endif
    return !m_port.isOpen() || applySettings();
}

bool QtSerialPort::accessDenied(const QString& deviceName) const {
#ifdef Q_OS_UNIX
    // The port also reports a device in use by another program as a permission error; only the file's own
    // permissions are the user's group membership.
    const QString path = deviceName.startsWith(u'/') ? deviceName : QStringLiteral("/dev/") + deviceName;
    const QByteArray local = QFile::encodeName(path);
    return ::access(local.constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    (void)deviceName;
    return false;
#endif
}

int QtSerialPort::bytesWaiting() {
    if (!m_port.isOpen()) return 0;
    // Without an event loop the port's buffer fills only inside a wait; a zero wait takes in what the
    // driver holds.
    m_port.waitForReadyRead(0);
    return static_cast<int>(m_port.bytesAvailable());
}

bool QtSerialPort::waitForData(int ms) {
    if (!m_port.isOpen()) return false;
    if (m_port.waitForReadyRead(ms)) return true;
    // A port whose device has gone answers at once; the wait still lasts its time instead of spinning.
    if (m_port.error() != QSerialPort::NoError && m_port.error() != QSerialPort::TimeoutError)
        QThread::msleep(static_cast<unsigned long>(std::max(ms, 0)));
    return false;
}

void QtSerialPort::setDataArrived(std::function<void()> arrived) {
    QObject::disconnect(m_arrived);
    if (arrived) m_arrived = QObject::connect(&m_port, &QSerialPort::readyRead, std::move(arrived));
}

QByteArray QtSerialPort::read(int n) {
    if (!m_port.isOpen() || n <= 0) return {};
    return m_port.read(n);
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) return;
    m_port.write(bytes);
    // Nothing runs the event loop while the link waits, so the bytes are handed on here; a driver that
    // holds its output keeps the rest in the port's buffer, and a wait for an answer sends it on.
    pushToDriver();
}

void QtSerialPort::pushToDriver() {
    for (int i = 0; i < 64 && m_port.bytesToWrite() > 0; ++i)
        if (!m_port.waitForBytesWritten(0)) break;
}

void QtSerialPort::clearBuffers() {
    if (m_port.isOpen()) m_port.clear(QSerialPort::AllDirections);
}

int QtSerialPort::bytesToWrite() {
    if (!m_port.isOpen()) return 0;
    pushToDriver();
    qint64 pending = m_port.bytesToWrite();
#ifdef Q_OS_LINUX
    // A byte in the driver's queue has not left either: flow control may be holding it.
    int queued = 0;
    if (::ioctl(m_port.handle(), TIOCOUTQ, &queued) == 0) pending += queued;
#endif
    return static_cast<int>(pending);
}

}  // namespace tk
