#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <optional>

namespace tk {

// How OpenBeneath walks the name: the kernel's openat2 where it has one, or one component at a time.
enum class BeneathWalk { Kernel, Components };

// Opens `relative` ("sub/x.set": no leading '/', no "..") under the open folder `folder`, following no link
// at any step, so that nothing outside the folder is reached however the names in it change meanwhile.
// O_CLOEXEC and O_NOCTTY are added to flags. Where the kernel has no openat2, the walk goes a component at a
// time with O_NOFOLLOW. Returns the descriptor, or -1 with errno set.
int OpenBeneath(int folder, const QByteArray& relative, int flags, mode_t mode = 0,
                BeneathWalk walk = BeneathWalk::Kernel);

// While one lives, every data file the program reads or writes (ReadFileBytes, WriteFileAtomically) must lie
// in `folder`: it is opened through the folder's own descriptor without following a link, read only when it
// is a plain file, and written to a temporary file in its folder that is then renamed over the name. A name
// outside the folder is neither read nor written. The one made last is in force; they may end in any order.
// A remote client's file commands, and the file steps of a script it started, run under one.
class FileConfinement {
public:
    explicit FileConfinement(const QString& folder);
    ~FileConfinement();
    FileConfinement(const FileConfinement&) = delete;
    FileConfinement& operator=(const FileConfinement&) = delete;

    // The confinement in force, or null.
    static const FileConfinement* Current();
    // Where `path` (absolute) lies under the folder, or nothing when it lies outside (or is the folder).
    std::optional<QByteArray> Relative(const QString& path) const;
    // The folder, opened for OpenBeneath; -1 when it cannot be opened. The caller closes it.
    int OpenFolder() const;

private:
    QString m_folder;     // as given, cleaned
    QString m_canonical;  // with its links resolved
};

}  // namespace tk
