#include "FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>

#include "FileConfinement.h"

namespace tk {
namespace {

// The descriptor of a file to read: inside the confinement in force, through its folder; -1 when it cannot
// be opened. Never waits: a pipe or a device opens at once and is then refused as no plain file.
int OpenForReading(const QString& path) {
    const FileConfinement* confinement = FileConfinement::Current();
    if (!confinement)
        return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    const std::optional<QByteArray> relative = confinement->Relative(path);
    if (!relative) return -1;
    const int folder = confinement->OpenFolder();
    if (folder < 0) return -1;
    const int fd = OpenBeneath(folder, *relative, O_RDONLY | O_NONBLOCK);
    ::close(folder);
    return fd;
}

bool WriteSteps(QFileDevice& device, const QByteArray& bytes, const DeviceWrite& write) {
    const bool written = write ? write(device, bytes) : device.write(bytes) == bytes.size();
    // The writes only fill the device's buffer; a full disk shows when it is flushed.
    return written && device.flush();
}

// The confined writer: a temporary file in the target's folder, opened through the confinement's folder,
// renamed over the name only when every byte went out. The rename replaces whatever stands under the name
// (a link included) and never writes through it.
bool WriteInside(const FileConfinement& confinement, const QString& path, const QByteArray& bytes,
                 const DeviceWrite& write) {
    const std::optional<QByteArray> relative = confinement.Relative(path);
    if (!relative) return false;
    const qsizetype slash = relative->lastIndexOf('/');
    const QByteArray name = relative->mid(slash + 1);
    const int folder = confinement.OpenFolder();
    if (folder < 0) return false;
    const int dir =
        OpenBeneath(folder, slash < 0 ? QByteArray(".") : relative->left(slash), O_RDONLY | O_DIRECTORY);
    ::close(folder);
    if (dir < 0) return false;
    struct stat old {};
    const bool existed = ::fstatat(dir, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    QByteArray temporary;
    int fd = -1;
    if (!existed || !S_ISDIR(old.st_mode)) {
        for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
            temporary = '.' + name + ".tk-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
            fd = ::openat(dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
            if (fd < 0 && errno != EEXIST) break;
        }
    }
    bool saved = false;
    if (fd >= 0) {
        // A file written anew keeps the permissions of the one it replaces.
        if (existed && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
        {
            QFile file;
            saved = file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) &&
                    WriteSteps(file, bytes, write);
        }
        saved = ::close(fd) == 0 && saved;
        saved = saved && ::renameat(dir, temporary.constData(), dir, name.constData()) == 0;
        if (!saved) ::unlinkat(dir, temporary.constData(), 0);
    }
    ::close(dir);
    return saved;
}

}  // namespace

std::optional<QByteArray> ReadFileBytes(const QString& path, qint64 maxBytes) {
    if (path.isEmpty()) return std::nullopt;
    const int fd = OpenForReading(path);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    QByteArray bytes;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    while (ok && bytes.size() < maxBytes) {
        char chunk[65536];
        const auto wanted = static_cast<std::size_t>(std::min<qint64>(sizeof chunk, maxBytes - bytes.size()));
        const ssize_t n = ::read(fd, chunk, wanted);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        bytes.append(chunk, n);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, const DeviceWrite& write) {
    if (path.isEmpty()) return false;
    if (const FileConfinement* confinement = FileConfinement::Current())
        return WriteInside(*confinement, path, bytes, write);
    if (QFileInfo(path).isDir()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!WriteSteps(file, bytes, write)) {
        file.cancelWriting();
        file.commit();  // discards the temporary file; the target is untouched
        return false;
    }
    return file.commit();
}

}  // namespace tk
