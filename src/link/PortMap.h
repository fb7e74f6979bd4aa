#pragma once

#include <QMap>
#include <QString>

namespace tk {

inline constexpr char PORT_MAP_FILE_NAME[] = "TK820-2.ports";

// Which device each of COM1..COM4 and LPT1..LPT4 stands for. Without an entry COMn is /dev/ttyS(n-1) and
// LPTn is /dev/lp(n-1). The map is kept in a small text file of lines "COM2=/dev/ttyUSB0", "LPT2=/tmp/relay".
class PortMap {
public:
    QString deviceFor(int portNumber) const;
    void set(int portNumber, const QString& device);
    bool hasEntry(int portNumber) const { return m_devices.contains(portNumber); }
    static QString defaultDevice(int portNumber);

    QString parallelDeviceFor(int portNumber) const;
    void setParallel(int portNumber, const QString& device);
    static QString defaultParallelDevice(int portNumber);

    // A missing file is an empty map; lines that are not "COMn=DEVICE" or "LPTn=DEVICE" are skipped.
    void load(const QString& path);
    bool save(const QString& path) const;

private:
    QMap<int, QString> m_devices;
    QMap<int, QString> m_parallel;
};

}  // namespace tk
