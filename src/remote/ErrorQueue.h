#pragma once

#include <QByteArray>
#include <QString>
#include <deque>

namespace tk {

// The errors of one remote session, oldest first, as SYST:ERR? reads them. When full, the newest entry
// becomes -350 "Queue overflow" and later errors are lost, so that the first causes are kept.
class ErrorQueue {
public:
    static constexpr std::size_t CAPACITY = 16;

    void Push(int code, const QString& text);
    // "-113,\"Undefined header\"" and removes it; "0,\"No error\"" when empty.
    QByteArray Next();
    void Clear() { m_entries.clear(); }
    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        int code;
        QString text;
    };
    std::deque<Entry> m_entries;
};

}  // namespace tk
