#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace tk {

// A text of fixed width in the 8-bit code page (Latin-1), padded with blanks, the way the program keeps
// names in memory and on disk: no length prefix, no terminator.
template <std::size_t N>
class FixedText {
public:
    static constexpr std::size_t width = N;

    FixedText() : m_bytes(static_cast<qsizetype>(N), ' ') {}
    explicit FixedText(const QString& text) : FixedText() { set(text); }

    // Takes the text cut to the width or padded with blanks; characters outside Latin-1 become '?'.
    void set(const QString& text) {
        m_bytes = text.left(static_cast<qsizetype>(N)).toLatin1();
        m_bytes.append(QByteArray(static_cast<qsizetype>(N) - m_bytes.size(), ' '));
    }
    // Takes raw bytes as they stand in a file.
    void setBytes(const QByteArray& bytes) {
        m_bytes = bytes.left(static_cast<qsizetype>(N));
        m_bytes.append(QByteArray(static_cast<qsizetype>(N) - m_bytes.size(), ' '));
    }

    const QByteArray& bytes() const { return m_bytes; }
    QString text() const { return QString::fromLatin1(m_bytes); }
    // The text without leading and trailing blanks.
    QString trimmed() const { return text().trimmed(); }
    // The text without trailing blanks only.
    QString rightTrimmed() const {
        qsizetype n = m_bytes.size();
        while (n > 0 && m_bytes.at(n - 1) == ' ') --n;
        return QString::fromLatin1(m_bytes.left(n));
    }

    bool operator==(const FixedText&) const = default;

private:
    QByteArray m_bytes;
};

}  // namespace tk
