#pragma once

#include <QString>
#include <optional>

namespace tk {

// The directory that holds the parameter file: the one given, else the executable's directory when it is
// writable, else the user's configuration directory (created when missing).
QString ResolveProgramDirectory(const std::optional<QString>& home, const QString& executableDirectory);

}  // namespace tk
