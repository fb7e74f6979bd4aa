#include "TableExport.h"

#include "FieldIo.h"
#include "Format.h"
#include "Units.h"

namespace tk {

QByteArray TableText(const MeasurementModel& model, int unit) {
    const MeasurementSettings& s = model.settings;
    const int points = StoredPoints(s.resolution);
    // The step and start of the frequencies and the level factor are single-precision values.
    const auto freqStep =
        static_cast<float>(static_cast<double>(s.scanWidth) / (4000.0 / (s.resolution * 10)));
    const float freqStart = s.centerFreq - 5.0f * s.scanWidth;
    const auto offset = static_cast<float>(LevelOffset(s, unit));

    const QString u = QStringLiteral(" in ") + UnitText(s, unit);
    QString text = QStringLiteral("Frequenz in MHz\tActual") + u + QStringLiteral("\tAverage") + u +
                   QStringLiteral("\tPeak") + u + QStringLiteral("\r\n");
    text.reserve(text.size() + points * 32);
    const auto level = [&](const TraceArray& trace, int i) {
        const float value = static_cast<float>(trace[static_cast<std::size_t>(i)]) * DB_PER_RAW_SINGLE +
                            offset + s.attenuation;
        return FormatNumber(value, u"000.0");
    };
    for (int i = 0; i < points; ++i) {
        const float freq = freqStep * static_cast<float>(i) + freqStart;
        text += FormatNumber(freq, u"0000.000") + u'\t' + level(model.traceActual, i) + u'\t' +
                level(model.traceAverage, i) + u'\t' + level(model.tracePeak, i) + QStringLiteral("\r\n");
    }
    return text.toLatin1();
}

}  // namespace tk
