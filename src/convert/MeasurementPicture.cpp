#include "MeasurementPicture.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "ImageCanvas.h"
#include "PictureExport.h"
#include "PrintOut.h"
#include "PrintPage.h"
#include "SpectrumGraph.h"

namespace tk {

std::optional<PictureKind> PictureKindOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QStringLiteral("png")) return PictureKind::Png;
    if (suffix == QStringLiteral("svg")) return PictureKind::Svg;
    if (suffix == QStringLiteral("pdf")) return PictureKind::Pdf;
    return std::nullopt;
}

std::optional<QSize> ParsePictureSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    const auto inRange = [](int side) { return side >= 16 && side <= 16384; };
    if (!inRange(size.width()) || !inRange(size.height())) return std::nullopt;
    return size;
}

std::optional<FrequencyView> ParseLogFrequency(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 2) return std::nullopt;
    bool startOk = false;
    bool stopOk = false;
    const double start = parts[0].trimmed().toDouble(&startOk);
    const double stop = parts[1].trimmed().toDouble(&stopOk);
    if (!startOk || !stopOk || !(start > 0.0) || !(stop > start) || stop > 1e6) return std::nullopt;
    return FrequencyView{true, float(start), float(stop)};
}

void PrintWhatTheGraphShows(MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    model.printBlackWhite = false;
    model.printActual = s.showActual;
    model.printAverage = s.showAverage;
    model.printPeak = s.showPeak;
    model.printComparison = model.showComparison;
    model.printBoundaryActual = s.limitActual;
    model.printBoundaryAverage = s.limitAverage;
    model.printBoundaryPeak = s.limitPeak;
    model.printHeadline.set(QStringLiteral("ZELOR Instruments"));
}

void TakePrintSetup(const MeasurementModel& from, MeasurementModel& to) {
    to.printBlackWhite = from.printBlackWhite;
    to.printActual = from.printActual;
    to.printAverage = from.printAverage;
    to.printPeak = from.printPeak;
    to.printComparison = from.printComparison;
    to.printBoundaryActual = from.printBoundaryActual;
    to.printBoundaryAverage = from.printBoundaryAverage;
    to.printBoundaryPeak = from.printBoundaryPeak;
    to.printHeadline = from.printHeadline;
    to.printDateTime = from.printDateTime;
    to.printFileName = from.printFileName;
    to.printFromMHz = from.printFromMHz;
    to.printToMHz = from.printToMHz;
    to.printSettings = from.printSettings;
}

bool WriteMeasurementPicture(MeasurementModel& model, PictureKind kind, const QString& fileName, QSize size,
                             const QFont& font) {
    // A loaded measurement opens the graph, as its load command does.
    model.graphOpen = true;
    if (kind == PictureKind::Pdf) return WritePdfPage(model, fileName, LongDateText(model.readDate.text()));
    const auto drawVector = [&model](Canvas& canvas) { RedrawGraph(model, canvas); };
    // The vector picture takes only its size from the shown one.
    if (kind == PictureKind::Svg)
        return SaveGraphPicture(fileName, QImage(size, QImage::Format_Mono), drawVector);
    ImageCanvas canvas(size);
    canvas.setFont(font);
    RedrawGraph(model, canvas);
    return SaveGraphPicture(fileName, canvas.image(), drawVector);
}

}  // namespace tk
