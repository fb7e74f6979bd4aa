#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>

#include "FixedText.h"
#include "VbBool.h"

namespace tk {

// Reads the little-endian fields of a data file from its bytes. A field is stored into its target only when
// all of its bytes are there; after the first short field every later read fails too, so a loader can read
// field by field straight into the model and leave what a short file lacks as it was.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_bytes.size() - m_pos; }

    bool read(std::uint8_t& value) {
        if (!take(1)) return false;
        value = static_cast<std::uint8_t>(m_bytes.at(m_pos - 1));
        return true;
    }
    bool read(std::int16_t& value) { return readLe(value); }
    bool read(std::int32_t& value) { return readLe(value); }
    bool read(float& value) {
        std::uint32_t bits = 0;
        if (!readLe(bits)) return false;
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }
    bool read(VbBool& value) {
        std::int16_t raw = 0;
        if (!read(raw)) return false;
        value = VbBool::fromRaw(raw);
        return true;
    }
    template <std::size_t N>
    bool read(FixedText<N>& text) {
        QByteArray raw;
        if (!readBytes(static_cast<qsizetype>(N), raw)) return false;
        text.setBytes(raw);
        return true;
    }
    bool readBytes(qsizetype count, QByteArray& out) {
        if (!take(count)) return false;
        out = m_bytes.mid(m_pos - count, count);
        return true;
    }
    bool skip(qsizetype count) { return take(count); }
    // The bytes up to the next 0 byte, which is left unread. When the data ends before a 0 byte, the read
    // fails like any short field.
    bool readUntilZero(QByteArray& out) {
        const qsizetype zero = m_ok ? m_bytes.indexOf('\0', m_pos) : -1;
        if (zero < 0) {
            m_ok = false;
            return false;
        }
        out = m_bytes.mid(m_pos, zero - m_pos);
        m_pos = zero;
        return true;
    }

private:
    template <typename T>
    bool readLe(T& value) {
        if (!take(static_cast<qsizetype>(sizeof(T)))) return false;
        value = qFromLittleEndian<T>(m_bytes.constData() + m_pos - static_cast<qsizetype>(sizeof(T)));
        return true;
    }
    bool take(qsizetype count) {
        if (!m_ok || count < 0 || remaining() < count) {
            m_ok = false;
            return false;
        }
        m_pos += count;
        return true;
    }

    QByteArray m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// Builds the bytes of a data file field by field, little-endian, without gaps.
class ByteWriter {
public:
    void write(std::int16_t value) { writeLe(value); }
    void write(std::int32_t value) { writeLe(value); }
    void write(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof value);
        writeLe(bits);
    }
    void write(VbBool value) { write(value.raw()); }
    template <std::size_t N>
    void write(const FixedText<N>& text) {
        m_bytes.append(text.bytes());
    }
    void writeBytes(const QByteArray& bytes) { m_bytes.append(bytes); }

    const QByteArray& bytes() const { return m_bytes; }

private:
    template <typename T>
    void writeLe(T value) {
        char buf[sizeof(T)];
        qToLittleEndian<T>(value, buf);
        m_bytes.append(buf, static_cast<qsizetype>(sizeof(T)));
    }

    QByteArray m_bytes;
};

}  // namespace tk
