#pragma once

// A recording played back: any moment of it put into a model of its own, as the live graph, waterfall and
// peak table showed it then, and what the recording says about its violations. Nothing here touches the
// line.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "Recording.h"
#include "Waterfall.h"

namespace tk {

// Milliseconds between reads that replay at 1x; a faster speed divides them.
constexpr int REPLAY_SPEEDS[] = {1, 2, 5, 10, 20, 50, 100};

// "2026-12-07 23:30:04", the local time of the recording.
QString ReplayTimeText(qint64 utcMs, int utcOffsetS);

// A time an emission was over its boundary: one violation event of the recording.
struct OverBoundary {
    RecordedTrace trace = RecordedTrace::Actual;
    double frequencyMHz = 0.0;
    qint64 fromUtcMs = 0;
    std::optional<qint64> toUtcMs;  // nothing while it was still over when the recording ended
    int utcOffsetS = 0;
    double marginDb = 0.0;  // at its start
};

// An emission over the whole recording: its worst margin (boundary minus level, the lowest) over every read
// it was over its boundary, and how often and how long it was.
struct EmissionSummary {
    RecordedTrace trace = RecordedTrace::Actual;
    double frequencyMHz = 0.0;
    double worstMarginDb = 0.0;
    qint64 worstUtcMs = 0;
    int utcOffsetS = 0;
    int times = 0;
    qint64 overMs = 0;  // until the end of the recording for a time still open
};

// A table to show and to copy: column titles and the rows' texts.
struct ReplayTable {
    QStringList header;
    std::vector<QStringList> rows;
    // Tab-separated lines, the header first, for the clipboard.
    QString Text() const;
};
// Time, kind and what happened; a violation with its trace, frequency (MHz) and margin (dB) at its start.
ReplayTable EventTable(const std::vector<RecordedEvent>& events);
// Trace, frequency, worst margin, its time, how often and how long over (h:mm:ss).
ReplayTable WorstMarginTable(const std::vector<EmissionSummary>& emissions);
// Trace, frequency, from, to ("still over" at the end of the recording), how long, margin at the start.
ReplayTable OverBoundaryTable(const std::vector<OverBoundary>& times);

class Replay {
public:
    // False, with a message a user understands, when the file is no recording or is damaged.
    bool Open(const QString& fileName, QString* error);
    // Takes in the reads and events written since (a recording still being written); `changed` tells
    // whether there were any, or an event ended.
    bool Refresh(QString* error, bool* changed = nullptr);
    const QString& fileName() const { return m_fileName; }

    // The reads without their levels, in the order recorded; a position is an index into them.
    const std::vector<RecordedMoment>& moments() const { return m_moments; }
    int size() const { return int(m_moments.size()); }
    const std::vector<RecordedEvent>& events() const { return m_events; }
    // The position of the last read at or before the time; 0 before the first.
    int PositionAt(qint64 utcMs) const;
    // The position of the first read at or after the time; size() after the last.
    int PositionFrom(qint64 utcMs) const;
    // Where playing from position `from` at `speed` stands after wallSeconds: the last read recorded by then,
    // so that a replay that cannot draw every read skips reads rather than falling behind.
    int PlayPosition(int from, double wallSeconds, int speed) const;
    // The position that follows a violation's start after (before) the position, or nothing.
    std::optional<int> NextViolation(int position) const;
    std::optional<int> PreviousViolation(int position) const;

    // The moment at position into the model: the newest read of each trace up to it (a trace not read yet,
    // or whose read is damaged, is zero), with its time, and what the graph showed then (in a recording that
    // kept no views, the boundaries switched off). The settings are those of the read at position.
    bool Show(int position, MeasurementModel& model, QString* error);
    // The damaged reads the last Show left out.
    int damagedShown() const { return m_damagedShown; }
    // The waterfall's rows for reads after position `after` up to `upTo`, added in the order read; after = -1
    // with a cleared history gives the rows the live waterfall held at upTo.
    // `added` counts the rows added.
    bool AddWaterfallRows(int after, int upTo, WaterfallHistory& history, QString* error,
                          int* added = nullptr);

    // The times over boundary, one per violation, in the order they began.
    std::vector<OverBoundary> TimesOverBoundary() const;
    // Per emission (a trace's violations within five sweep points of one another), the worst margin of
    // every read while it was over, worst first.
    std::vector<EmissionSummary> WorstMargins(QString* error);
    // The reads from position `from` to `to` (inclusive), for an export; damaged ones are left out.
    std::vector<RecordedRead> ReadsBetween(int from, int to, QString* error);
    // The number of reads fetched at once; an export of a long range goes in pieces of this many.
    static constexpr int CHUNK = 256;

private:
    // The view in force at the time (the last written at or before it).
    const RecordedView* ViewAt(qint64 utcMs) const;
    // Puts a read and the view at its time into the model, with the read's time of day.
    void Put(const RecordedRead& read, MeasurementModel& model) const;

    RecordingReader m_reader;
    QString m_fileName;
    std::vector<RecordedMoment> m_moments;
    std::array<std::vector<int>, 3> m_positionsOf;  // each trace's positions
    std::vector<RecordedEvent> m_events;
    std::vector<int> m_violationPositions;  // sorted
    std::vector<RecordedView> m_views;
    int m_damagedShown = 0;
};

}  // namespace tk
