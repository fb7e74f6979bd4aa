#include "ProgramDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tk {

QString InstalledDataDirectory(const QString& executableDirectory) {
    return QDir::cleanPath(executableDirectory + QStringLiteral("/../share/tk820-2"));
}

QString ResolveProgramDirectory(const std::optional<QString>& home, const QString& executableDirectory) {
    if (home) {
        QDir().mkpath(*home);
        return QDir(*home).absolutePath();
    }
    // An installed program's folder (/usr/bin) is every user's, even where it is writable (for root).
    const QFileInfo exeDir(executableDirectory);
    if (exeDir.isDir() && exeDir.isWritable() &&
        !QFileInfo(InstalledDataDirectory(executableDirectory)).isDir())
        return exeDir.absoluteFilePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return config;
}

QStringList HelpDirectories(const QString& programDirectory, const QString& executableDirectory) {
    QStringList dirs{programDirectory};
    if (QDir(executableDirectory) != QDir(programDirectory)) dirs.append(executableDirectory);
    dirs.append(InstalledDataDirectory(executableDirectory));
    return dirs;
}

QString FindHelpFile(const QStringList& directories, const QString& fileName) {
    for (const QString& dir : directories) {
        const QString path = QDir(dir).filePath(fileName);
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

}  // namespace tk
