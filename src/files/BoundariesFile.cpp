#include "BoundariesFile.h"

#include <array>

namespace tk {
namespace {

constexpr std::size_t FILE_POINTS = 10;  // entry 10 of the lines is not stored

std::array<BoundaryLine*, 3> LinesOf(MeasurementModel& model) {
    return {&model.boundaryActual, &model.boundaryAverage, &model.boundaryPeak};
}

const QString FILE_HANDLING = QStringLiteral("File handling");

}  // namespace

bool ReadBoundaryGroups(ByteReader& reader, MeasurementModel& model) {
    for (std::size_t i = 0; i < FILE_POINTS; ++i) {
        for (BoundaryLine* line : LinesOf(model)) {
            reader.read(line->freqMHz[i]);
            reader.read(line->levelDbm[i]);
            reader.read(line->logSegment[i]);
        }
    }
    return reader.ok();
}

void WriteBoundaryGroups(ByteWriter& writer, const MeasurementModel& model) {
    for (std::size_t i = 0; i < FILE_POINTS; ++i) {
        for (const BoundaryLine* line :
             {&model.boundaryActual, &model.boundaryAverage, &model.boundaryPeak}) {
            writer.write(line->freqMHz[i]);
            writer.write(line->levelDbm[i]);
            writer.write(line->logSegment[i]);
        }
    }
}

BoundariesLoad LoadBoundaries(const QByteArray& bytes, MeasurementModel& model) {
    ByteReader reader(bytes);
    QByteArray tag;
    if (!reader.readBytes(5, tag) || tag != QByteArray(BOUNDARIES_TAG)) return BoundariesLoad::TagUnknown;
    return ReadBoundaryGroups(reader, model) ? BoundariesLoad::Loaded : BoundariesLoad::ShortRead;
}

QByteArray BoundariesBytes(const MeasurementModel& model) {
    ByteWriter writer;
    writer.writeBytes(QByteArray(BOUNDARIES_TAG));
    WriteBoundaryGroups(writer, model);
    return writer.bytes();
}

BoundariesLoad LoadBoundariesFile(const QString& path, MeasurementModel& model, UserDialogs& dialogs) {
    const std::optional<QByteArray> bytes = ReadFileBytes(path, BOUNDARIES_FILE_SIZE);
    const BoundariesLoad result = bytes ? LoadBoundaries(*bytes, model) : BoundariesLoad::NotOpened;
    if (result != BoundariesLoad::Loaded)
        dialogs.message(QStringLiteral("Cannot open file"), FILE_HANDLING, MessageIcon::Critical);
    return result;
}

bool SaveBoundariesFile(const QString& path, const MeasurementModel& model, UserDialogs& dialogs,
                        const DeviceWrite& write) {
    if (!WriteFileAtomically(path, BoundariesBytes(model), write)) {
        dialogs.message(QStringLiteral("File error"), FILE_HANDLING, MessageIcon::Critical);
        return false;
    }
    return true;
}

}  // namespace tk
