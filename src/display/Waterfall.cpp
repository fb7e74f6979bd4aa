#include "Waterfall.h"

#include <algorithm>
#include <cmath>

#include "Format.h"
#include "GraphDrawing.h"
#include "Units.h"

namespace tk {
namespace {

struct Lab {
    double l, a, b;
};

double Linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Gamma(double c) {
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

// CIE 1976 L*a*b* under D65, from and to 8-bit sRGB.
constexpr double WX = 0.95047, WY = 1.0, WZ = 1.08883;
double F(double t) {
    return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
}
double FInverse(double t) {
    return t * t * t > 216.0 / 24389.0 ? t * t * t : (116.0 * t - 16.0) * 27.0 / 24389.0;
}

Lab ToLab(QRgb rgb) {
    const double r = Linear(qRed(rgb) / 255.0), g = Linear(qGreen(rgb) / 255.0),
                 b = Linear(qBlue(rgb) / 255.0);
    const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
    const double fx = F(x / WX), fy = F(y / WY), fz = F(z / WZ);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

QRgb ToRgb(const Lab& lab) {
    const double fy = (lab.l + 16.0) / 116.0;
    const double x = WX * FInverse(fy + lab.a / 500.0), y = WY * FInverse(fy),
                 z = WZ * FInverse(fy - lab.b / 200.0);
    const double r = 3.2404542 * x - 1.5371385 * y - 0.4985314 * z;
    const double g = -0.9692660 * x + 1.8760108 * y + 0.0415560 * z;
    const double b = 0.0556434 * x - 0.2040259 * y + 1.0572252 * z;
    const auto byte = [](double c) {
        return static_cast<int>(std::lround(std::clamp(Gamma(c), 0.0, 1.0) * 255.0));
    };
    return qRgb(byte(r), byte(g), byte(b));
}

double Distance(const Lab& p, const Lab& q) {
    return std::hypot(p.l - q.l, p.a - q.a, p.b - q.b);
}

std::array<QRgb, WATERFALL_COLOURS> MakeColourMap() {
    // viridis at 0, 1/4, 1/2, 3/4 and 1.
    const QRgb control[] = {0x440154, 0x3b528b, 0x21918c, 0x5ec962, 0xfde725};
    Lab lab[5];
    double along[5] = {0.0};
    for (int k = 0; k < 5; ++k) {
        lab[k] = ToLab(control[k]);
        if (k > 0) along[k] = along[k - 1] + Distance(lab[k - 1], lab[k]);
    }
    std::array<QRgb, WATERFALL_COLOURS> map{};
    for (int i = 0; i < WATERFALL_COLOURS; ++i) {
        const double s = along[4] * i / (WATERFALL_COLOURS - 1);
        int k = 0;
        while (k < 3 && s > along[k + 1]) ++k;
        const double t = (s - along[k]) / (along[k + 1] - along[k]);
        map[static_cast<std::size_t>(i)] =
            ToRgb({lab[k].l + t * (lab[k + 1].l - lab[k].l), lab[k].a + t * (lab[k + 1].a - lab[k].a),
                   lab[k].b + t * (lab[k + 1].b - lab[k].b)});
    }
    return map;
}

}  // namespace

const std::array<QRgb, WATERFALL_COLOURS>& WaterfallColourMap() {
    static const std::array<QRgb, WATERFALL_COLOURS> map = MakeColourMap();
    return map;
}

int WaterfallColourIndex(double raw, double rawMin, double rawMax) {
    if (!(rawMax > rawMin)) return 0;
    const double slice = std::floor((raw - rawMin) * WATERFALL_COLOURS / (rawMax - rawMin));
    return static_cast<int>(std::clamp(slice, 0.0, static_cast<double>(WATERFALL_COLOURS - 1)));
}

WaterfallKey WaterfallKeyOf(const MeasurementSettings& settings) {
    return {settings.resolution, settings.centerFreq, settings.scanWidth};
}

WaterfallHistory::WaterfallHistory(int capacity) : m_capacity(std::clamp(capacity, 1, WATERFALL_MAX_ROWS)) {}

int WaterfallHistory::slotOf(int age) const {
    return (m_head - age + m_capacity) % m_capacity;
}

void WaterfallHistory::setCapacity(int rows) {
    rows = std::clamp(rows, 1, WATERFALL_MAX_ROWS);
    if (rows == m_capacity) return;
    const int kept = std::min(m_count, rows);
    std::vector<std::int16_t> levels;
    std::vector<double> times;
    if (m_points > 0) {
        levels.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(m_points));
        times.resize(static_cast<std::size_t>(rows));
    }
    // Oldest kept row in slot 0, the newest in slot kept - 1.
    for (int slot = 0; slot < kept; ++slot) {
        const int age = kept - 1 - slot;
        const auto source = row(age);
        std::copy(source.begin(), source.end(),
                  levels.begin() + static_cast<std::ptrdiff_t>(slot) * m_points);
        times[static_cast<std::size_t>(slot)] = time(age);
    }
    m_levels = std::move(levels);
    m_times = std::move(times);
    m_capacity = rows;
    m_count = kept;
    m_head = kept > 0 ? kept - 1 : 0;
}

WaterfallHistory::Added WaterfallHistory::AddRow(const MeasurementModel& model, double time) {
    const WaterfallKey key = WaterfallKeyOf(model.settings);
    Added added = Added::Row;
    if (!m_key || !(*m_key == key)) {
        added = m_key ? Added::NewHistory : Added::FirstRow;
        m_key = key;
        m_points = std::clamp(PointsWalked(key.resolution), 1, TRACE_SIZE);
        // Taken once per history; an assign to the same size keeps the storage it has.
        m_levels.assign(static_cast<std::size_t>(m_capacity) * static_cast<std::size_t>(m_points), 0);
        m_times.assign(static_cast<std::size_t>(m_capacity), 0.0);
        m_count = 0;
        m_head = m_capacity - 1;
    }
    m_head = (m_head + 1) % m_capacity;
    std::copy_n(model.traceActual.begin(), m_points,
                m_levels.begin() + static_cast<std::ptrdiff_t>(m_head) * m_points);
    m_times[static_cast<std::size_t>(m_head)] = time;
    m_count = std::min(m_count + 1, m_capacity);
    return added;
}

void WaterfallHistory::Clear() {
    m_count = 0;
}

std::span<const std::int16_t> WaterfallHistory::row(int age) const {
    const std::size_t start = static_cast<std::size_t>(slotOf(age)) * static_cast<std::size_t>(m_points);
    return {m_levels.data() + start, static_cast<std::size_t>(m_points)};
}

double WaterfallHistory::time(int age) const {
    return m_times[static_cast<std::size_t>(slotOf(age))];
}

int WaterfallColumnOfX(double x, int width) {
    return static_cast<int>(
        std::lround((x - WATERFALL_X_LEFT) * width / (WATERFALL_X_RIGHT - WATERFALL_X_LEFT)));
}

WaterfallColumns WaterfallColumnsFor(int width, int points, int resolution) {
    WaterfallColumns columns;
    if (width < 1 || points < 1 || resolution < 1) return columns;
    columns.firstColumn = WaterfallColumnOfX(0.0, width);
    const int lastColumn =
        std::min(WaterfallColumnOfX(static_cast<double>(points - 1) * resolution, width), width - 1);
    const int n = std::max(0, lastColumn - columns.firstColumn + 1);
    columns.firstPoint.assign(static_cast<std::size_t>(n), -1);
    columns.lastPoint.assign(static_cast<std::size_t>(n), -1);
    for (int i = 0; i < points; ++i) {
        const int c = WaterfallColumnOfX(static_cast<double>(i) * resolution, width) - columns.firstColumn;
        if (c < 0 || c >= n) continue;
        auto& first = columns.firstPoint[static_cast<std::size_t>(c)];
        if (first < 0) first = i;
        columns.lastPoint[static_cast<std::size_t>(c)] = i;
    }
    const double unitsPerPixel = (WATERFALL_X_RIGHT - WATERFALL_X_LEFT) / width;
    for (int c = 0; c < n; ++c) {
        auto& first = columns.firstPoint[static_cast<std::size_t>(c)];
        if (first >= 0) continue;
        const double x = (c + columns.firstColumn) * unitsPerPixel + WATERFALL_X_LEFT;
        first = std::clamp(static_cast<int>(std::lround(x / resolution)), 0, points - 1);
        columns.lastPoint[static_cast<std::size_t>(c)] = first;
    }
    return columns;
}

int WaterfallPointAt(const WaterfallColumns& columns, int column, std::span<const std::int16_t> row) {
    const int c = column - columns.firstColumn;
    if (c < 0 || c >= columns.count()) return -1;
    const int first = columns.firstPoint[static_cast<std::size_t>(c)];
    const int last =
        std::min(columns.lastPoint[static_cast<std::size_t>(c)], static_cast<int>(row.size()) - 1);
    if (first > last) return -1;
    int best = first;
    for (int i = first + 1; i <= last; ++i)
        if (row[static_cast<std::size_t>(i)] > row[static_cast<std::size_t>(best)]) best = i;
    return best;
}

void DrawWaterfallRow(QRgb* line, int width, const WaterfallColumns& columns,
                      std::span<const std::int16_t> row, double rawMin, double rawMax) {
    const auto& map = WaterfallColourMap();
    const int n = std::min(columns.count(), width - columns.firstColumn);
    const int size = static_cast<int>(row.size());
    const double scale = rawMax > rawMin ? WATERFALL_COLOURS / (rawMax - rawMin) : 0.0;
    for (int c = std::max(0, -columns.firstColumn); c < n; ++c) {
        const int first = columns.firstPoint[static_cast<std::size_t>(c)];
        const int last = std::min(columns.lastPoint[static_cast<std::size_t>(c)], size - 1);
        if (first > last) continue;
        std::int16_t top = row[static_cast<std::size_t>(first)];
        for (int i = first + 1; i <= last; ++i) top = std::max(top, row[static_cast<std::size_t>(i)]);
        const double slice = std::floor((top - rawMin) * scale);
        const int index =
            static_cast<int>(std::clamp(slice, 0.0, static_cast<double>(WATERFALL_COLOURS - 1)));
        line[c + columns.firstColumn] = map[static_cast<std::size_t>(index)];
    }
}

QString WaterfallTimeText(double time) {
    const long s = static_cast<long>(std::floor(time)) % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

double RawOfLevel(const MeasurementSettings& settings, double level) {
    return DbToRaw(level - LevelInUnit(settings, 0.0, settings.levelUnit));
}

std::vector<WaterfallTick> WaterfallFrequencyTicks(const WaterfallKey& key, int width) {
    std::vector<WaterfallTick> ticks;
    const float start = key.centerFreq - 5.0f * key.scanWidth;
    for (int k = 0; k <= 10; ++k)
        ticks.push_back({WaterfallColumnOfX(PLOT_X_DIVISION * k, width),
                         FormatNumber(start + static_cast<float>(k) * key.scanWidth, u"###0.00")});
    return ticks;
}

}  // namespace tk
