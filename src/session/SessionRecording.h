#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "Recording.h"

class QAction;

namespace tk {

class Session;
class UserDialogs;

// Records every completed read of the chosen traces (those shown, unless others were chosen) while a
// recording is open, with what the graph showed besides them, and the session's events: violations by
// emission, going online and offline, information lines, script steps and loaded files. A read that cannot be
// written (a full disk, the size limit) stops the recording; stopped says why.
class SessionRecording final : public QObject {
    Q_OBJECT
public:
    explicit SessionRecording(Session& session, QObject* parent = nullptr);
    ~SessionRecording() override;

    bool Start(const QString& fileName, QString* error, qint64 sizeLimit = RECORDING_SIZE_LIMIT);
    void Stop();
    // "Record...": ends the running recording, or asks for a file and records into it; a file that cannot
    // be recorded into is said in a message.
    void RecordCommand(UserDialogs& dialogs);
    // The menu entry "Rec&ord...": it runs RecordCommand and is checked while a recording runs; a recording
    // that stops by itself says why in a notice.
    void AttachEntry(QAction* entry, UserDialogs& dialogs);
    // The traces to record (actual, peak, average), or nothing for those shown at each read.
    void SetTraces(std::optional<std::array<bool, 3>> traces) { m_traces = traces; }
    const std::optional<std::array<bool, 3>>& traces() const { return m_traces; }
    bool recording() const { return m_recorder.isOpen(); }
    const QString& fileName() const { return m_recorder.fileName(); }
    qint64 written() const { return m_recorder.written(); }

signals:
    void recordingChanged(bool on);
    // A read could not be written: the recording has ended, for the reason given.
    void stopped(const QString& reason);

private:
    void Record(RecordedTrace trace);
    // The violations by emission of the trace just read: new ones start an event, cleared ones end theirs.
    void RecordViolations(RecordedTrace trace, qint64 utcMs);
    void RecordEvent(const QString& kind, const QString& text);
    qint64 Now() const;
    void Failed(const QString& error);
    void EndOpenViolations();

    Session& m_session;
    Recorder m_recorder;
    // The recording's times: the UTC time at its start plus the session clock's seconds since.
    qint64 m_startUtcMs = 0;
    double m_startSeconds = 0.0;
    int m_utcOffsetS = 0;
    struct Open {
        RecordedTrace trace;
        float frequencyMHz;
        qint64 id;
    };
    std::vector<Open> m_violations;  // the events of violations that have not cleared yet
    std::optional<std::array<bool, 3>> m_traces;
    std::optional<RecordedView> m_view;  // the view written last
};

}  // namespace tk
