#include "SessionRecording.h"

#include <QAction>
#include <QDateTime>
#include <algorithm>
#include <cmath>

#include "Emissions.h"
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
    connect(&session, &Session::onlineChanged, this,
            [this](bool on) { RecordEvent(on ? QStringLiteral("online") : QStringLiteral("offline"), {}); });
    connect(&session, &Session::informationShown, this,
            [this](const QString& text) { RecordEvent(QStringLiteral("information"), text.trimmed()); });
    connect(&session, &Session::fileLoaded, this, [this](const QString& kind, const QString& name) {
        RecordEvent(QStringLiteral("load"), QStringLiteral("%1 %2").arg(kind, name));
    });
    connect(&session, &Session::scriptStepStarted, this, [this](int step) {
        RecordEvent(QStringLiteral("script"),
                    QStringLiteral("step %1 of %2").arg(step).arg(m_session.Model().scriptFileName));
    });
}

qint64 SessionRecording::Now() const {
    return m_startUtcMs + std::llround((m_session.TheClock().seconds() - m_startSeconds) * 1000.0);
}

void SessionRecording::Failed(const QString& error) {
    m_violations.clear();
    emit recordingChanged(false);
    emit stopped(error);
}

void SessionRecording::RecordEvent(const QString& kind, const QString& text) {
    if (!m_recorder.isOpen()) return;
    RecordedEvent e;
    e.utcMs = Now();
    e.utcOffsetS = m_utcOffsetS;
    e.kind = kind;
    e.text = text;
    QString error;
    if (!m_recorder.AddEvent(e, &error)) Failed(error);
}

void SessionRecording::RecordViolations(RecordedTrace trace, qint64 utcMs) {
    const MeasurementModel& m = m_session.Model();
    const BoundaryTrace checked = trace == RecordedTrace::Actual ? BoundaryTrace::Actual
                                  : trace == RecordedTrace::Peak ? BoundaryTrace::Peak
                                                                 : BoundaryTrace::Average;
    const std::vector<PeakRow> violating = ViolatingEmissions(m, checked);
    // An emission is known again by its frequency within five points of the sweep, as capture knows it.
    const double toleranceMHz =
        5.0 * double(m.settings.scanWidth) * std::max<int>(1, m.settings.resolution) / 400.0;
    std::vector<bool> seen(violating.size(), false);
    QString error;
    for (auto it = m_violations.begin(); it != m_violations.end();) {
        if (it->trace != trace) {
            ++it;
            continue;
        }
        const auto match = std::find_if(violating.begin(), violating.end(), [&](const PeakRow& r) {
            return std::abs(double(r.frequencyMHz) - double(it->frequencyMHz)) <= toleranceMHz;
        });
        if (match != violating.end()) {
            seen[std::size_t(match - violating.begin())] = true;
            it->frequencyMHz = match->frequencyMHz;  // a drifting carrier stays itself
            ++it;
            continue;
        }
        if (!m_recorder.EndEvent(it->id, utcMs, &error)) return Failed(error);
        it = m_violations.erase(it);
    }
    for (std::size_t i = 0; i < violating.size(); ++i) {
        if (seen[i]) continue;
        const PeakRow& r = violating[i];
        RecordedEvent e;
        e.utcMs = utcMs;
        e.utcOffsetS = m_utcOffsetS;
        e.kind = QStringLiteral("violation");
        e.trace = trace;
        e.frequencyMHz = double(r.frequencyMHz);
        e.level = r.level;
        e.boundary = r.boundaryLevel;
        e.marginDb = r.marginDb;
        const auto id = m_recorder.AddEvent(e, &error);
        if (!id) return Failed(error);
        m_violations.push_back({trace, r.frequencyMHz, *id});
    }
}

bool SessionRecording::Start(const QString& fileName, QString* error, qint64 sizeLimit) {
    if (!m_recorder.Open(fileName, sizeLimit, error)) return false;
    const QDateTime now = QDateTime::currentDateTime();
    m_startUtcMs = now.toMSecsSinceEpoch();
    m_utcOffsetS = now.offsetFromUtc();
    m_startSeconds = m_session.TheClock().seconds();
    m_violations.clear();
    m_view.reset();
    emit recordingChanged(true);
    return true;
}

SessionRecording::~SessionRecording() {
    EndOpenViolations();
}

void SessionRecording::EndOpenViolations() {
    // What is still over when the recording stops ends with it: a recording continued later must not count
    // the time between as over.
    QString error;
    const qint64 now = m_recorder.isOpen() ? Now() : 0;
    for (const Open& open : m_violations)
        if (!m_recorder.EndEvent(open.id, now, &error)) break;
    m_violations.clear();
}

void SessionRecording::Stop() {
    const bool was = m_recorder.isOpen();
    EndOpenViolations();
    m_recorder.Close();
    m_violations.clear();
    if (was) emit recordingChanged(false);
}

void SessionRecording::AttachEntry(QAction* entry, UserDialogs& dialogs) {
    entry->setCheckable(true);
    entry->setChecked(recording());
    connect(entry, &QAction::triggered, this, [this, &dialogs] { RecordCommand(dialogs); });
    connect(this, &SessionRecording::recordingChanged, entry, &QAction::setChecked);
    connect(this, &SessionRecording::stopped, entry, [&dialogs](const QString& reason) {
        dialogs.notice(reason, QStringLiteral("Recording"), MessageIcon::Warning);
    });
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
    const std::array<bool, 3> chosen =
        m_traces.value_or(std::array<bool, 3>{bool(s.showActual), bool(s.showPeak), bool(s.showAverage)});
    if (!chosen[std::size_t(trace)]) return;
    const qint64 utcMs = Now();
    QString error;
    RecordedView view = ViewOfModel(m_session.Model(), utcMs);
    if (!m_view || !(*m_view == view)) {
        if (!m_recorder.AddView(view, &error)) return Failed(error);
        m_view = std::move(view);
    }
    if (!m_recorder.Append(ReadOfModel(m_session.Model(), trace, utcMs, m_utcOffsetS), &error))
        return Failed(error);
    RecordViolations(trace, utcMs);
}

}  // namespace tk
