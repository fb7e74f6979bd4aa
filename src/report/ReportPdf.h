#pragma once

#include <QPageSize>
#include <QString>

#include "Report.h"

namespace tk {

// The paper of the locale: Letter where it measures in inches as the US does, A4 elsewhere.
QPageSize::PageSizeId ReportPaper(const QLocale& locale);

// Writes the report as a PDF, vector drawing and text, its fonts embedded: a title page with the verdict,
// the summary of every checked trace, a page per scan (graph with boundaries and peak numbers, the ten
// peaks closest to their boundaries, the settings that label the scan), and the limits' notes and every
// input file with its SHA-256. Each page says "Page N of M" and when it was written. The file is replaced
// only once the whole report was drawn and written.
bool WriteReportPdf(const Report& report, const QString& fileName, QPageSize::PageSizeId paper);

}  // namespace tk
