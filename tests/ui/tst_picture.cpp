#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "PictureExport.h"
#include "SpectrumGraph.h"

using namespace tk;

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void save_data();
    void save();
};

void TestPicture::save_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("polylines");  // in the SVG; -1 for a PNG
    QTest::newRow("png") << "graph.png" << true << -1;
    QTest::newRow("svg holds the three traces") << "graph.SVG" << true << 3;
    QTest::newRow("folder missing") << "missing/graph.svg" << false << 0;
    // A graph never drawn has no picture to write.
    QTest::newRow("png of no picture") << "empty.png" << false << -1;
}

void TestPicture::save() {
    QFETCH(QString, name);
    QFETCH(bool, saved);
    QFETCH(int, polylines);

    MeasurementModel model;
    SetModelDefaults(model, QStringLiteral("06.12.2026"));
    model.graphOpen = true;
    model.traceActual.fill(100);
    QImage shown(320, 200, QImage::Format_RGB32);
    shown.fill(Qt::white);
    if (name.startsWith(QStringLiteral("empty"))) shown = QImage();

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QCOMPARE(SaveGraphPicture(path, shown, [&](Canvas& canvas) { RedrawGraph(model, canvas, {}); }), saved);
    QCOMPARE(QFile::exists(path), saved);
    if (!saved) return;
    if (polylines < 0) {
        QCOMPARE(QImage(path).size(), QSize(320, 200));
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    QVERIFY(svg.contains("<svg") && svg.contains("viewBox=\"0 0 320 200\""));
    // The traces are polylines of a point per index; frame and grid lines have two points.
    int traces = 0;
    for (const QByteArray& element : svg.split('<'))
        if (element.startsWith("polyline") && element.count(',') > 400) ++traces;
    QCOMPARE(traces, polylines);
}

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
