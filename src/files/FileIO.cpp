#include "FileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tk {

std::optional<QByteArray> ReadFileBytes(const QString& path, qint64 maxBytes) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, const DeviceWrite& write) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const bool written = write ? write(file, bytes) : file.write(bytes) == bytes.size();
    // The writes only fill the device's buffer; a full disk shows when it is flushed, and commit() would
    // rename the cut-off file over the old one regardless.
    if (!written || !file.flush()) {
        file.cancelWriting();
        file.commit();  // discards the temporary file; the target is untouched
        return false;
    }
    return file.commit();
}

}  // namespace tk
