#pragma once

// A recording: every completed read of a run in one SQLite file, for long-term monitoring. Each read is
// stored with its time (UTC and the local offset), its trace, the settings that label it and the raw levels
// as they stood in the model, compressed. The file is written ahead-logged, one transaction per read, so a
// program killed at any moment leaves a file that opens with every read committed before; it can be read
// while it is being written.

#include <QString>
#include <QVariantList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "MeasurementModel.h"

namespace tk {

// The recording's layout; a file of a later layout is not read.
constexpr int RECORDING_SCHEMA = 1;
constexpr qint64 RECORDING_SIZE_LIMIT = qint64(1) << 30;  // 1 GiB

enum class RecordedTrace { Actual, Peak, Average };
QString RecordedTraceName(RecordedTrace trace);
std::optional<RecordedTrace> RecordedTraceOfName(const QString& name);

// The settings that label a read's levels.
struct RecordedSettings {
    float centerFreq = 0.0f;
    float scanWidth = 0.0f;
    int resolution = 8;
    int levelUnit = 1;
    QString userUnitName;
    float userUnitOffset = 0.0f;
    int bandwidthIndex = 0;
    int videoFilterOn = 0;
    float attenuation = 0.0f;
    float noiseSuppression = 0.0f;
    bool calibrationOn = false;
    QString calibrationCurve;  // the curve's file name while the correction is on
};

struct RecordedRead {
    qint64 id = 0;       // from 1 in the order of recording
    qint64 utcMs = 0;    // milliseconds since 1970 in UTC
    int utcOffsetS = 0;  // the local time's offset from UTC then
    RecordedTrace trace = RecordedTrace::Actual;
    RecordedSettings settings;
    std::vector<std::int16_t> levels;  // points 0 .. 4000 / resolution of the sweep
};

// What happened beside the reads: a violation by emission (trace, frequency, level, boundary and margin at
// its start, its end once it cleared), going online or offline, a line of the information window (a
// transmission error).
struct RecordedEvent {
    qint64 id = 0;
    qint64 utcMs = 0;
    int utcOffsetS = 0;
    QString kind;  // "violation", "online", "offline", "information"
    std::optional<RecordedTrace> trace;
    std::optional<double> frequencyMHz, level, boundary, marginDb;
    std::optional<qint64> endedUtcMs;
    QString text;
};

// What the graph showed besides the reads: the three boundaries with their switches and which traces were
// shown. Stored when recording starts and whenever it changes, so that a replay draws as the live graph did.
struct RecordedView {
    qint64 utcMs = 0;
    std::array<BoundaryLine, 3> boundaries{};  // actual, peak, average
    std::array<bool, 3> checked{};             // each boundary switched on
    std::array<bool, 3> shown{};               // each trace shown
    bool operator==(const RecordedView& other) const;
};
RecordedView ViewOfModel(const MeasurementModel& model, qint64 utcMs);
void PutViewIntoModel(const RecordedView& view, MeasurementModel& model);

// A read without its levels, for finding moments in a long recording.
struct RecordedMoment {
    qint64 id = 0;
    qint64 utcMs = 0;
    int utcOffsetS = 0;
    RecordedTrace trace = RecordedTrace::Actual;
};

// The read of a trace as it stands in the model now.
RecordedRead ReadOfModel(const MeasurementModel& model, RecordedTrace trace, qint64 utcMs, int utcOffsetS);
// Puts a recorded read back into a model: its settings and its levels into the trace it came from.
void PutReadIntoModel(const RecordedRead& read, MeasurementModel& model);

// Writes a recording. Appends to a recording that exists; a file that is none is refused.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool Open(const QString& fileName, qint64 sizeLimit, QString* error);
    // One transaction. False, with the reason, when the read could not be written or the file has reached
    // its size limit; the recording is then closed, and every read written before stays.
    bool Append(const RecordedRead& read, QString* error);
    // An event, one transaction; its id, or nothing (the recording then stops as for a read).
    std::optional<qint64> AddEvent(const RecordedEvent& event, QString* error);
    bool EndEvent(qint64 id, qint64 endedUtcMs, QString* error);
    bool AddView(const RecordedView& view, QString* error);
    void Close();
    bool isOpen() const { return m_open; }
    const QString& fileName() const { return m_fileName; }
    qint64 written() const { return m_written; }

private:
    // Runs the statement with the values in one transaction; on failure the recording stops.
    bool Write(const QString& sql, const QVariantList& values, QString* error, qint64* insertedId = nullptr);

    QString m_connection;
    QString m_fileName;
    qint64 m_sizeLimit = RECORDING_SIZE_LIMIT;
    qint64 m_written = 0;
    bool m_open = false;
};

// Reads a recording, also one that is still being written.
class RecordingReader {
public:
    RecordingReader();
    ~RecordingReader();
    RecordingReader(const RecordingReader&) = delete;
    RecordingReader& operator=(const RecordingReader&) = delete;

    // False with a message a user understands when the file is no recording, damaged or of a later layout.
    bool Open(const QString& fileName, QString* error);
    // SQLite's own check of the whole file: "ok" or what it found.
    QString IntegrityCheck();
    // The reads between the two times (milliseconds UTC, inclusive), in the order recorded.
    std::vector<RecordedRead> Reads(qint64 fromUtcMs, qint64 toUtcMs, QString* error);
    // The events that started between the two times, in the order recorded.
    std::vector<RecordedEvent> Events(qint64 fromUtcMs, qint64 toUtcMs, QString* error);
    qint64 Count();
    // Every read's id, time and trace after the read `afterId`, in the order recorded; a read whose trace
    // is damaged is left out.
    std::vector<RecordedMoment> Moments(qint64 afterId, QString* error);
    // The reads of the ids given (in any order), in the order recorded; a missing id is left out, and so is
    // a damaged read, which `damaged` counts (without it, a damaged read is an error).
    std::vector<RecordedRead> ReadsById(const std::vector<qint64>& ids, QString* error,
                                        int* damaged = nullptr);
    // The views in the order recorded; none in a recording made before views were kept.
    std::vector<RecordedView> Views(QString* error);

private:
    QString m_connection;
    bool m_open = false;
};

}  // namespace tk
