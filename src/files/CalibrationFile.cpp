#include "CalibrationFile.h"

#include <algorithm>

#include "ByteCodec.h"
#include "FileIO.h"

namespace tk {
namespace {

const QByteArray TAG_CURRENT = QByteArrayLiteral("eic1 ");
const QByteArray TAG_OLD = QByteArrayLiteral("eic  ");
constexpr int OLD_FILE_POINTS = 10;

// Reads up to count pairs; the count becomes the number of complete pairs, so that points of an earlier
// curve never stay behind a short file's new ones.
void ReadPairs(ByteReader& reader, CalibrationCurve& curve, int count) {
    int complete = 0;
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        float freq = 0.0f;
        float offset = 0.0f;
        if (!reader.read(freq) || !reader.read(offset)) break;
        curve.freqMHz[k] = freq;
        curve.offsetDb[k] = offset;
        complete = i + 1;
    }
    curve.pointCount = static_cast<std::int16_t>(complete);
}

}  // namespace

CalibrationLoad LoadCalibrationBytes(const QByteArray& bytes, CalibrationCurve& curve) {
    ByteReader reader(bytes);
    QByteArray tag;
    if (!reader.readBytes(5, tag)) return CalibrationLoad::CannotOpen;
    if (tag == TAG_OLD) {
        ReadPairs(reader, curve, OLD_FILE_POINTS);
    } else if (tag == TAG_CURRENT) {
        std::int16_t n = 0;
        // Without its count a file has given nothing: the curve stays as it was.
        if (!reader.read(n)) return CalibrationLoad::ShortRead;
        // A negative count is an empty curve.
        ReadPairs(reader, curve, std::clamp<int>(n, 0, CALIBRATION_FILE_MAX_POINTS));
    } else {
        return CalibrationLoad::UnknownTag;
    }
    return reader.ok() ? CalibrationLoad::Loaded : CalibrationLoad::ShortRead;
}

QByteArray CalibrationFileBytes(const CalibrationCurve& curve) {
    ByteWriter writer;
    writer.writeBytes(TAG_CURRENT);
    // A count outside the arrays is never written as pairs that are not there.
    const int n = std::clamp<int>(curve.pointCount, 0, static_cast<int>(curve.freqMHz.size()));
    writer.write(static_cast<std::int16_t>(n));
    for (int i = 0; i < n; ++i) {
        writer.write(curve.freqMHz[static_cast<std::size_t>(i)]);
        writer.write(curve.offsetDb[static_cast<std::size_t>(i)]);
    }
    return writer.bytes();
}

CalibrationLoad LoadCalibrationFile(const QString& path, CalibrationCurve& curve) {
    const auto bytes = ReadFileBytes(path, CALIBRATION_FILE_MAX_BYTES);
    if (!bytes) return CalibrationLoad::CannotOpen;
    return LoadCalibrationBytes(*bytes, curve);
}

bool SaveCalibrationFile(const QString& path, const CalibrationCurve& curve) {
    return WriteFileAtomically(path, CalibrationFileBytes(curve));
}

}  // namespace tk
