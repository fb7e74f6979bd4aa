#include "PrintPage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "FileIO.h"
#include "PainterCanvas.h"
#include "PrintOut.h"

namespace tk {

bool PrintPage(MeasurementModel& model, QPagedPaintDevice& device, const QString& longDate) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    PainterCanvas canvas(painter, QRectF(painter.viewport()), device.logicalDpiY());
    PrintOut(model, canvas, longDate);
    return painter.end();
}

namespace {

// Writes an A4 PDF: drawn in memory, then written by the one writer of the program's files, so that the
// target is replaced only when the drawing and every write succeeded.
bool WritePdf(const QString& fileName, const QString& title,
              const std::function<bool(QPagedPaintDevice&)>& draw) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setCreator(QStringLiteral("tk820-2"));
        writer.setTitle(title);
        if (!draw(writer)) return false;
    }
    return WriteFileAtomically(fileName, pdf.data());
}

}  // namespace

bool WritePdfPage(MeasurementModel& model, const QString& fileName, const QString& longDate) {
    return WritePdf(fileName, model.printHeadline.trimmed(),
                    [&](QPagedPaintDevice& device) { return PrintPage(model, device, longDate); });
}

bool PrintTextLines(const QStringList& lines, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    const int pageHeight = painter.viewport().height();
    int y = lineHeight;
    for (const QString& line : lines) {
        if (y > pageHeight) {
            device.newPage();
            y = lineHeight;
        }
        painter.drawText(0, y, line);
        y += lineHeight;
    }
    return painter.end();
}

bool WritePdfTextLines(const QStringList& lines, const QString& fileName, const QString& title) {
    return WritePdf(fileName, title,
                    [&](QPagedPaintDevice& device) { return PrintTextLines(lines, device); });
}

QString PdfNameFor(const QString& measurementFileName) {
    const QFileInfo info(measurementFileName);
    const QString base = info.completeSuffix().isEmpty()
                             ? measurementFileName
                             : measurementFileName.chopped(info.suffix().size() + 1);
    return base + QStringLiteral(".pdf");
}

}  // namespace tk
