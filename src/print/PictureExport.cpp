#include "PictureExport.h"

#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "PainterCanvas.h"

namespace tk {

bool SaveGraphPicture(const QString& fileName, const QImage& shown,
                      const std::function<void(Canvas&)>& drawVector) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(shown.size());
        svg.setViewBox(QRect(QPoint(0, 0), shown.size()));
        svg.setTitle(QStringLiteral("Spectrum"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            file.cancelWriting();
            return false;
        }
        // A width of 1 is one pixel of the picture, as on the screen.
        PainterCanvas canvas(painter, QRectF(QPointF(0, 0), QSizeF(shown.size())), 600.0);
        canvas.setPenColour(COLOUR_BLACK);
        drawVector(canvas);
        painter.end();
    } else if (!shown.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    // A full disk shows only when the buffer is flushed; commit() alone would put the cut-off file in place.
    return file.flush() && file.commit();
}

}  // namespace tk
