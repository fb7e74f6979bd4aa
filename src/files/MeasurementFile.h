#pragma once

#include <QByteArray>
#include <QString>

#include "LoadResult.h"
#include "MeasurementModel.h"

namespace tk {

// The measurement file (*.mes): comparison curve, unit, the three traces at the stored resolution, the
// boundary lines, the settings that label the traces, and the date and times of the reads. The writer
// writes "mes5 "; the loader also reads the five older layouts.
constexpr qsizetype MeasurementFileSize(int resolution) {
    return resolution > 0 ? 8411 + 6 * qsizetype(4000 / resolution) : 8411;
}

// Loads a measurement's bytes into the model. The comparison curve is taken only while no comparison
// curve is shown, each trace only while its show flag is set; the file position moves on either way.
// A file whose stored resolution no sweep has is refused before anything changes.
LoadResult ReadMeasurement(const QByteArray& bytes, MeasurementModel& model);
// The "mes5 " file of the model's measurement; all three traces whatever their show flags.
QByteArray WriteMeasurement(const MeasurementModel& model);
// The graph window's caption after a load: file name, date and the three read times.
QString MeasurementCaption(const QString& fileName, const MeasurementModel& model);

}  // namespace tk
