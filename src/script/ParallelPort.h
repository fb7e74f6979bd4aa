#pragma once

#include <QString>
#include <cstdint>

namespace tk {

// The parallel control output: one byte at a time to a device file.
class ParallelPort {
public:
    virtual ~ParallelPort() = default;
    // Opens the device, writes the byte and closes it again; false when any of that failed.
    virtual bool WriteByte(const QString& device, std::uint8_t byte) = 0;
};

// Writes to the device file itself. A plain file is appended to, so a file standing in for a port keeps
// every byte written to it.
class DeviceParallelPort final : public ParallelPort {
public:
    bool WriteByte(const QString& device, std::uint8_t byte) override;
};

}  // namespace tk
