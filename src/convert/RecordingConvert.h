#pragma once

// A recording in other forms: CSV with one line per read, and JSON.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "Recording.h"

namespace tk {

// A time as ISO 8601 with its local offset, "2026-12-07T23:30:04.000+01:00".
QString RecordedTimeText(qint64 utcMs, int utcOffsetS);
// A command line's time, ISO 8601 with or without offset (without: local time), as milliseconds UTC.
std::optional<qint64> ParseRecordingTime(const QString& text);

// A header line, then per read: the time, the trace, the settings that label it and its levels in the
// recorded unit (two decimals), in UTF-8 with LF line ends.
// Without the header, the lines go on a CSV begun before (an export written in pieces).
QByteArray RecordingCsv(const std::vector<RecordedRead>& reads, bool header = true);
// The reads with their raw levels, and the events.
QByteArray RecordingJson(const std::vector<RecordedRead>& reads, const std::vector<RecordedEvent>& events);

}  // namespace tk
