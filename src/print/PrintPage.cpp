#include "PrintPage.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

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

bool WritePdfPage(MeasurementModel& model, const QString& fileName, const QString& longDate) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setCreator(QStringLiteral("tk820-2"));
        writer.setTitle(model.printHeadline.trimmed());
        if (!PrintPage(model, writer, longDate)) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

QString PdfNameFor(const QString& measurementFileName) {
    const QFileInfo info(measurementFileName);
    const QString base = info.completeSuffix().isEmpty()
                             ? measurementFileName
                             : measurementFileName.chopped(info.suffix().size() + 1);
    return base + QStringLiteral(".pdf");
}

}  // namespace tk
