#pragma once

#include <cstdint>

#include "ByteCodec.h"

namespace tk {

// The ranges of the stored values that select an option, count points or divide. A loaded value outside
// its range would index a missing option or walk past a trace, so the loaders keep the current value.
constexpr bool ValidResolution(int v) {
    return v == 1 || v == 2 || v == 4 || v == 8;
}
constexpr bool ValidLevelUnit(int v) {
    return v >= 0 && v <= 3;
}
constexpr bool ValidBandwidthIndex(int v) {
    return v >= 0 && v <= 3;
}
constexpr bool ValidBaudIndex(int v) {
    return v >= 1 && v <= 5;
}
constexpr bool ValidPortNumber(int v) {
    return v >= 1 && v <= 4;
}

// Trace points a file holds at a resolution: 4000 / resolution; none for a value no sweep has.
constexpr int StoredPoints(int resolution) {
    return ValidResolution(resolution) ? 4000 / resolution : 0;
}

// An Int16 field with its range, for the field lists that loader and writer share.
template <typename Int>
struct Checked {
    Int& field;
    bool (*valid)(int);
};
template <typename Int>
Checked(Int&, bool (*)(int)) -> Checked<Int>;

// Reads each field of a field list in turn straight into the model.
struct FieldReader {
    ByteReader& reader;
    bool outOfRange = false;

    template <typename T>
    void operator()(T& field) {
        reader.read(field);
    }
    void operator()(Checked<std::int16_t> checked) {
        std::int16_t value = 0;
        if (!reader.read(value)) return;
        if (checked.valid(value))
            checked.field = value;
        else
            outOfRange = true;
    }
};

// Writes each field of a field list in turn.
struct FieldWriter {
    ByteWriter& writer;

    template <typename T>
    void operator()(const T& field) {
        writer.write(field);
    }
    void operator()(Checked<const std::int16_t> checked) { writer.write(checked.field); }
};

}  // namespace tk
