#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "MeasurementModel.h"

class QPagedPaintDevice;

namespace tk {

// Prints the page onto a printer or another paged device; false when the device cannot be painted on.
bool PrintPage(MeasurementModel& model, QPagedPaintDevice& device, const QString& longDate);

// Writes the page as a one-page A4 PDF file, replacing the file only when it was written completely.
bool WritePdfPage(MeasurementModel& model, const QString& fileName, const QString& longDate);

// Prints lines of text (the points of a calibration curve) top down in a fixed-pitch font, as many pages as
// they need; and the same as an A4 PDF file, replaced only when written completely.
bool PrintTextLines(const QStringList& lines, QPagedPaintDevice& device);
bool WritePdfTextLines(const QStringList& lines, const QString& fileName, const QString& title);

// The PDF's name for a measurement file: the same name with the extension "pdf" ("run.mes" -> "run.pdf");
// a pattern like "*.mes" gives "*.pdf".
QString PdfNameFor(const QString& measurementFileName);

}  // namespace tk
