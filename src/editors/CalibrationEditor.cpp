#include "CalibrationEditor.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "Calibration.h"
#include "CalibrationFile.h"
#include "Format.h"

namespace tk {
namespace {

// The print column (counted from 1) where the offset of a printed point starts.
constexpr int PRINT_OFFSET_COLUMN = 20;

int ValidPoints(const CalibrationCurve& curve) {
    return std::clamp<int>(curve.pointCount, 0, static_cast<int>(curve.freqMHz.size()));
}

QString FrequencyText(float freqMHz) {
    return FormatNumber(freqMHz, u"0000.000 MHz");
}

QString OffsetText(float offsetDb) {
    return FormatNumber(offsetDb, u"00.0 dB");
}

}  // namespace

void SortCurve(CalibrationCurve& curve) {
    const int n = ValidPoints(curve);
    if (n < 1) return;
    // Each round takes the lowest frequency above the one taken before; of equal frequencies the point
    // with the highest index. The search knows only the curve's own points, so it ends whatever their
    // frequencies are.
    std::vector<std::pair<float, float>> sorted;
    std::optional<float> previous;
    for (;;) {
        int best = -1;
        for (int i = 0; i < n; ++i) {
            const float f = curve.freqMHz[static_cast<std::size_t>(i)];
            if (std::isnan(f) || (previous && !(f > *previous))) continue;
            if (best < 0 || f <= curve.freqMHz[static_cast<std::size_t>(best)]) best = i;
        }
        if (best < 0) break;
        const auto k = static_cast<std::size_t>(best);
        sorted.emplace_back(curve.freqMHz[k], curve.offsetDb[k]);
        previous = curve.freqMHz[k];
    }
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        curve.freqMHz[i] = sorted[i].first;
        curve.offsetDb[i] = sorted[i].second;
    }
    curve.pointCount = static_cast<std::int16_t>(sorted.size());
}

QString CalibrationListLine(float freqMHz, float offsetDb) {
    return FrequencyText(freqMHz) + u'\t' + OffsetText(offsetDb);
}

QStringList CalibrationListLines(const CalibrationCurve& curve) {
    QStringList lines;
    for (int i = 0; i < ValidPoints(curve); ++i)
        lines << CalibrationListLine(curve.freqMHz[static_cast<std::size_t>(i)],
                                     curve.offsetDb[static_cast<std::size_t>(i)]);
    return lines;
}

QStringList CalibrationPrintLines(const CalibrationCurve& curve) {
    QStringList lines;
    const int before = PRINT_OFFSET_COLUMN - 1;
    for (int i = 0; i < ValidPoints(curve); ++i) {
        const QString freq = FrequencyText(curve.freqMHz[static_cast<std::size_t>(i)]);
        const QString offset = OffsetText(curve.offsetDb[static_cast<std::size_t>(i)]);
        if (freq.size() < before) {
            lines << freq.leftJustified(before) + offset;
        } else {
            // A frequency that reaches the column puts its offset at that column of the next line.
            lines << freq << QString(before, u' ') + offset;
        }
    }
    return lines;
}

QString EditorNumberText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

std::optional<double> FieldNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    return LeadingNumber(text);
}

EntryResult EnterCalibrationPoint(CalibrationCurve& curve, QString& freqText, QString& offsetText) {
    const auto freq = FieldNumber(freqText);
    const auto offset = FieldNumber(offsetText);
    if (!freq || !offset) return EntryResult::NotANumber;
    const float f = std::clamp(ToSingle(*freq), CALIBRATION_MIN_MHZ, CALIBRATION_MAX_MHZ);
    const float o = std::clamp(ToSingle(*offset), CALIBRATION_MIN_DB, CALIBRATION_MAX_DB);
    freqText = EditorNumberText(f);
    offsetText = EditorNumberText(o);
    // The point goes behind the curve's last point, whatever the list shows; a full curve takes no more.
    const int index = ValidPoints(curve);
    if (index >= CALIBRATION_EDITOR_MAX_POINTS) return EntryResult::Full;
    curve.freqMHz[static_cast<std::size_t>(index)] = f;
    curve.offsetDb[static_cast<std::size_t>(index)] = o;
    curve.pointCount = static_cast<std::int16_t>(index + 1);
    return EntryResult::Stored;
}

std::optional<std::pair<QString, QString>> CalibrationPointTexts(const CalibrationCurve& curve, int index) {
    if (index < 0 || index >= ValidPoints(curve)) return std::nullopt;
    const auto k = static_cast<std::size_t>(index);
    return std::pair{EditorNumberText(curve.freqMHz[k]), EditorNumberText(curve.offsetDb[k])};
}

bool RemoveCalibrationPoint(CalibrationCurve& curve, int index) {
    const int n = ValidPoints(curve);
    if (index < 0 || index >= n) return false;
    for (int i = index; i < n - 1; ++i) {
        const auto k = static_cast<std::size_t>(i);
        curve.freqMHz[k] = curve.freqMHz[k + 1];
        curve.offsetDb[k] = curve.offsetDb[k + 1];
    }
    curve.pointCount = static_cast<std::int16_t>(n - 1);
    return true;
}

void AddCurve(CalibrationCurve& target, const CalibrationCurve& added) {
    if (added.pointCount < 1) return;
    for (int i = 0; i < ValidPoints(target); ++i) {
        const auto k = static_cast<std::size_t>(i);
        target.offsetDb[k] += InterpolateCurve(added, target.freqMHz[k]);
    }
}

bool AddCurveFromFile(MeasurementModel& model, UserDialogs& dialogs) {
    if (model.calibrationCurve.pointCount < 1) return false;
    const FileDialogRequest request =
        OpenFileRequest(QStringLiteral("Correction (*.eic);;All Files (*.*)"), QStringLiteral("eic"));
    const auto name = dialogs.openFileName(request);
    if (!name) return false;
    model.fileNames.calibration = *name;
    if (LoadCalibrationFile(*name, model.addedCurve) != CalibrationLoad::Loaded) {
        dialogs.message(QStringLiteral("Cannot open file"), QStringLiteral("File handling"));
        return false;
    }
    AddCurve(model.calibrationCurve, model.addedCurve);
    return true;
}

bool LoadCalibrationCurve(MeasurementModel& model, const QString& path, UserDialogs& dialogs) {
    const CalibrationLoad result = LoadCalibrationFile(path, model.calibrationCurve);
    if (result == CalibrationLoad::Loaded) return true;
    dialogs.message(QStringLiteral("Cannot open file"), QStringLiteral("File handling"));
    return result == CalibrationLoad::ShortRead;
}

bool SaveCalibrationCurve(const MeasurementModel& model, const QString& path, UserDialogs& dialogs) {
    if (SaveCalibrationFile(path, model.calibrationCurve)) return true;
    dialogs.message(QStringLiteral("File error"), QStringLiteral("File handling"));
    return false;
}

QString CalibrationEditorTitle(const MeasurementModel& model) {
    return QStringLiteral("Defintion of correction curve   ") + model.fileNames.calibration;
}

}  // namespace tk
