#include "Units.h"

#include <array>

#include "Format.h"

namespace tk {

double LevelOffset(const MeasurementSettings& s, int unit) {
    switch (unit) {
        case UNIT_DBPW:
            return -17.0;
        case UNIT_DBM:
            return -107.0;
        case UNIT_USER:
            return static_cast<double>(s.userUnitOffset);
        default:
            return 0.0;
    }
}

QString UnitText(const MeasurementSettings& s, int unit) {
    switch (unit) {
        case UNIT_DBPW:
            return QStringLiteral("dBpW");
        case UNIT_DBM:
            return QStringLiteral("dBm");
        case UNIT_USER:
            return s.userUnitName.trimmed();
        default:
            return QStringLiteral("dBuV");
    }
}

double LevelInUnit(const MeasurementSettings& s, double raw, int unit) {
    return RawToDb(raw) + LevelOffset(s, unit) + static_cast<double>(s.attenuation);
}

QString LevelPattern(const MeasurementSettings& s, int unit) {
    if (unit == UNIT_USER) return QStringLiteral("0000.0 ;-000.0 ");
    const QString u = UnitText(s, unit);
    return QStringLiteral("0000.0 %1;-000.0 %1").arg(u);
}

QString FormatLevel(const MeasurementSettings& s, double raw, int unit) {
    const QString text = FormatNumber(LevelInUnit(s, raw, unit), LevelPattern(s, unit));
    // The user unit's name is appended after the number, so that letters in it are never taken as
    // format characters.
    return unit == UNIT_USER ? text + UnitText(s, unit) : text;
}

float FrequencyOfPoint(const MeasurementSettings& s, int i) {
    const float start = s.centerFreq - 5.0f * s.scanWidth;
    const float step = s.scanWidth * static_cast<float>(s.resolution) * 10.0f / 4000.0f;
    return start + static_cast<float>(i) * step;
}

int PointsWalked(int resolution) {
    return resolution > 0 ? 4000 / resolution + 1 : 0;
}

int BlocksPerTrace(int resolution) {
    return resolution > 0 ? 40 / resolution : 0;
}

std::optional<QByteArray> ResolutionCommand(int resolution) {
    switch (resolution) {
        case 1:
            return QByteArray("bc");
        case 2:
            return QByteArray("bd");
        case 4:
            return QByteArray("be");
        case 8:
            return QByteArray("bf");
        default:
            return std::nullopt;
    }
}

std::optional<int> BaudRateOfIndex(int baudIndex) {
    static constexpr std::array<int, 5> rates{2400, 9600, 19200, 38400, 115200};
    if (baudIndex < 1 || baudIndex > 5) return std::nullopt;
    return rates[static_cast<std::size_t>(baudIndex - 1)];
}

std::optional<QString> LineSettingsOfIndex(int baudIndex) {
    const auto rate = BaudRateOfIndex(baudIndex);
    if (!rate) return std::nullopt;
    return QStringLiteral("%1,N,8,1").arg(*rate);
}

}  // namespace tk
