#pragma once

#include <QByteArray>
#include <cstdint>

namespace tk::test {

// The level of point i of a test trace.
inline std::uint8_t TraceLevel(int i, int salt = 0) {
    return static_cast<std::uint8_t>((i * 7 + salt) % 256);
}

// Block `number` of a trace as the interface sends it: the trace's letter, the number, 100 levels.
inline QByteArray TraceBlock(char header, int number, int salt = 0) {
    QByteArray b;
    b.append(header);
    b.append(static_cast<char>(number));
    for (int k = 0; k < 100; ++k) b.append(static_cast<char>(TraceLevel(number * 100 + k, salt)));
    return b;
}

// Blocks 0 .. blocks-1 of a trace.
inline QByteArray TraceBytes(char header, int blocks, int salt = 0) {
    QByteArray t;
    for (int n = 0; n < blocks; ++n) t += TraceBlock(header, n, salt);
    return t;
}

}  // namespace tk::test
