#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tk {

// The shared data folder of an installed program: <prefix>/share/tk820-2 for a program in <prefix>/bin.
QString InstalledDataDirectory(const QString& executableDirectory);

// The directory that holds the parameter file: the one given, else the executable's directory when it is
// writable and not an installation's, else the user's configuration directory (created when missing).
QString ResolveProgramDirectory(const std::optional<QString>& home, const QString& executableDirectory);

// The folders searched in order for the help files: the program's directory, the executable's, and the
// installed program's shared data folder.
QStringList HelpDirectories(const QString& programDirectory, const QString& executableDirectory);
// The help file in the first of the folders that holds it; empty when none does.
QString FindHelpFile(const QStringList& directories, const QString& fileName);

}  // namespace tk
