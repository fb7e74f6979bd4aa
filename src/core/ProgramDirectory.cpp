#include "ProgramDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tk {

QString ResolveProgramDirectory(const std::optional<QString>& home, const QString& executableDirectory) {
    if (home) {
        QDir().mkpath(*home);
        return QDir(*home).absolutePath();
    }
    const QFileInfo exeDir(executableDirectory);
    if (exeDir.isDir() && exeDir.isWritable()) return exeDir.absoluteFilePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return config;
}

}  // namespace tk
