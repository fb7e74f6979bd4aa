#include "RecordingConvert.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "MeasurementCsv.h"
#include "Units.h"

namespace tk {
namespace {

const char* const BANDWIDTHS[] = {"9 kHz", "20 kHz", "120 kHz", "400 kHz"};

QString BandwidthText(int index) {
    return index >= 0 && index < 4 ? QString::fromLatin1(BANDWIDTHS[index]) : QString::number(index);
}

// The read's settings in a model, for the unit conversions.
MeasurementSettings SettingsOf(const RecordedRead& read) {
    MeasurementModel m;
    PutReadIntoModel(read, m);
    return m.settings;
}

}  // namespace

QString RecordedTimeText(qint64 utcMs, int utcOffsetS) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::OffsetFromUTC, utcOffsetS).toString(Qt::ISODateWithMs);
}

std::optional<qint64> ParseRecordingTime(const QString& text) {
    QDateTime t = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!t.isValid()) t = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (!t.isValid()) return std::nullopt;
    return t.toMSecsSinceEpoch();
}

QByteArray RecordingCsv(const std::vector<RecordedRead>& reads, bool header) {
    QString text;
    if (header)
        text = QStringLiteral(
            "Time,Trace,Center (MHz),Scan width (MHz),Resolution,Unit,Attenuation (dB),Noise suppression (dB),"
            "Bandwidth,Video filter,Correction,Correction curve,Levels\n");
    for (const RecordedRead& r : reads) {
        const MeasurementSettings s = SettingsOf(r);
        const RecordedSettings& rs = r.settings;
        QStringList fields{RecordedTimeText(r.utcMs, r.utcOffsetS),
                           RecordedTraceName(r.trace),
                           ShortestFloat(rs.centerFreq),
                           ShortestFloat(rs.scanWidth),
                           QString::number(rs.resolution),
                           CsvField(UnitText(s, s.levelUnit)),
                           ShortestFloat(rs.attenuation),
                           ShortestFloat(rs.noiseSuppression),
                           BandwidthText(rs.bandwidthIndex),
                           QString::number(rs.videoFilterOn),
                           QString::number(int(rs.calibrationOn)),
                           CsvField(rs.calibrationCurve)};
        for (std::int16_t raw : r.levels) fields << QString::number(LevelInUnit(s, raw, s.levelUnit), 'f', 2);
        text += fields.join(u',') + u'\n';
    }
    return text.toUtf8();
}

QByteArray RecordingJson(const std::vector<RecordedRead>& reads, const std::vector<RecordedEvent>& events) {
    QJsonArray out;
    for (const RecordedRead& r : reads) {
        const RecordedSettings& s = r.settings;
        QJsonArray levels;
        for (std::int16_t raw : r.levels) levels.append(raw);
        out.append(QJsonObject{
            {QStringLiteral("id"), r.id},
            {QStringLiteral("time"), RecordedTimeText(r.utcMs, r.utcOffsetS)},
            {QStringLiteral("trace"), RecordedTraceName(r.trace)},
            {QStringLiteral("centerFreq"), double(s.centerFreq)},
            {QStringLiteral("scanWidth"), double(s.scanWidth)},
            {QStringLiteral("resolution"), s.resolution},
            {QStringLiteral("levelUnit"), s.levelUnit},
            {QStringLiteral("userUnitName"), s.userUnitName},
            {QStringLiteral("userUnitOffset"), double(s.userUnitOffset)},
            {QStringLiteral("bandwidthIndex"), s.bandwidthIndex},
            {QStringLiteral("videoFilterOn"), s.videoFilterOn},
            {QStringLiteral("attenuation"), double(s.attenuation)},
            {QStringLiteral("noiseSuppression"), double(s.noiseSuppression)},
            {QStringLiteral("calibrationOn"), s.calibrationOn},
            {QStringLiteral("calibrationCurve"), s.calibrationCurve},
            {QStringLiteral("rawLevels"), levels},
        });
    }
    QJsonArray happened;
    for (const RecordedEvent& e : events) {
        QJsonObject o{{QStringLiteral("id"), e.id},
                      {QStringLiteral("time"), RecordedTimeText(e.utcMs, e.utcOffsetS)},
                      {QStringLiteral("kind"), e.kind}};
        if (e.trace) o.insert(QStringLiteral("trace"), RecordedTraceName(*e.trace));
        const std::pair<const char*, const std::optional<double>&> numbers[] = {
            {"frequencyMHz", e.frequencyMHz},
            {"level", e.level},
            {"boundary", e.boundary},
            {"marginDb", e.marginDb}};
        for (const auto& [name, value] : numbers)
            if (value) o.insert(QLatin1String(name), *value);
        if (e.endedUtcMs) o.insert(QStringLiteral("ended"), RecordedTimeText(*e.endedUtcMs, e.utcOffsetS));
        if (!e.text.isEmpty()) o.insert(QStringLiteral("text"), e.text);
        happened.append(o);
    }
    const QJsonObject root{{QStringLiteral("file"), QStringLiteral("recording")},
                           {QStringLiteral("schema"), RECORDING_SCHEMA},
                           {QStringLiteral("reads"), out},
                           {QStringLiteral("events"), happened}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace tk
