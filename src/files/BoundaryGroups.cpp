#include "BoundaryGroups.h"

namespace tk {

void ReadBoundaryGroups(ByteReader& reader, MeasurementModel& model) {
    for (std::size_t i = 0; i < BOUNDARY_GROUP_COUNT; ++i) {
        for (BoundaryLine* line : {&model.boundaryActual, &model.boundaryAverage, &model.boundaryPeak}) {
            reader.read(line->freqMHz[i]);
            reader.read(line->levelDbm[i]);
            reader.read(line->logSegment[i]);
        }
    }
}

void WriteBoundaryGroups(ByteWriter& writer, const MeasurementModel& model) {
    for (std::size_t i = 0; i < BOUNDARY_GROUP_COUNT; ++i) {
        for (const BoundaryLine* line :
             {&model.boundaryActual, &model.boundaryAverage, &model.boundaryPeak}) {
            writer.write(line->freqMHz[i]);
            writer.write(line->levelDbm[i]);
            writer.write(line->logSegment[i]);
        }
    }
}

}  // namespace tk
