#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <optional>

namespace tk {

// The bytes of a data file, at most maxBytes of them (no format of the program is larger; a larger file,
// chosen by mistake, is not read whole). Nothing when the file cannot be opened or read, or is no plain file
// (a folder, a pipe, a device: they are opened without waiting and refused).
std::optional<QByteArray> ReadFileBytes(const QString& path, qint64 maxBytes);

// Writes one step of a save to the open temporary file; true when every byte went out.
using DeviceWrite = std::function<bool(QIODevice& device, const QByteArray& bytes)>;

// The one writer of every data file: the bytes go to a temporary file beside the target, which replaces the
// target only when every byte was written. A save that fails at any point leaves the previous file exactly
// as it was. The optional write step writes in its own way instead (a long export in pieces, or a test's
// failing device). Under a FileConfinement both take the file through the confined folder.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, const DeviceWrite& write = {});

}  // namespace tk
