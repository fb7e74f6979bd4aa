#pragma once

#include <QString>

namespace tk {

// A file name of an MMEM command, taken inside the remote folder, or why it is refused.
struct RemotePath {
    QString path;      // absolute, inside the folder; empty when refused
    int error = 0;     // -256 or -200 when refused
    QString reason;
};

enum class RemoteAccess { Read, Write };

// Names are relative to the folder: absolute names and ".." are refused (-256), a name to read must exist
// (-256); a name whose links lead out of the folder, a folder, or anything that is not a plain file (a
// device, a pipe) is refused (-200). A name to write may be new, but its folder must be inside.
RemotePath ResolveRemotePath(const QString& folder, const QString& name, RemoteAccess access);

}  // namespace tk
