#include "Recording.h"

#include <QAtomicInteger>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QtEndian>
#include <algorithm>
#include <cstdio>

namespace tk {
namespace {

// "TKRC" in the file's header, so that another SQLite file is known as none of ours.
constexpr int APPLICATION_ID = 0x544B5243;
constexpr char SQLITE_MAGIC[] = "SQLite format 3";

QString NewConnectionName() {
    static QAtomicInteger<int> next;
    return QStringLiteral("tk-recording-%1").arg(next.fetchAndAddRelaxed(1));
}

QSqlDatabase Database(const QString& connection) {
    return QSqlDatabase::database(connection, false);
}

void DropConnection(const QString& connection) {
    {
        QSqlDatabase db = Database(connection);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

bool Exec(QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery q(db);
    if (q.exec(sql)) return true;
    if (error) *error = q.lastError().text();
    return false;
}

std::optional<qint64> PragmaNumber(QSqlDatabase& db, const char* name) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !q.next()) return std::nullopt;
    return q.value(0).toLongLong();
}

// What the first bytes of a file say: nothing there yet, an SQLite file, or something else.
enum class Header { Empty, Sqlite, Other };
Header FileHeader(const QString& fileName) {
    QFile f(fileName);
    if (!f.exists() || f.size() == 0) return Header::Empty;
    if (!f.open(QIODevice::ReadOnly)) return Header::Other;
    const QByteArray head = f.read(16);
    return head.startsWith(QByteArray(SQLITE_MAGIC)) ? Header::Sqlite : Header::Other;
}

QString NoRecording(const QString& fileName) {
    return QStringLiteral("%1 is no recording of this program").arg(QFileInfo(fileName).fileName());
}

// A recording of this program and of a layout it reads.
bool CheckLayout(QSqlDatabase& db, const QString& fileName, QString* error) {
    const auto id = PragmaNumber(db, "application_id");
    const auto schema = PragmaNumber(db, "user_version");
    if (!id || !schema) {
        if (error) *error = QStringLiteral("%1 is damaged").arg(QFileInfo(fileName).fileName());
        return false;
    }
    if (*id != APPLICATION_ID) {
        if (error) *error = NoRecording(fileName);
        return false;
    }
    if (*schema > RECORDING_SCHEMA) {
        if (error)
            *error = QStringLiteral("%1 was written by a later version (layout %2)")
                         .arg(QFileInfo(fileName).fileName())
                         .arg(*schema);
        return false;
    }
    return true;
}

// Opens the connection on an existing recording of a layout this program reads; a busy file is waited for.
bool OpenRecording(QSqlDatabase& db, const QString& fileName, QString* error) {
    db.setDatabaseName(fileName);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (db.open()) return CheckLayout(db, fileName, error);
    if (error) *error = db.lastError().text();
    return false;
}

QByteArray PackLevels(const std::vector<std::int16_t>& levels) {
    QByteArray raw(qsizetype(levels.size() * 2), Qt::Uninitialized);
    for (std::size_t i = 0; i < levels.size(); ++i)
        qToLittleEndian<std::int16_t>(levels[i], raw.data() + i * 2);
    return qCompress(raw);
}

std::optional<std::vector<std::int16_t>> UnpackLevels(const QByteArray& packed, qint64 points) {
    if (points < 0 || points > TRACE_SIZE) return std::nullopt;
    const QByteArray raw = qUncompress(packed);
    if (raw.size() != points * 2) return std::nullopt;
    std::vector<std::int16_t> levels(static_cast<std::size_t>(points));
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = qFromLittleEndian<std::int16_t>(raw.constData() + i * 2);
    return levels;
}

// Kept apart: recordings made before views were stored gain the table when recorded into again.
constexpr char VIEWS_TABLE[] =
    "CREATE TABLE IF NOT EXISTS views(id INTEGER PRIMARY KEY, utc_ms INTEGER NOT NULL, data BLOB NOT NULL)";

const char* const CREATE_TABLES[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE reads(id INTEGER PRIMARY KEY, utc_ms INTEGER NOT NULL, utc_offset_s INTEGER NOT NULL, "
    "trace TEXT NOT NULL, center_mhz REAL, scan_width_mhz REAL, resolution INTEGER, unit INTEGER, "
    "user_unit TEXT, user_unit_offset REAL, bandwidth INTEGER, video_filter INTEGER, attenuation_db REAL, "
    "noise_suppression_db REAL, correction INTEGER, correction_curve TEXT, points INTEGER NOT NULL, "
    "levels BLOB NOT NULL)",
    "CREATE INDEX reads_by_time ON reads(utc_ms)",
    "CREATE TABLE events(id INTEGER PRIMARY KEY, utc_ms INTEGER NOT NULL, utc_offset_s INTEGER NOT NULL, "
    "kind TEXT NOT NULL, trace TEXT, frequency_mhz REAL, level REAL, boundary REAL, margin_db REAL, "
    "ended_utc_ms INTEGER, text TEXT)",
    VIEWS_TABLE,
    "INSERT INTO meta VALUES('format', 'tk820-2 recording')",
};

// Little-endian, single precision: the three lines' points and segments, then the six switches.
QByteArray PackView(const RecordedView& view) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    for (const BoundaryLine& line : view.boundaries) {
        for (float f : line.freqMHz) out << f;
        for (float l : line.levelDbm) out << l;
        for (std::int16_t g : line.logSegment) out << g;
    }
    for (bool b : view.checked) out << b;
    for (bool b : view.shown) out << b;
    return data;
}

std::optional<RecordedView> UnpackView(const QByteArray& data) {
    QDataStream in(data);
    in.setByteOrder(QDataStream::LittleEndian);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    RecordedView view;
    for (BoundaryLine& line : view.boundaries) {
        for (float& f : line.freqMHz) in >> f;
        for (float& l : line.levelDbm) in >> l;
        for (std::int16_t& g : line.logSegment) in >> g;
    }
    for (bool& b : view.checked) in >> b;
    for (bool& b : view.shown) in >> b;
    if (in.status() != QDataStream::Ok || !in.atEnd()) return std::nullopt;
    return view;
}

constexpr char READ_COLUMNS[] =
    "SELECT id, utc_ms, utc_offset_s, trace, center_mhz, scan_width_mhz, resolution, unit, user_unit, "
    "user_unit_offset, bandwidth, video_filter, attenuation_db, noise_suppression_db, correction, "
    "correction_curve, points, levels FROM reads ";

// The rows of a query over READ_COLUMNS; false, with the damaged read named, when one cannot be read. With
// `damaged`, a damaged read is counted and left out.
bool TakeReads(QSqlQuery& q, std::vector<RecordedRead>& reads, QString* error, int* damaged = nullptr) {
    while (q.next()) {
        RecordedRead r;
        r.id = q.value(0).toLongLong();
        r.utcMs = q.value(1).toLongLong();
        r.utcOffsetS = q.value(2).toInt();
        const auto trace = RecordedTraceOfName(q.value(3).toString());
        auto levels = UnpackLevels(q.value(17).toByteArray(), q.value(16).toLongLong());
        if (!trace || !levels) {
            if (damaged) {
                ++*damaged;
                continue;
            }
            if (error) *error = QStringLiteral("Read %1 of the recording is damaged").arg(r.id);
            return false;
        }
        r.trace = *trace;
        r.settings = {q.value(4).toFloat(),  q.value(5).toFloat(),     q.value(6).toInt(),
                      q.value(7).toInt(),    q.value(8).toString(),    q.value(9).toFloat(),
                      q.value(10).toInt(),   q.value(11).toInt(),      q.value(12).toFloat(),
                      q.value(13).toFloat(), q.value(14).toInt() != 0, q.value(15).toString()};
        r.levels = std::move(*levels);
        reads.push_back(std::move(r));
    }
    return true;
}

}  // namespace

QString RecordedTraceName(RecordedTrace trace) {
    switch (trace) {
        case RecordedTrace::Actual:
            return QStringLiteral("actual");
        case RecordedTrace::Peak:
            return QStringLiteral("peak");
        case RecordedTrace::Average:
            break;
    }
    return QStringLiteral("average");
}

std::optional<RecordedTrace> RecordedTraceOfName(const QString& name) {
    for (RecordedTrace t : {RecordedTrace::Actual, RecordedTrace::Peak, RecordedTrace::Average})
        if (RecordedTraceName(t) == name) return t;
    return std::nullopt;
}

namespace {
template <typename Model>
auto& TraceIn(Model& model, RecordedTrace trace) {
    return trace == RecordedTrace::Actual ? model.traceActual
           : trace == RecordedTrace::Peak ? model.tracePeak
                                          : model.traceAverage;
}
}  // namespace

RecordedRead ReadOfModel(const MeasurementModel& model, RecordedTrace trace, qint64 utcMs, int utcOffsetS) {
    const MeasurementSettings& s = model.settings;
    RecordedRead r;
    r.utcMs = utcMs;
    r.utcOffsetS = utcOffsetS;
    r.trace = trace;
    r.settings = {s.centerFreq,
                  s.scanWidth,
                  s.resolution,
                  s.levelUnit,
                  s.userUnitName.trimmed(),
                  s.userUnitOffset,
                  s.bandwidthIndex,
                  s.videoFilterOn,
                  s.attenuation,
                  s.noiseSuppression,
                  bool(s.calibrationOn),
                  s.calibrationOn ? model.fileNames.calibration : QString()};
    const TraceArray& levels = TraceIn(model, trace);
    const int last = s.resolution >= 1 ? std::min(4000 / s.resolution, TRACE_LAST_INDEX) : 0;
    r.levels.assign(levels.begin(), levels.begin() + last + 1);
    return r;
}

bool RecordedView::operator==(const RecordedView& other) const {
    return PackView(*this) == PackView(other);
}

RecordedView ViewOfModel(const MeasurementModel& model, qint64 utcMs) {
    const MeasurementSettings& s = model.settings;
    RecordedView v;
    v.utcMs = utcMs;
    v.boundaries = {model.boundaryActual, model.boundaryPeak, model.boundaryAverage};
    v.checked = {bool(s.limitActual), bool(s.limitPeak), bool(s.limitAverage)};
    v.shown = {bool(s.showActual), bool(s.showPeak), bool(s.showAverage)};
    return v;
}

void PutViewIntoModel(const RecordedView& v, MeasurementModel& model) {
    MeasurementSettings& s = model.settings;
    model.boundaryActual = v.boundaries[0];
    model.boundaryPeak = v.boundaries[1];
    model.boundaryAverage = v.boundaries[2];
    s.limitActual = v.checked[0];
    s.limitPeak = v.checked[1];
    s.limitAverage = v.checked[2];
    s.showActual = v.shown[0];
    s.showPeak = v.shown[1];
    s.showAverage = v.shown[2];
}

void PutReadIntoModel(const RecordedRead& read, MeasurementModel& model) {
    MeasurementSettings& s = model.settings;
    const RecordedSettings& r = read.settings;
    s.centerFreq = r.centerFreq;
    s.scanWidth = r.scanWidth;
    s.resolution = static_cast<std::int16_t>(r.resolution);
    s.levelUnit = static_cast<std::int16_t>(r.levelUnit);
    s.userUnitName.set(r.userUnitName);
    s.userUnitOffset = r.userUnitOffset;
    s.bandwidthIndex = static_cast<std::int16_t>(r.bandwidthIndex);
    s.videoFilterOn = static_cast<std::int16_t>(r.videoFilterOn);
    s.attenuation = r.attenuation;
    s.noiseSuppression = r.noiseSuppression;
    TraceArray& trace = TraceIn(model, read.trace);
    std::copy_n(read.levels.begin(), std::min<std::size_t>(read.levels.size(), trace.size()), trace.begin());
}

Recorder::Recorder() : m_connection(NewConnectionName()) {}

Recorder::~Recorder() {
    Close();
}

namespace {

// A new recording is made beside its name and renamed into place with its tables, so that a program killed
// while making it leaves no file that is half a recording.
bool CreateRecording(const QString& fileName, QString* error) {
    const QString made = fileName + QStringLiteral(".new");
    QFile::remove(made);
    const QString connection = NewConnectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(made);
        if (!db.open()) {
            if (error) *error = db.lastError().text();
        } else {
            ok = db.transaction();
            for (const char* sql : CREATE_TABLES) ok = ok && Exec(db, QString::fromLatin1(sql), error);
            ok = ok && Exec(db, QStringLiteral("PRAGMA application_id = %1").arg(APPLICATION_ID), error) &&
                 Exec(db, QStringLiteral("PRAGMA user_version = %1").arg(RECORDING_SCHEMA), error);
            ok = ok ? db.commit() : (db.rollback(), false);
        }
    }
    DropConnection(connection);
    if (ok &&
        std::rename(QFile::encodeName(made).constData(), QFile::encodeName(fileName).constData()) != 0) {
        if (error) *error = QStringLiteral("%1 cannot be written").arg(fileName);
        ok = false;
    }
    if (!ok) QFile::remove(made);
    return ok;
}

}  // namespace

bool Recorder::Open(const QString& fileName, qint64 sizeLimit, QString* error) {
    Close();
    const Header header = FileHeader(fileName);
    if (header == Header::Other) {
        if (error) *error = NoRecording(fileName);
        return false;
    }
    if (header == Header::Empty && !CreateRecording(fileName, error)) return false;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        ok = OpenRecording(db, fileName, error);
        // Ahead-logged, and synchronised at each checkpoint: a killed program loses no committed read.
        ok = ok && Exec(db, QStringLiteral("PRAGMA journal_mode = WAL"), error) &&
             Exec(db, QStringLiteral("PRAGMA synchronous = NORMAL"), error) &&
             Exec(db, QString::fromLatin1(VIEWS_TABLE), error);
    }
    if (!ok) {
        DropConnection(m_connection);
        return false;
    }
    m_fileName = fileName;
    m_sizeLimit = sizeLimit;
    m_written = 0;
    m_open = true;
    return true;
}

bool Recorder::Write(const QString& sql, const QVariantList& values, QString* error, qint64* insertedId) {
    if (!m_open) return false;
    const qint64 size = QFileInfo(m_fileName).size() + QFileInfo(m_fileName + QStringLiteral("-wal")).size();
    if (size >= m_sizeLimit) {
        if (error)
            *error = QStringLiteral("The recording reached its size limit of %1 and stopped")
                         .arg(QLocale::c().formattedDataSize(m_sizeLimit, 0));
        Close();
        return false;
    }
    bool ok = false;
    QString reason;
    {
        QSqlDatabase db = Database(m_connection);
        QSqlQuery q(db);
        ok = db.transaction() && q.prepare(sql);
        if (ok) {
            for (const QVariant& v : values) q.addBindValue(v);
            ok = q.exec();
        }
        if (!ok) reason = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        if (ok && insertedId) *insertedId = q.lastInsertId().toLongLong();
        if (ok && !db.commit()) {
            ok = false;
            reason = db.lastError().text();
        }
        if (!ok) db.rollback();
    }
    if (!ok) {
        // A full disk or a vanished file: what was committed stays, and nothing more is tried.
        if (error) *error = QStringLiteral("The recording stopped: %1").arg(reason);
        Close();
    }
    return ok;
}

bool Recorder::Append(const RecordedRead& read, QString* error) {
    const RecordedSettings& s = read.settings;
    const bool ok = Write(
        QStringLiteral(
            "INSERT INTO reads(utc_ms, utc_offset_s, trace, center_mhz, scan_width_mhz, resolution, unit, "
            "user_unit, user_unit_offset, bandwidth, video_filter, attenuation_db, noise_suppression_db, "
            "correction, correction_curve, points, levels) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {QVariant(read.utcMs), QVariant(read.utcOffsetS), QVariant(RecordedTraceName(read.trace)),
         QVariant(double(s.centerFreq)), QVariant(double(s.scanWidth)), QVariant(s.resolution),
         QVariant(s.levelUnit), QVariant(s.userUnitName), QVariant(double(s.userUnitOffset)),
         QVariant(s.bandwidthIndex), QVariant(s.videoFilterOn), QVariant(double(s.attenuation)),
         QVariant(double(s.noiseSuppression)), QVariant(int(s.calibrationOn)), QVariant(s.calibrationCurve),
         QVariant(qint64(read.levels.size())), QVariant(PackLevels(read.levels))},
        error);
    if (ok) ++m_written;
    return ok;
}

namespace {
template <typename T>
QVariant Optional(const std::optional<T>& v) {
    return v ? QVariant(*v) : QVariant();
}
}  // namespace

std::optional<qint64> Recorder::AddEvent(const RecordedEvent& e, QString* error) {
    qint64 id = 0;
    if (!Write(QStringLiteral(
                   "INSERT INTO events(utc_ms, utc_offset_s, kind, trace, frequency_mhz, level, boundary, "
                   "margin_db, ended_utc_ms, text) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {QVariant(e.utcMs), QVariant(e.utcOffsetS), QVariant(e.kind),
                e.trace ? QVariant(RecordedTraceName(*e.trace)) : QVariant(), Optional(e.frequencyMHz),
                Optional(e.level), Optional(e.boundary), Optional(e.marginDb), Optional(e.endedUtcMs),
                QVariant(e.text)},
               error, &id))
        return std::nullopt;
    return id;
}

bool Recorder::EndEvent(qint64 id, qint64 endedUtcMs, QString* error) {
    return Write(QStringLiteral("UPDATE events SET ended_utc_ms = ? WHERE id = ?"),
                 {QVariant(endedUtcMs), QVariant(id)}, error);
}

bool Recorder::AddView(const RecordedView& view, QString* error) {
    return Write(QStringLiteral("INSERT INTO views(utc_ms, data) VALUES(?, ?)"),
                 {QVariant(view.utcMs), QVariant(PackView(view))}, error);
}

void Recorder::Close() {
    if (!m_open) return;
    m_open = false;
    DropConnection(m_connection);
}

RecordingReader::RecordingReader() : m_connection(NewConnectionName()) {}

RecordingReader::~RecordingReader() {
    if (m_open) DropConnection(m_connection);
}

bool RecordingReader::Open(const QString& fileName, QString* error) {
    if (m_open) DropConnection(m_connection);
    m_open = false;
    if (!QFileInfo(fileName).isFile()) {
        if (error) *error = QStringLiteral("%1 does not exist").arg(fileName);
        return false;
    }
    if (FileHeader(fileName) != Header::Sqlite) {
        if (error) *error = NoRecording(fileName);
        return false;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        ok = OpenRecording(db, fileName, error);
        QSqlQuery q(db);
        if (ok && !q.exec(QStringLiteral("SELECT count(*) FROM reads"))) {
            if (error) *error = QStringLiteral("%1 is damaged").arg(QFileInfo(fileName).fileName());
            ok = false;
        }
    }
    if (!ok) {
        DropConnection(m_connection);
        return false;
    }
    m_open = true;
    return true;
}

QString RecordingReader::IntegrityCheck() {
    if (!m_open) return QStringLiteral("not open");
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check"))) return q.lastError().text();
    QStringList found;
    while (q.next()) found << q.value(0).toString();
    return found.join(u'\n');
}

qint64 RecordingReader::Count() {
    if (!m_open) return 0;
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT count(*) FROM reads")) && q.next() ? q.value(0).toLongLong() : 0;
}

std::vector<RecordedRead> RecordingReader::Reads(qint64 fromUtcMs, qint64 toUtcMs, QString* error) {
    std::vector<RecordedRead> reads;
    if (!m_open) return reads;
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const bool prepared =
        q.prepare(QLatin1String(READ_COLUMNS) + QStringLiteral("WHERE utc_ms BETWEEN ? AND ? ORDER BY id"));
    q.addBindValue(fromUtcMs);
    q.addBindValue(toUtcMs);
    if (!prepared || !q.exec()) {
        if (error) *error = q.lastError().text();
        return reads;
    }
    TakeReads(q, reads, error);
    return reads;
}

std::vector<RecordedRead> RecordingReader::ReadsById(const std::vector<qint64>& ids, QString* error,
                                                     int* damaged) {
    std::vector<RecordedRead> reads;
    if (!m_open || ids.empty()) return reads;
    QStringList list;
    for (qint64 id : ids) list << QString::number(id);
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QLatin1String(READ_COLUMNS) +
                QStringLiteral("WHERE id IN (%1) ORDER BY id").arg(list.join(u',')))) {
        if (error) *error = q.lastError().text();
        return reads;
    }
    TakeReads(q, reads, error, damaged);
    return reads;
}

std::vector<RecordedMoment> RecordingReader::Moments(qint64 afterId, QString* error) {
    std::vector<RecordedMoment> moments;
    if (!m_open) return moments;
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const bool prepared = q.prepare(
        QStringLiteral("SELECT id, utc_ms, utc_offset_s, trace FROM reads WHERE id > ? ORDER BY id"));
    q.addBindValue(afterId);
    if (!prepared || !q.exec()) {
        if (error) *error = q.lastError().text();
        return moments;
    }
    while (q.next()) {
        const auto trace = RecordedTraceOfName(q.value(3).toString());
        if (trace)
            moments.push_back({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toInt(), *trace});
    }
    return moments;
}

std::vector<RecordedView> RecordingReader::Views(QString* error) {
    std::vector<RecordedView> views;
    if (!m_open) return views;
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'views'")) ||
        !q.next())
        return views;
    if (!q.exec(QStringLiteral("SELECT utc_ms, data FROM views ORDER BY id"))) {
        if (error) *error = q.lastError().text();
        return views;
    }
    while (q.next()) {
        auto view = UnpackView(q.value(1).toByteArray());
        if (!view) {
            if (error) *error = QStringLiteral("A view of the recording is damaged");
            break;
        }
        view->utcMs = q.value(0).toLongLong();
        views.push_back(*view);
    }
    return views;
}

std::vector<RecordedEvent> RecordingReader::Events(qint64 fromUtcMs, qint64 toUtcMs, QString* error) {
    std::vector<RecordedEvent> events;
    if (!m_open) return events;
    QSqlDatabase db = Database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const bool prepared = q.prepare(
        QStringLiteral("SELECT id, utc_ms, utc_offset_s, kind, trace, frequency_mhz, level, boundary, "
                       "margin_db, ended_utc_ms, text FROM events WHERE utc_ms BETWEEN ? AND ? "
                       "ORDER BY id"));
    q.addBindValue(fromUtcMs);
    q.addBindValue(toUtcMs);
    if (!prepared || !q.exec()) {
        if (error) *error = q.lastError().text();
        return events;
    }
    const auto number = [&q](int column) {
        return q.value(column).isNull() ? std::nullopt : std::optional<double>(q.value(column).toDouble());
    };
    while (q.next()) {
        RecordedEvent e;
        e.id = q.value(0).toLongLong();
        e.utcMs = q.value(1).toLongLong();
        e.utcOffsetS = q.value(2).toInt();
        e.kind = q.value(3).toString();
        e.trace = RecordedTraceOfName(q.value(4).toString());
        e.frequencyMHz = number(5);
        e.level = number(6);
        e.boundary = number(7);
        e.marginDb = number(8);
        if (!q.value(9).isNull()) e.endedUtcMs = q.value(9).toLongLong();
        e.text = q.value(10).toString();
        events.push_back(std::move(e));
    }
    return events;
}

}  // namespace tk
