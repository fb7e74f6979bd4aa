#pragma once

#include <QMap>
#include <QString>

#include "PortMap.h"

namespace tk {

// The port map a run uses: the file's entries, with the command line's --port COMn=DEVICE over them for this
// run only (the file is not changed).
PortMap LoadPortMap(const QString& path, const QMap<int, QString>& overrides);

}  // namespace tk
