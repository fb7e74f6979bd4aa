#include "SessionRecording.h"

#include <QDateTime>
#include <cmath>

#include "Session.h"
#include "UserDialogs.h"

namespace tk {

SessionRecording::SessionRecording(Session& session, QObject* parent) : QObject(parent), m_session(session) {
    connect(&session, &Session::traceRead, this, [this](TraceKind kind) {
        switch (kind) {
            case TraceKind::Actual:
                return Record(RecordedTrace::Actual);
            case TraceKind::Peak:
                return Record(RecordedTrace::Peak);
            case TraceKind::Average:
                return Record(RecordedTrace::Average);
        }
    });
}

bool SessionRecording::Start(const QString& fileName, QString* error, qint64 sizeLimit) {
    if (!m_recorder.Open(fileName, sizeLimit, error)) return false;
    const QDateTime now = QDateTime::currentDateTime();
    m_startUtcMs = now.toMSecsSinceEpoch();
    m_utcOffsetS = now.offsetFromUtc();
    m_startSeconds = m_session.TheClock().seconds();
    emit recordingChanged(true);
    return true;
}

void SessionRecording::Stop() {
    const bool was = m_recorder.isOpen();
    m_recorder.Close();
    if (was) emit recordingChanged(false);
}

void SessionRecording::RecordCommand(UserDialogs& dialogs) {
    if (m_recorder.isOpen()) {
        Stop();
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Record");
    request.filter = QStringLiteral("Recording (*.tkrec);;All files (*.*)");
    request.initialName = QStringLiteral("*.tkrec");
    request.defaultExtension = QStringLiteral("tkrec");
    const auto name = dialogs.saveFileName(request);
    if (!name) return emit recordingChanged(false);
    QString error;
    if (!Start(*name, &error)) {
        dialogs.message(error, QStringLiteral("Recording"), MessageIcon::Warning);
        emit recordingChanged(false);
    }
}

void SessionRecording::Record(RecordedTrace trace) {
    if (!m_recorder.isOpen()) return;
    const MeasurementSettings& s = m_session.Model().settings;
    // The traces shown are the traces read and recorded.
    const bool shown = trace == RecordedTrace::Actual ? bool(s.showActual)
                       : trace == RecordedTrace::Peak ? bool(s.showPeak)
                                                      : bool(s.showAverage);
    if (!shown) return;
    const qint64 utcMs =
        m_startUtcMs + std::llround((m_session.TheClock().seconds() - m_startSeconds) * 1000.0);
    QString error;
    if (!m_recorder.Append(ReadOfModel(m_session.Model(), trace, utcMs, m_utcOffsetS), &error)) {
        emit recordingChanged(false);
        emit stopped(error);
    }
}

}  // namespace tk
