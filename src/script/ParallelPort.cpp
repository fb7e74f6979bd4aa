#include "ParallelPort.h"

#include <QFile>

namespace tk {

bool DeviceParallelPort::WriteByte(const QString& device, std::uint8_t byte) {
    QFile file(device);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return false;
    const char c = static_cast<char>(byte);
    const bool written = file.write(&c, 1) == 1;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

}  // namespace tk
