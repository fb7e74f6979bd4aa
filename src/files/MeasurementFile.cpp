#include "MeasurementFile.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <optional>

#include "BoundariesFile.h"
#include "FieldIo.h"
#include "UnitHeader.h"

namespace tk {
namespace {

enum Version { Mes0, Mes1, Mes2, Mes3, Mes4, Mes5 };
const std::array<QByteArray, 6> kTags{"mes  ", "mes1 ", "mes2 ", "mes3 ", "mes4 ", "mes5 "};

constexpr int COMPARISON_POINTS = 4000;
constexpr qsizetype TAG_SIZE = 5;
constexpr qsizetype UNIT_FIELDS_SIZE = 2 + 30 + 4;

// Where the common part begins, found without reading anything into the model; nothing when a "mes1 "
// name has no end.
std::optional<qsizetype> CommonPartOffset(Version version, const QByteArray& bytes) {
    switch (version) {
        case Mes0:
            return TAG_SIZE;
        case Mes1: {
            const qsizetype zero = bytes.indexOf('\0', TAG_SIZE + 2);
            if (zero < 0) return std::nullopt;
            return zero + 4;
        }
        case Mes2:
            return TAG_SIZE + UNIT_FIELDS_SIZE;
        case Mes3:
            return TAG_SIZE + COMPARISON_POINTS + 2 + UNIT_FIELDS_SIZE;
        case Mes4:
            return TAG_SIZE + 2 * COMPARISON_POINTS + 2 + UNIT_FIELDS_SIZE;
        case Mes5:
            return TAG_SIZE + 2 * COMPARISON_POINTS + 2 + UNIT_FIELDS_SIZE + 4;
    }
    return std::nullopt;
}

// The stored resolution decides how many points the loader walks; a value no sweep has (only a damaged
// file holds one) would walk the wrong count, so the file is refused as a whole.
bool HasUsableResolution(Version version, const QByteArray& bytes) {
    const std::optional<qsizetype> at = CommonPartOffset(version, bytes);
    if (!at || bytes.size() < *at + 2) return true;  // the file ends before it: a short read, found later
    return ValidResolution(qFromLittleEndian<std::int16_t>(bytes.constData() + *at));
}

template <typename Value>
void ReadComparison(ByteReader& reader, MeasurementModel& model) {
    // A shown comparison curve stays; the stored one is passed over.
    for (std::size_t i = 1; i <= COMPARISON_POINTS; ++i) {
        Value v{};
        if (!reader.read(v)) return;
        if (!model.showComparison) model.traceComparison[i] = static_cast<std::int16_t>(v);
    }
}

// The file holds points 1..points. The graph's line starts at point 0, which a read fills and a file does
// not: it takes point 1's level, so that a loaded trace is drawn the same whatever the model held before
// (in a fresh model it would fall to the baseline at the sweep's start).
void ReadTrace(ByteReader& reader, int points, bool keep, TraceArray& trace) {
    for (std::size_t i = 1; i <= static_cast<std::size_t>(points); ++i) {
        std::int16_t v = 0;
        if (!reader.read(v)) return;
        if (keep) trace[i] = v;
        if (keep && i == 1) trace[0] = v;
    }
}

}  // namespace

LoadResult ReadMeasurement(const QByteArray& bytes, MeasurementModel& model) {
    ByteReader reader(bytes);
    QByteArray tag;
    if (!reader.readBytes(TAG_SIZE, tag)) return LoadResult::Refused;
    const auto known = std::find(kTags.begin(), kTags.end(), tag);
    if (known == kTags.end()) return LoadResult::Refused;
    const auto version = static_cast<Version>(known - kTags.begin());
    if (!HasUsableResolution(version, bytes)) return LoadResult::Refused;

    MeasurementSettings& s = model.settings;
    FieldReader io{reader};
    switch (version) {
        case Mes0:
            break;
        case Mes1:
            ReadBareUnitFields(io, s);
            break;
        case Mes2:
            UnitFields(io, s);
            break;
        case Mes3:
        case Mes4:
        case Mes5:
            if (version == Mes3)
                ReadComparison<std::uint8_t>(reader, model);
            else
                ReadComparison<std::int16_t>(reader, model);
            io(model.showComparison);
            UnitFields(io, s);
            if (version == Mes5) {
                io(Checked{s.bandwidthIndex, ValidBandwidthIndex});
                io(s.videoFilterOn);
            }
            break;
    }

    io(Checked{s.resolution, ValidResolution});
    const int points = StoredPoints(s.resolution);
    ReadTrace(reader, points, s.showActual, model.traceActual);
    ReadTrace(reader, points, s.showAverage, model.traceAverage);
    ReadTrace(reader, points, s.showPeak, model.tracePeak);
    ReadBoundaryGroups(reader, model);
    io(s.noiseSuppression);
    io(s.attenuation);
    io(s.centerFreq);
    io(s.scanWidth);
    io(model.readDate);
    io(model.timeActual);
    io(model.timePeak);
    io(model.timeAverage);
    io(s.limitActual);
    io(s.limitPeak);
    io(s.limitAverage);
    return reader.ok() && !io.outOfRange ? LoadResult::Loaded : LoadResult::Incomplete;
}

QByteArray WriteMeasurement(const MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    ByteWriter w;
    w.writeBytes(kTags[Mes5]);
    for (std::size_t i = 1; i <= COMPARISON_POINTS; ++i) w.write(model.traceComparison[i]);
    w.write(model.showComparison);
    w.write(s.levelUnit);
    w.write(s.userUnitName);
    w.write(s.userUnitOffset);
    w.write(s.bandwidthIndex);
    w.write(s.videoFilterOn);
    w.write(s.resolution);
    const auto points = static_cast<std::size_t>(StoredPoints(s.resolution));
    for (const TraceArray* trace : {&model.traceActual, &model.traceAverage, &model.tracePeak})
        for (std::size_t i = 1; i <= points; ++i) w.write((*trace)[i]);
    WriteBoundaryGroups(w, model);
    w.write(s.noiseSuppression);
    w.write(s.attenuation);
    w.write(s.centerFreq);
    w.write(s.scanWidth);
    w.write(model.readDate);
    w.write(model.timeActual);
    w.write(model.timePeak);
    w.write(model.timeAverage);
    w.write(s.limitActual);
    w.write(s.limitPeak);
    w.write(s.limitAverage);
    return w.bytes();
}

QString MeasurementCaption(const QString& fileName, const MeasurementModel& model) {
    return QFileInfo(fileName).fileName() + QStringLiteral(" | ") + model.readDate.text() +
           QStringLiteral(" | ") + QStringLiteral("Actual").left(2) + QStringLiteral(": ") +
           model.timeActual.text() + QStringLiteral("Average").left(2) + QStringLiteral(": ") +
           model.timeAverage.text() + QStringLiteral("Peak").left(2) + QStringLiteral(": ") +
           model.timePeak.text();
}

}  // namespace tk
