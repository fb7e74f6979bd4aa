#pragma once

// The waterfall's pure parts: the kept history of the actual trace, the colour map, and the columns that line
// up with the spectrum graph's frequency axis. The window in src/ui only paints what these compute.

#include <QRgb>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "MeasurementModel.h"

namespace tk {

constexpr int WATERFALL_DEFAULT_ROWS = 600;
constexpr int WATERFALL_MAX_ROWS = 10000;
constexpr int WATERFALL_COLOURS = 256;

// The graph's horizontal user range: the level labels left of x = 0, the plot 0..4000, a margin to 4200.
// The waterfall maps the same range onto its width, so that a column sits under the graph's x of the same
// frequency when both windows are equally wide; its time labels take the level labels' margin.
constexpr double WATERFALL_X_LEFT = -310.0;
constexpr double WATERFALL_X_RIGHT = 4200.0;

// The colour map: 256 steps along viridis' control colours from dark violet (0x440154) to yellow (0xfde725),
// laid out in CIELAB so that every step is the same perceived distance from the next.
const std::array<QRgb, WATERFALL_COLOURS>& WaterfallColourMap();
// The map entry of a raw level within rawMin..rawMax: the range cut into 256 equal slices, levels outside it
// held at the ends. An empty or reversed range gives the first entry.
int WaterfallColourIndex(double raw, double rawMin, double rawMax);

// What sets a history apart: rows of another resolution, centre or scan width would not line up.
struct WaterfallKey {
    int resolution = 0;
    float centerFreq = 0.0f;
    float scanWidth = 0.0f;
    bool operator==(const WaterfallKey&) const = default;
};
WaterfallKey WaterfallKeyOf(const MeasurementSettings& settings);

// The frequency scale under the waterfall: the graph's eleven division lines, each at the column where the
// graph draws it when both windows are equally wide, with the graph's own label text ("12.50").
struct WaterfallTick {
    int column = 0;
    QString text;
};
std::vector<WaterfallTick> WaterfallFrequencyTicks(const WaterfallKey& key, int width);

// The rows of the actual trace, newest first, in a ring of a fixed number of rows: storage is taken when a
// history starts and never grows while it runs.
class WaterfallHistory {
public:
    enum class Added { Row, FirstRow, NewHistory };

    explicit WaterfallHistory(int capacity = WATERFALL_DEFAULT_ROWS);

    int capacity() const { return m_capacity; }
    // 1..WATERFALL_MAX_ROWS; the newest rows that fit are kept.
    void setCapacity(int rows);

    // The current sweep of traceActual (points 0..4000 / resolution), read at `time`, as the newest row.
    // Settings that differ from the history's start a new one.
    Added AddRow(const MeasurementModel& model, double time);
    void Clear();

    int rowCount() const { return m_count; }
    int points() const { return m_points; }
    const std::optional<WaterfallKey>& key() const { return m_key; }
    // Age 0 is the newest row.
    std::span<const std::int16_t> row(int age) const;
    double time(int age) const;
    std::size_t storageBytes() const {
        return m_levels.capacity() * sizeof(std::int16_t) + m_times.capacity() * sizeof(double);
    }

private:
    int slotOf(int age) const;

    int m_capacity;
    int m_points = 0;
    int m_head = 0;  // the slot of the newest row
    int m_count = 0;
    std::optional<WaterfallKey> m_key;
    std::vector<std::int16_t> m_levels;
    std::vector<double> m_times;
};

// Which sweep points each pixel column of a waterfall `width` pixels wide shows: the points the graph draws
// in that column (the column's highest level is shown, so a narrow carrier is never lost between points),
// or, where the graph's points are further apart than a pixel, the nearest point.
struct WaterfallColumns {
    int firstColumn = 0;  // the column of point 0 (x = 0)
    std::vector<int> firstPoint;
    std::vector<int> lastPoint;
    int count() const { return static_cast<int>(firstPoint.size()); }
};
WaterfallColumns WaterfallColumnsFor(int width, int points, int resolution);
// The pixel column of user x, rounded as the graph's picture rounds it.
int WaterfallColumnOfX(double x, int width);

// The point that a column shows of a row: the highest of its points (the first of equals). -1 outside.
int WaterfallPointAt(const WaterfallColumns& columns, int column, std::span<const std::int16_t> row);

// One row of pixels, pixel c of `line` for column c, from the row's levels; columns outside the plot are
// left as they are.
void DrawWaterfallRow(QRgb* line, int width, const WaterfallColumns& columns,
                      std::span<const std::int16_t> row, double rawMin, double rawMax);

// The time of day "hh:mm:ss" of a time on the clock's scale (seconds since the start of the day it began).
QString WaterfallTimeText(double time);

// Raw level of a level in the display unit, the inverse of the level conversion.
double RawOfLevel(const MeasurementSettings& settings, double level);

}  // namespace tk
