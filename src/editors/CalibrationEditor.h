#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// Points typed into the editor: the curve holds one more than a file gives.
constexpr int CALIBRATION_EDITOR_MAX_POINTS = 101;
constexpr float CALIBRATION_MIN_MHZ = 0.0f;
constexpr float CALIBRATION_MAX_MHZ = 2000.0f;
constexpr float CALIBRATION_MIN_DB = -100.0f;
constexpr float CALIBRATION_MAX_DB = 100.0f;

// Puts the points in ascending order of frequency; points of equal frequency collapse into one carrying
// the offset of the last of them in the old order. Points without a frequency (NaN) are dropped.
void SortCurve(CalibrationCurve& curve);

// One line of the editor's list: "0000.000 MHz", a tab, "00.0 dB".
QString CalibrationListLine(float freqMHz, float offsetDb);
// The list of a curve, one line per point in index order.
QStringList CalibrationListLines(const CalibrationCurve& curve);
// The printed lines: the frequency, then the offset from print column 20.
QStringList CalibrationPrintLines(const CalibrationCurve& curve);

// A number as the editor writes it into a field: with "." and just the digits that read back to the same
// 32-bit float.
QString EditorNumberText(float value);
// The value of a field that holds a number and nothing else (blanks around it aside).
std::optional<double> FieldNumber(const QString& text);

enum class EntryResult { Stored, NotANumber, Full };

// Enter in a field of the editor: both fields are read, limited to 0..2000 MHz and -100..100 dB and the
// limited values written back; the point goes behind the last one. A curve of 101 points takes no more.
EntryResult EnterCalibrationPoint(CalibrationCurve& curve, QString& freqText, QString& offsetText);
// The texts of point index for the two fields (double-click on a line), or nothing for no point.
std::optional<std::pair<QString, QString>> CalibrationPointTexts(const CalibrationCurve& curve, int index);
// Removes point index; false when there is no such point.
bool RemoveCalibrationPoint(CalibrationCurve& curve, int index);

// Adds to every point of target the value of added at that point's frequency; an empty added curve
// changes nothing.
void AddCurve(CalibrationCurve& target, const CalibrationCurve& added);

// "&ADD Curve": asks for a file, reads it into model.addedCurve and adds it to the curve in use. True when
// the editor is to show the curve again; false when nothing was done or the file could not be read (its
// message was shown).
bool AddCurveFromFile(MeasurementModel& model, UserDialogs& dialogs);

// LoadCalibrationFile of the load command and of scripts: reads the curve in use by file name and says
// "Cannot open file" when that fails. True when the windows are to show the curve again (it was read, in
// whole or in part).
bool LoadCalibrationCurve(MeasurementModel& model, const QString& path, UserDialogs& dialogs);
// SaveCalibrationFile: writes the curve in use, says "File error" when that fails.
bool SaveCalibrationCurve(const MeasurementModel& model, const QString& path, UserDialogs& dialogs);

// The editor's title: "Defintion of correction curve", three blanks and the last calibration file name.
QString CalibrationEditorTitle(const MeasurementModel& model);

}  // namespace tk
