#include "RemotePaths.h"

#include <QDir>
#include <QFileInfo>

namespace tk {
namespace {

RemotePath Refused(int error, const QString& reason) {
    return {QString(), error, reason};
}

bool Inside(const QString& canonicalFolder, const QString& canonicalPath) {
    return canonicalPath.startsWith(canonicalFolder.endsWith(u'/') ? canonicalFolder : canonicalFolder + u'/');
}

}  // namespace

RemotePath ResolveRemotePath(const QString& folder, const QString& name, RemoteAccess access) {
    if (name.isEmpty()) return Refused(-256, QStringLiteral("no file name"));
    // A drive letter or a backslash path is absolute somewhere else: refused as well.
    if (QDir::isAbsolutePath(name) || name.startsWith(u'\\') || (name.size() > 1 && name[1] == u':'))
        return Refused(-256, QStringLiteral("absolute names are refused"));
    const QStringList parts = QString(name).replace(u'\\', u'/').split(u'/');
    if (parts.contains(QStringLiteral("..")))
        return Refused(-256, QStringLiteral("\"..\" is refused"));
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return Refused(-256, QStringLiteral("the remote folder does not exist"));
    const QString joined = QDir(root).filePath(parts.join(u'/'));
    const QFileInfo info(joined);
    if (!info.exists() && !info.isSymLink()) {
        if (access == RemoteAccess::Read) return Refused(-256, name);
        const QString dir = info.absoluteDir().canonicalPath();
        if (dir.isEmpty()) return Refused(-256, QStringLiteral("no such folder"));
        if (dir != root && !Inside(root, dir)) return Refused(-200, QStringLiteral("leads out of the folder"));
        return {QDir(dir).filePath(info.fileName()), 0, QString()};
    }
    const QString real = info.canonicalFilePath();
    // A link that leads nowhere would create its target wherever it points.
    if (real.isEmpty()) return Refused(-200, QStringLiteral("a link that leads nowhere"));
    if (!Inside(root, real)) return Refused(-200, QStringLiteral("leads out of the folder"));
    if (!QFileInfo(real).isFile()) return Refused(-200, QStringLiteral("not a plain file"));
    return {real, 0, QString()};
}

}  // namespace tk
