#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "FileBytes.h"
#include "PictureExport.h"
#include "SpectrumGraph.h"

using namespace tk;

class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void save() {
        const struct {
            const char* name;
            bool drawn;     // a graph never drawn has no picture to write
            int polylines;  // of the traces in the SVG; -1 for a PNG, 0 for no file
        } rows[] = {{"graph.png", true, -1},
                    {"graph.SVG", true, 3},
                    {"missing/graph.svg", true, 0},
                    {"empty.png", false, 0}};
        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        model.graphOpen = true;
        model.traceActual.fill(100);
        for (const auto& row : rows) {
            QImage shown(320, 200, QImage::Format_RGB32);
            shown.fill(Qt::white);
            if (!row.drawn) shown = QImage();
            QTemporaryDir dir;
            const QString path = dir.filePath(QString::fromLatin1(row.name));
            const bool saved = row.polylines != 0;
            QCOMPARE(SaveGraphPicture(path, shown, [&](Canvas& canvas) { RedrawGraph(model, canvas, {}); }),
                     saved);
            QCOMPARE(QFile::exists(path), saved);
            if (row.polylines < 0) QCOMPARE(QImage(path).size(), QSize(320, 200));
            if (row.polylines <= 0) continue;
            const QByteArray svg = test::FileBytes(path);
            QVERIFY(svg.contains("<svg") && svg.contains("viewBox=\"0 0 320 200\""));
            // The traces are polylines of a point per index; frame and grid lines have two points.
            int traces = 0;
            for (const QByteArray& element : svg.split('<'))
                if (element.startsWith("polyline") && element.count(',') > 400) ++traces;
            QCOMPARE(traces, row.polylines);
        }
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
