#include "PointLists.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "BoundaryLevels.h"
#include "Format.h"
#include "Units.h"

namespace tk {
namespace {

constexpr int ROWS_BEFORE = 5;
const QString LINE_END = QStringLiteral("\r\n");

// N = 4000 / resolution, the points of a sweep.
double SweepPoints(int resolution) {
    return 4000.0 / resolution;
}

QString Prefix(int row) {
    if (row == 0) return QStringLiteral("  ");
    if (row == ROWS_BEFORE) return QStringLiteral("->");
    return QStringLiteral("   ");
}

// Rows i = m-5 .. m+5 around the marked point m = p + 5: an empty line for a negative index, the end of the
// text after the sweep's last point, otherwise prefix, frequency, " - " and what body() gives for i.
QString Rows(const MeasurementModel& model, int p, const std::function<QString(int, float)>& body) {
    const MeasurementSettings& s = model.settings;
    if (s.resolution <= 0) return {};
    const double n = SweepPoints(s.resolution);
    const int m = p + ROWS_BEFORE;
    QString text;
    for (int row = 0; row <= 2 * ROWS_BEFORE; ++row) {
        const int i = m - ROWS_BEFORE + row;
        if (i < 0) {
            text += LINE_END;
            continue;
        }
        if (i > n - 1 || i > TRACE_LAST_INDEX) break;
        const float f = FrequencyOfPoint(s, i);
        text +=
            Prefix(row) + FormatNumber(f, u"0000.000 MHz") + QStringLiteral(" - ") + body(i, f) + LINE_END;
    }
    return text;
}

QString Entry(const char* name, const QString& value) {
    return QString::fromLatin1(name) + QStringLiteral(": ") + value;
}

}  // namespace

int ListScrollMaximum(int resolution) {
    if (resolution <= 0) return LIST_SCROLL_MINIMUM;
    return static_cast<int>(RoundHalfEven(SweepPoints(resolution) - 6.0));
}

int PointAtX(double x, int resolution) {
    if (resolution <= 0) return 0;
    const double last = SweepPoints(resolution) - 1.0;
    return static_cast<int>(std::clamp(RoundHalfEven(x / resolution), 0.0, last));
}

std::int16_t ListCursorX(int p, int resolution) {
    const long x = static_cast<long>(p + ROWS_BEFORE) * resolution;
    if (x > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (x < std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(x);
}

void ChooseListUnit(std::array<VbBool, 4>& units, int unit) {
    for (std::size_t k = 0; k < units.size(); ++k) units[k] = static_cast<int>(k) == unit;
}

std::optional<int> ChosenListUnit(const std::array<VbBool, 4>& units) {
    for (int unit : {UNIT_DBM, UNIT_DBUV, UNIT_DBPW, UNIT_USER})
        if (units[static_cast<std::size_t>(unit)]) return unit;
    return std::nullopt;
}

QString ListValueText(const MeasurementSettings& s, double value, int unit) {
    const QString text = FormatNumber(value, LevelPattern(s, unit));
    // The user unit's name follows the number, so that letters in it are never taken as format characters.
    return unit == UNIT_USER ? text + UnitText(s, unit) : text;
}

QString LimitFiller(const MeasurementSettings& s, int unit) {
    if (unit == UNIT_USER) return QString(12 + s.userUnitName.trimmed().size(), QLatin1Char(' '));
    return QString(16, QLatin1Char(' '));
}

QString LevelWindowText(const MeasurementModel& model, int p) {
    const std::optional<int> unit = ChosenListUnit(model.levelWindowUnit);
    if (!unit) return {};
    const MeasurementSettings& s = model.settings;
    return Rows(model, p, [&](int i, float) {
        const auto value = [&](const TraceArray& t) {
            return FormatLevel(s, t[static_cast<std::size_t>(i)], *unit);
        };
        return Entry("Ac", value(model.traceActual)) + QStringLiteral("  ") +
               Entry("Av", value(model.traceAverage)) + QStringLiteral("  ") +
               Entry("Pk", value(model.tracePeak));
    });
}

QString ViolationListText(const MeasurementModel& model, int p) {
    const std::optional<int> unit = ChosenListUnit(model.limitListUnit);
    if (!unit) return {};
    const MeasurementSettings& s = model.settings;
    const QString filler = LimitFiller(s, *unit);
    return Rows(model, p, [&](int i, float f) {
        const BoundaryLevels levels = BoundaryLevelsAt(model, f);
        // The trace's level in dBm, in single precision, and then in the list's unit.
        const auto dbm = [&](const TraceArray& t) {
            return ToSingle(RawToDb(t[static_cast<std::size_t>(i)]) - 107.0 + s.attenuation);
        };
        const auto value = [&](float level) {
            return ListValueText(s, static_cast<double>(level) + LevelOffset(s, *unit) + 107.0, *unit);
        };
        const float actual = dbm(model.traceActual);
        const float average = dbm(model.traceAverage);
        const float peak = dbm(model.tracePeak);
        QString body;
        body +=
            ReachesBoundary(actual, levels.boundaryLevelActual) ? Entry("Ac", value(actual)) + "  " : filler;
        body += ReachesBoundary(average, levels.boundaryLevelAverage) ? Entry("Av", value(average)) + "  "
                                                                      : filler;
        if (ReachesBoundary(peak, levels.boundaryLevelPeak)) body += Entry("Pk", value(peak));
        return body;
    });
}

}  // namespace tk
