#include "ErrorQueue.h"

#include "ScpiParser.h"

namespace tk {

void ErrorQueue::Push(int code, const QString& text) {
    if (m_entries.size() >= CAPACITY) return;
    if (m_entries.size() == CAPACITY - 1) {
        m_entries.push_back({-350, ScpiErrorText(-350)});
        return;
    }
    m_entries.push_back({code, text});
}

QByteArray ErrorQueue::Next() {
    if (m_entries.empty()) return QByteArrayLiteral("0,\"No error\"");
    const Entry e = m_entries.front();
    m_entries.pop_front();
    // A quote inside the text is doubled, as in any SCPI string.
    QString text = e.text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QByteArray::number(e.code) + ",\"" + text.toLatin1() + '"';
}

}  // namespace tk
