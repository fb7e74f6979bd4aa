#pragma once

#include <QString>
#include <array>
#include <optional>

#include "MeasurementModel.h"

namespace tk {

// One raw level unit is 80/255 dB. Each form keeps the order of operations, and so the rounding, that the
// program's levels, tables and files have always had.
constexpr double RawToDb(double raw) {
    return raw * 80.0 / 255.0;
}
constexpr double DbToRaw(double db) {
    return db * 255.0 / 80.0;
}
constexpr float DbToRawSingle(float db) {
    return db * 255.0f / 80.0f;
}
// The factor itself in single precision, for the tables and the correction run that multiply by it.
constexpr float DB_PER_RAW_SINGLE = 80.0f / 255.0f;

// MHz per division of the display setup's scan options, by index; index 10 is the zero scan.
inline constexpr std::array<float, 12> SCAN_WIDTHS{100.0f, 50.0f, 20.0f, 10.0f, 5.0f, 2.0f,
                                                   1.0f,   0.5f,  0.2f,  0.1f,  0.0f, 0.05f};
constexpr int ZERO_SCAN_INDEX = 10;

constexpr int UNIT_DBPW = 0;
constexpr int UNIT_DBM = 1;
constexpr int UNIT_DBUV = 2;
constexpr int UNIT_USER = 3;

// The distance of a unit's zero from 0 dBuV on the raw scale; unknown units count as dBuV.
double LevelOffset(const MeasurementSettings& s, int unit);
// "dBpW", "dBm", "dBuV", or the user unit's name without surrounding blanks.
QString UnitText(const MeasurementSettings& s, int unit);
// level = raw x 80/255 + the unit's offset + attenuation.
double LevelInUnit(const MeasurementSettings& s, double raw, int unit);
// The display pattern of a level in a unit, e.g. "0000.0 dBm;-000.0 dBm".
QString LevelPattern(const MeasurementSettings& s, int unit);
// A level formatted for display in the unit.
QString FormatLevel(const MeasurementSettings& s, double raw, int unit);

// Frequency in MHz of point i of a sweep at the current resolution, in single precision: start + i * step.
float FrequencyOfPoint(const MeasurementSettings& s, int i);
// Points walked by routines that go over a whole sweep: 4000 / resolution + 1.
int PointsWalked(int resolution);
// Blocks of 100 points that the interface sends per trace: 40 / resolution.
int BlocksPerTrace(int resolution);

// "bc".."bf" for resolutions 1, 2, 4, 8; nothing for other values.
std::optional<QByteArray> ResolutionCommand(int resolution);
// 2400, 9600, 19200, 38400, 115200 for baud index 1..5; nothing otherwise.
std::optional<int> BaudRateOfIndex(int baudIndex);
// "9600,N,8,1" for the rate of a baud index.
std::optional<QString> LineSettingsOfIndex(int baudIndex);

}  // namespace tk
