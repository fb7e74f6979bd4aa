#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>

namespace tk::test {

// Assembles the bytes of a data file from its layout table, field by field, independently of the writers
// under test.
class LayoutBytes {
public:
    LayoutBytes& tag(const char* fiveChars) { return raw(QByteArray(fiveChars, 5)); }
    LayoutBytes& i16(int v) {
        char b[2];
        qToLittleEndian<std::int16_t>(static_cast<std::int16_t>(v), b);
        return raw(QByteArray(b, 2));
    }
    LayoutBytes& i32(std::int32_t v) {
        char b[4];
        qToLittleEndian<std::int32_t>(v, b);
        return raw(QByteArray(b, 4));
    }
    LayoutBytes& f32(float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, 4);
        char b[4];
        qToLittleEndian<std::uint32_t>(bits, b);
        return raw(QByteArray(b, 4));
    }
    // Latin-1 text padded with blanks to the width.
    LayoutBytes& text(int width, const char* latin1) {
        QByteArray t(latin1);
        t.append(QByteArray(width - t.size(), ' '));
        return raw(t);
    }
    LayoutBytes& raw(const QByteArray& b) {
        m_bytes.append(b);
        return *this;
    }
    qsizetype size() const { return m_bytes.size(); }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

}  // namespace tk::test
