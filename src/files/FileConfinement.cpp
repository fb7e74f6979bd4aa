#include "FileConfinement.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <vector>

namespace tk {
namespace {

std::vector<const FileConfinement*>& InForce() {
    static std::vector<const FileConfinement*> confinements;
    return confinements;
}

// Closes a descriptor without touching errno, which tells the caller why the walk stopped.
void CloseKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

int WalkComponents(int folder, const QByteArray& relative, int flags, mode_t mode) {
    QList<QByteArray> names;
    for (const QByteArray& part : relative.split('/')) {
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            errno = EXDEV;
            return -1;
        }
        names.append(part);
    }
    if (names.isEmpty()) names.append(".");
    int dir = folder;
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        const int next = ::openat(dir, names[i].constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir != folder) CloseKeepingErrno(dir);
        if (next < 0) return -1;
        dir = next;
    }
    const int fd = ::openat(dir, names.last().constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    if (dir != folder) CloseKeepingErrno(dir);
    return fd;
}

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}  // namespace

int OpenBeneath(int folder, const QByteArray& relative, int flags, mode_t mode, BeneathWalk walk) {
    if (relative.startsWith('/')) {
        errno = EXDEV;
        return -1;
    }
#ifdef SYS_openat2
    if (walk == BeneathWalk::Kernel) {
        open_how how{};
        how.flags = static_cast<__u64>(flags | O_CLOEXEC | O_NOCTTY);
        how.mode = (flags & O_CREAT) ? mode : 0;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const QByteArray name = relative.isEmpty() ? QByteArray(".") : relative;
        const long fd = ::syscall(SYS_openat2, folder, name.constData(), &how, sizeof how);
        // An older kernel, or a sandbox that forbids the call: the walk below does the same.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
    }
#endif
    return WalkComponents(folder, relative, flags, mode);
}

FileConfinement::FileConfinement(const QString& folder)
    : m_folder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())),
      m_canonical(QFileInfo(folder).canonicalFilePath()) {
    InForce().push_back(this);
}

FileConfinement::~FileConfinement() {
    auto& all = InForce();
    all.erase(std::find(all.begin(), all.end(), this));
}

const FileConfinement* FileConfinement::Current() {
    return InForce().empty() ? nullptr : InForce().back();
}

std::optional<QByteArray> FileConfinement::Relative(const QString& path) const {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& root : {m_folder, m_canonical}) {
        if (root.isEmpty() || !clean.startsWith(WithSlash(root))) continue;
        const QString rest = clean.mid(WithSlash(root).size());
        if (rest.isEmpty() || rest.split(u'/').contains(QStringLiteral(".."))) return std::nullopt;
        return QFile::encodeName(rest);
    }
    return std::nullopt;
}

int FileConfinement::OpenFolder() const {
    const QString& folder = m_canonical.isEmpty() ? m_folder : m_canonical;
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace tk
