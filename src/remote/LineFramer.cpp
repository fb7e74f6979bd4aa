#include "LineFramer.h"

namespace tk {

void LineFramer::Feed(const QByteArray& bytes, const LineHandler& line, const TooLongHandler& tooLong) {
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        const qsizetype end = lf < 0 ? bytes.size() : lf;
        if (!m_dropping) {
            if (m_buffer.size() + (end - start) > MAX_LINE) {
                m_dropping = true;
                m_buffer.clear();
                tooLong();
            } else {
                m_buffer.append(bytes.constData() + start, end - start);
            }
        }
        if (lf < 0) break;
        if (!m_dropping) line(m_buffer);
        m_buffer.clear();
        m_dropping = false;
        start = lf + 1;
    }
}

}  // namespace tk
