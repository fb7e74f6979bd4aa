#include "PortMapFile.h"

namespace tk {

PortMap LoadPortMap(const QString& path, const QMap<int, QString>& overrides) {
    PortMap map;
    map.load(path);
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) map.set(it.key(), it.value());
    return map;
}

}  // namespace tk
