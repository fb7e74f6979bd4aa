#include "PortMap.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

namespace tk {

QString PortMap::defaultDevice(int portNumber) {
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QString PortMap::deviceFor(int portNumber) const {
    return m_devices.value(portNumber, defaultDevice(portNumber));
}

void PortMap::set(int portNumber, const QString& device) {
    if (portNumber >= 1 && portNumber <= 4 && !device.isEmpty()) m_devices.insert(portNumber, device);
}

QString PortMap::defaultParallelDevice(int portNumber) {
    return QStringLiteral("/dev/lp%1").arg(portNumber - 1);
}

QString PortMap::parallelDeviceFor(int portNumber) const {
    return m_parallel.value(portNumber, defaultParallelDevice(portNumber));
}

void PortMap::setParallel(int portNumber, const QString& device) {
    if (portNumber >= 1 && portNumber <= 4 && !device.isEmpty()) m_parallel.insert(portNumber, device);
}

void PortMap::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    static const QRegularExpression re(QStringLiteral("^\\s*(COM|LPT)([1-4])\\s*=\\s*(.*\\S)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    while (!file.atEnd()) {
        const auto m = re.match(QString::fromUtf8(file.readLine()));
        if (!m.hasMatch()) continue;
        if (m.captured(1).compare(QStringLiteral("COM"), Qt::CaseInsensitive) == 0)
            set(m.captured(2).toInt(), m.captured(3));
        else
            setParallel(m.captured(2).toInt(), m.captured(3));
    }
}

bool PortMap::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it)
        out << "COM" << it.key() << '=' << it.value() << '\n';
    for (auto it = m_parallel.cbegin(); it != m_parallel.cend(); ++it)
        out << "LPT" << it.key() << '=' << it.value() << '\n';
    out.flush();
    // A full disk shows only when the buffer is flushed; commit() alone would put the cut-off file in place.
    return file.flush() && file.commit();
}

}  // namespace tk
