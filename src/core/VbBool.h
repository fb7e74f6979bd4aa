#pragma once

#include <cstdint>

namespace tk {

// A Boolean as the program stores it in memory and in files: a signed 16-bit value, True = -1, False = 0.
// Any non-zero value read from a file counts as true, and the raw value is kept so that it is written back
// unchanged.
class VbBool {
public:
    static constexpr std::int16_t TRUE_VALUE = -1;
    static constexpr std::int16_t FALSE_VALUE = 0;

    constexpr VbBool() = default;
    constexpr VbBool(bool b) : m_raw(b ? TRUE_VALUE : FALSE_VALUE) {}  // NOLINT: implicit on purpose

    static constexpr VbBool fromRaw(std::int16_t raw) {
        VbBool v;
        v.m_raw = raw;
        return v;
    }

    constexpr std::int16_t raw() const { return m_raw; }
    constexpr operator bool() const { return m_raw != 0; }  // NOLINT: used as a condition everywhere

private:
    std::int16_t m_raw = FALSE_VALUE;
};

}  // namespace tk
