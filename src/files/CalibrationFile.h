#pragma once

#include <QByteArray>
#include <QString>

#include "MeasurementModel.h"

namespace tk {

// A curve file holds at most this many pairs that are read; further pairs of a longer file stay unread.
constexpr int CALIBRATION_FILE_MAX_POINTS = 100;
// Tag, count and the pairs that are read: nothing beyond is needed from a file.
constexpr qint64 CALIBRATION_FILE_MAX_BYTES = 7 + 8 * CALIBRATION_FILE_MAX_POINTS;

enum class CalibrationLoad {
    Loaded,
    CannotOpen,  // the file could not be opened or its tag not read; the curve is unchanged
    UnknownTag,  // the curve is unchanged
    ShortRead,   // the file ended inside its pairs: the complete pairs are the curve
};

// Reads an "eic1 " or "eic  " curve into the target.
CalibrationLoad LoadCalibrationBytes(const QByteArray& bytes, CalibrationCurve& curve);
// The "eic1 " bytes of a curve: tag, count and the pairs in index order.
QByteArray CalibrationFileBytes(const CalibrationCurve& curve);

// The same by file name, through the shared reader and the atomic writer.
CalibrationLoad LoadCalibrationFile(const QString& path, CalibrationCurve& curve);
bool SaveCalibrationFile(const QString& path, const CalibrationCurve& curve);

}  // namespace tk
