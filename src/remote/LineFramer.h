#pragma once

#include <QByteArray>
#include <functional>

namespace tk {

// Cuts a client's byte stream into program lines at each LF. A line that grows past MAX_LINE bytes is
// reported once and its bytes are dropped up to its LF, so that a client cannot fill the memory.
class LineFramer {
public:
    static constexpr qsizetype MAX_LINE = 64 * 1024;

    using LineHandler = std::function<void(const QByteArray& line)>;
    using TooLongHandler = std::function<void()>;

    void Feed(const QByteArray& bytes, const LineHandler& line, const TooLongHandler& tooLong);

private:
    QByteArray m_buffer;
    bool m_dropping = false;
};

}  // namespace tk
