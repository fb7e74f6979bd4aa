#include "Replay.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "Emissions.h"

namespace tk {
namespace {

BoundaryTrace BoundaryTraceOf(RecordedTrace trace) {
    return trace == RecordedTrace::Actual ? BoundaryTrace::Actual
           : trace == RecordedTrace::Peak ? BoundaryTrace::Peak
                                          : BoundaryTrace::Average;
}

QDateTime LocalTime(qint64 utcMs, int utcOffsetS) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::OffsetFromUTC, utcOffsetS);
}

// An emission is known again by its frequency within five points of the sweep, as capture knows it.
double ToleranceMHz(const RecordedSettings& s) {
    return 5.0 * double(s.scanWidth) * std::max(1, s.resolution) / 400.0;
}

// Reads are fetched in pieces, so that a long query holds no day of levels at once.
constexpr std::size_t CHUNK = Replay::CHUNK;

}  // namespace

QString ReplayTimeText(qint64 utcMs, int utcOffsetS) {
    return LocalTime(utcMs, utcOffsetS).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

namespace {

QString Duration(qint64 ms) {
    const qint64 s = (std::max<qint64>(ms, 0) + 500) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

}  // namespace

QString ReplayTable::Text() const {
    QStringList lines{header.join(u'\t')};
    for (const QStringList& row : rows) lines << row.join(u'\t');
    return lines.join(u'\n') + u'\n';
}

ReplayTable EventTable(const std::vector<RecordedEvent>& events) {
    ReplayTable t{{QStringLiteral("Time"), QStringLiteral("Event"), QStringLiteral("What")}, {}};
    for (const RecordedEvent& e : events) {
        QString what = e.text;
        if (e.kind == QLatin1String("violation") && e.trace && e.frequencyMHz)
            what = QStringLiteral("%1 %2 MHz, margin %3 dB")
                       .arg(RecordedTraceName(*e.trace), Number(*e.frequencyMHz, 3),
                            Number(e.marginDb.value_or(0.0), 1));
        t.rows.push_back({ReplayTimeText(e.utcMs, e.utcOffsetS), e.kind, what});
    }
    return t;
}

ReplayTable WorstMarginTable(const std::vector<EmissionSummary>& emissions) {
    ReplayTable t{
        {QStringLiteral("Trace"), QStringLiteral("Frequency (MHz)"), QStringLiteral("Worst margin (dB)"),
         QStringLiteral("At"), QStringLiteral("Times over"), QStringLiteral("Time over")},
        {}};
    for (const EmissionSummary& e : emissions)
        t.rows.push_back({RecordedTraceName(e.trace), Number(e.frequencyMHz, 3), Number(e.worstMarginDb, 1),
                          ReplayTimeText(e.worstUtcMs, e.utcOffsetS), QString::number(e.times),
                          Duration(e.overMs)});
    return t;
}

ReplayTable OverBoundaryTable(const std::vector<OverBoundary>& times) {
    ReplayTable t{{QStringLiteral("Trace"), QStringLiteral("Frequency (MHz)"), QStringLiteral("From"),
                   QStringLiteral("To"), QStringLiteral("Time over"), QStringLiteral("Margin at start (dB)")},
                  {}};
    for (const OverBoundary& o : times)
        t.rows.push_back({RecordedTraceName(o.trace), Number(o.frequencyMHz, 3),
                          ReplayTimeText(o.fromUtcMs, o.utcOffsetS),
                          o.toUtcMs ? ReplayTimeText(*o.toUtcMs, o.utcOffsetS) : QStringLiteral("still over"),
                          o.toUtcMs ? Duration(*o.toUtcMs - o.fromUtcMs) : QString(), Number(o.marginDb, 1)});
    return t;
}

bool Replay::Open(const QString& fileName, QString* error) {
    m_moments.clear();
    for (auto& positions : m_positionsOf) positions.clear();
    m_events.clear();
    m_views.clear();
    m_violationPositions.clear();
    if (!m_reader.Open(fileName, error)) return false;
    m_fileName = fileName;
    return Refresh(error);
}

bool Replay::Refresh(QString* error, bool* changed) {
    QString problem;
    const qint64 lastId = m_moments.empty() ? 0 : m_moments.back().id;
    std::vector<RecordedMoment> more = m_reader.Moments(lastId, &problem);
    std::vector<RecordedEvent> events =
        m_reader.Events(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &problem);
    std::vector<RecordedView> views = m_reader.Views(&problem);
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    if (changed) {
        const auto endOf = [](const RecordedEvent& e) { return e.endedUtcMs.value_or(-1); };
        *changed =
            !more.empty() || events.size() != m_events.size() || views.size() != m_views.size() ||
            !std::equal(events.begin(), events.end(), m_events.begin(), m_events.end(),
                        [&](const RecordedEvent& a, const RecordedEvent& b) { return endOf(a) == endOf(b); });
    }
    for (const RecordedMoment& m : more) {
        m_positionsOf[std::size_t(m.trace)].push_back(int(m_moments.size()));
        m_moments.push_back(m);
    }
    m_events = std::move(events);
    m_views = std::move(views);
    m_violationPositions.clear();
    for (const RecordedEvent& e : m_events)
        if (e.kind == QLatin1String("violation")) m_violationPositions.push_back(PositionAt(e.utcMs));
    std::sort(m_violationPositions.begin(), m_violationPositions.end());
    return true;
}

int Replay::PositionFrom(qint64 utcMs) const {
    return int(std::lower_bound(m_moments.begin(), m_moments.end(), utcMs,
                                [](const RecordedMoment& m, qint64 t) { return m.utcMs < t; }) -
               m_moments.begin());
}

int Replay::PlayPosition(int from, double wallSeconds, int speed) const {
    if (from < 0 || from >= size()) return from;
    const qint64 at = m_moments[std::size_t(from)].utcMs + std::llround(wallSeconds * 1000.0 * speed);
    return std::max(from, PositionAt(at));
}

int Replay::PositionAt(qint64 utcMs) const {
    const auto after = std::upper_bound(m_moments.begin(), m_moments.end(), utcMs,
                                        [](qint64 t, const RecordedMoment& m) { return t < m.utcMs; });
    return std::max(0, int(after - m_moments.begin()) - 1);
}

std::optional<int> Replay::NextViolation(int position) const {
    const auto next = std::upper_bound(m_violationPositions.begin(), m_violationPositions.end(), position);
    if (next == m_violationPositions.end()) return std::nullopt;
    return *next;
}

std::optional<int> Replay::PreviousViolation(int position) const {
    const auto at = std::lower_bound(m_violationPositions.begin(), m_violationPositions.end(), position);
    if (at == m_violationPositions.begin()) return std::nullopt;
    return *std::prev(at);
}

const RecordedView* Replay::ViewAt(qint64 utcMs) const {
    const auto after = std::upper_bound(m_views.begin(), m_views.end(), utcMs,
                                        [](qint64 t, const RecordedView& v) { return t < v.utcMs; });
    return after == m_views.begin() ? nullptr : &*std::prev(after);
}

void Replay::Put(const RecordedRead& read, MeasurementModel& model) const {
    PutReadIntoModel(read, model);
    if (const RecordedView* view = ViewAt(read.utcMs)) {
        PutViewIntoModel(*view, model);
    } else {
        // Boundaries the recording does not know are not drawn: the program's own may be other ones.
        model.settings.limitActual = model.settings.limitPeak = model.settings.limitAverage = false;
    }
    const QDateTime local = LocalTime(read.utcMs, read.utcOffsetS);
    FixedText<10>& time = read.trace == RecordedTrace::Actual ? model.timeActual
                          : read.trace == RecordedTrace::Peak ? model.timePeak
                                                              : model.timeAverage;
    time.set(local.toString(QStringLiteral("hh:mm:ss")));
    model.readDate.set(local.toString(QStringLiteral("dd.MM.yyyy")));
}

bool Replay::Show(int position, MeasurementModel& model, QString* error) {
    if (position < 0 || position >= size()) {
        if (error) *error = QStringLiteral("The recording holds no read there");
        return false;
    }
    std::vector<qint64> ids;
    for (std::size_t t = 0; t < m_positionsOf.size(); ++t) {
        const std::vector<int>& positions = m_positionsOf[t];
        const auto after = std::upper_bound(positions.begin(), positions.end(), position);
        if (after != positions.begin()) ids.push_back(m_moments[std::size_t(*std::prev(after))].id);
    }
    QString problem;
    m_damagedShown = 0;
    const std::vector<RecordedRead> reads = m_reader.ReadsById(ids, &problem, &m_damagedShown);
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    model.traceActual.fill(0);
    model.tracePeak.fill(0);
    model.traceAverage.fill(0);
    model.timeActual.set(QStringLiteral("--:--:--"));
    model.timePeak.set(QStringLiteral("--:--:--"));
    model.timeAverage.set(QStringLiteral("--:--:--"));
    // In the order read, so that the settings are those of the read at position, the newest.
    for (const RecordedRead& read : reads) Put(read, model);
    model.graphOpen = true;
    return true;
}

bool Replay::AddWaterfallRows(int after, int upTo, WaterfallHistory& history, QString* error, int* added) {
    const std::vector<int>& actual = m_positionsOf[std::size_t(RecordedTrace::Actual)];
    auto first = std::upper_bound(actual.begin(), actual.end(), after);
    const auto last = std::upper_bound(actual.begin(), actual.end(), upTo);
    // Only the rows the history keeps are read.
    if (last - first > history.capacity()) first = last - history.capacity();
    if (added) *added = int(std::max<std::ptrdiff_t>(0, last - first));
    MeasurementModel scratch;
    for (auto it = first; it < last;) {
        const auto end = it + std::min<std::ptrdiff_t>(last - it, std::ptrdiff_t(CHUNK));
        std::vector<qint64> ids;
        for (auto p = it; p != end; ++p) ids.push_back(m_moments[std::size_t(*p)].id);
        QString problem;
        int damaged = 0;
        const std::vector<RecordedRead> reads = m_reader.ReadsById(ids, &problem, &damaged);
        if (!problem.isEmpty()) {
            if (error) *error = problem;
            return false;
        }
        if (added) *added -= damaged;
        for (const RecordedRead& read : reads) {
            PutReadIntoModel(read, scratch);
            history.AddRow(scratch, double(read.utcMs) / 1000.0);
        }
        it = end;
    }
    return true;
}

std::vector<OverBoundary> Replay::TimesOverBoundary() const {
    std::vector<OverBoundary> times;
    for (const RecordedEvent& e : m_events) {
        if (e.kind != QLatin1String("violation") || !e.trace || !e.frequencyMHz) continue;
        times.push_back(
            {*e.trace, *e.frequencyMHz, e.utcMs, e.endedUtcMs, e.utcOffsetS, e.marginDb.value_or(0.0)});
    }
    return times;
}

std::vector<RecordedRead> Replay::ReadsBetween(int from, int to, QString* error) {
    std::vector<RecordedRead> reads;
    from = std::max(from, 0);
    to = std::min(to, size() - 1);
    for (int p = from; p <= to;) {
        const int end = std::min(to + 1, p + int(CHUNK));
        std::vector<qint64> ids;
        for (int q = p; q < end; ++q) ids.push_back(m_moments[std::size_t(q)].id);
        QString problem;
        int damaged = 0;
        std::vector<RecordedRead> chunk = m_reader.ReadsById(ids, &problem, &damaged);
        if (!problem.isEmpty()) {
            if (error) *error = problem;
            return {};
        }
        std::move(chunk.begin(), chunk.end(), std::back_inserter(reads));
        p = end;
    }
    return reads;
}

std::vector<EmissionSummary> Replay::WorstMargins(QString* error) {
    std::vector<EmissionSummary> emissions;
    std::vector<double> tolerances;
    const qint64 endMs = m_moments.empty() ? 0 : m_moments.back().utcMs;
    MeasurementModel scratch;
    for (const OverBoundary& over : TimesOverBoundary()) {
        // The reads of the trace while it was over: from its start up to the read that found it cleared.
        const std::vector<int>& positions = m_positionsOf[std::size_t(over.trace)];
        const auto first =
            std::lower_bound(positions.begin(), positions.end(), over.fromUtcMs,
                             [this](int p, qint64 t) { return m_moments[std::size_t(p)].utcMs < t; });
        const qint64 until = over.toUtcMs.value_or(std::numeric_limits<qint64>::max());
        EmissionSummary episode{over.trace,
                                over.frequencyMHz,
                                over.marginDb,
                                over.fromUtcMs,
                                over.utcOffsetS,
                                1,
                                over.toUtcMs.value_or(endMs) - over.fromUtcMs};
        double tolerance = 0.0;
        double tracked = over.frequencyMHz;  // a drifting carrier stays itself, as the recording follows it
        for (auto it = first; it != positions.end() && m_moments[std::size_t(*it)].utcMs < until;) {
            std::vector<qint64> ids;
            for (; it != positions.end() && m_moments[std::size_t(*it)].utcMs < until && ids.size() < CHUNK;
                 ++it)
                ids.push_back(m_moments[std::size_t(*it)].id);
            QString problem;
            int damaged = 0;
            const std::vector<RecordedRead> reads = m_reader.ReadsById(ids, &problem, &damaged);
            if (!problem.isEmpty()) {
                if (error) *error = problem;
                return {};
            }
            for (const RecordedRead& read : reads) {
                Put(read, scratch);
                tolerance = ToleranceMHz(read.settings);
                // The emission is the violating peak nearest to where it was last, within the tolerance.
                const std::vector<PeakRow> rows = ViolatingEmissions(scratch, BoundaryTraceOf(over.trace));
                const PeakRow* nearest = nullptr;
                for (const PeakRow& row : rows) {
                    const double distance = std::abs(double(row.frequencyMHz) - tracked);
                    if (row.marginDb && distance <= tolerance &&
                        (!nearest || distance < std::abs(double(nearest->frequencyMHz) - tracked)))
                        nearest = &row;
                }
                if (!nearest) continue;
                tracked = double(nearest->frequencyMHz);
                if (*nearest->marginDb < episode.worstMarginDb) {
                    episode.worstMarginDb = *nearest->marginDb;
                    episode.worstUtcMs = read.utcMs;
                    episode.utcOffsetS = read.utcOffsetS;
                }
            }
        }
        const auto same = std::find_if(emissions.begin(), emissions.end(), [&](const EmissionSummary& e) {
            return e.trace == episode.trace &&
                   std::abs(e.frequencyMHz - episode.frequencyMHz) <=
                       std::max(tolerance, tolerances[std::size_t(&e - emissions.data())]);
        });
        if (same == emissions.end()) {
            emissions.push_back(episode);
            tolerances.push_back(tolerance);
            continue;
        }
        ++same->times;
        same->overMs += episode.overMs;
        if (episode.worstMarginDb < same->worstMarginDb) {
            same->worstMarginDb = episode.worstMarginDb;
            same->worstUtcMs = episode.worstUtcMs;
            same->utcOffsetS = episode.utcOffsetS;
        }
    }
    std::stable_sort(
        emissions.begin(), emissions.end(),
        [](const EmissionSummary& a, const EmissionSummary& b) { return a.worstMarginDb < b.worstMarginDb; });
    return emissions;
}

}  // namespace tk
