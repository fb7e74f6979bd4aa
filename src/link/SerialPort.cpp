#include "SerialPort.h"

#include <QStringList>

namespace tk {

bool ParseLineSettings(const QString& text, LineSettings& out) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok1);
    const QString parity = parts[1].trimmed().toUpper();
    s.dataBits = parts[2].trimmed().toInt(&ok2);
    s.stopBits = parts[3].trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || parity.size() != 1 || s.baud <= 0) return false;
    s.parity = parity.at(0).toLatin1();
    if (QStringLiteral("NEOMS").indexOf(parity) < 0) return false;
    if (s.dataBits < 5 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2)) return false;
    out = s;
    return true;
}

QString AccessDeniedText(const QString& deviceName) {
    return QStringLiteral(
               "Access to %1 denied: join the dialout group (sudo usermod -aG dialout $USER) and "
               "log in again")
        .arg(deviceName);
}

}  // namespace tk
