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

void PortMap::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    static const QRegularExpression re(QStringLiteral("^\\s*COM([1-4])\\s*=\\s*(.*\\S)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    while (!file.atEnd()) {
        const auto m = re.match(QString::fromUtf8(file.readLine()));
        if (m.hasMatch()) set(m.captured(1).toInt(), m.captured(2));
    }
}

bool PortMap::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it)
        out << "COM" << it.key() << '=' << it.value() << '\n';
    out.flush();
    return file.commit();
}

}  // namespace tk
