#include "MeasurementCsv.h"

#include <charconv>

#include "FieldIo.h"
#include "Units.h"

namespace tk {

QString CsvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')) return text;
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString ShortestFloat(float value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return QString::fromLatin1(buf, end - buf);
}

QByteArray MeasurementCsv(const MeasurementModel& model, int unit) {
    const MeasurementSettings& s = model.settings;
    const QString u = UnitText(s, unit);
    QString text = QStringLiteral("Frequency (MHz),") + CsvField(QStringLiteral("Actual (%1)").arg(u)) +
                   u',' + CsvField(QStringLiteral("Average (%1)").arg(u)) + u',' +
                   CsvField(QStringLiteral("Peak (%1)").arg(u)) + u'\n';
    // A raw step is 80/255 dB: two decimals tell every stored level apart.
    const auto level = [&](const TraceArray& trace, int i) {
        return QString::number(LevelInUnit(s, trace[static_cast<std::size_t>(i)], unit), 'f', 2);
    };
    const int points = StoredPoints(s.resolution);
    for (int i = 1; i <= points; ++i) {
        text += ShortestFloat(FrequencyOfPoint(s, i)) + u',' + level(model.traceActual, i) + u',' +
                level(model.traceAverage, i) + u',' + level(model.tracePeak, i) + u'\n';
    }
    return text.toUtf8();
}

std::optional<int> UnitOfName(const QString& name) {
    const QString n = name.toLower();
    if (n == QStringLiteral("dbpw")) return UNIT_DBPW;
    if (n == QStringLiteral("dbm")) return UNIT_DBM;
    if (n == QStringLiteral("dbuv")) return UNIT_DBUV;
    if (n == QStringLiteral("user")) return UNIT_USER;
    return std::nullopt;
}

}  // namespace tk
