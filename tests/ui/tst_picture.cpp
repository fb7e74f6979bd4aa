#include <QAction>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "Boundaries.h"
#include "FileBytes.h"
#include "GraphWindow.h"
#include "MeasurementFile.h"
#include "PictureExport.h"
#include "SpectrumGraph.h"

using namespace tk;

class TestPicture : public QObject {
    Q_OBJECT
private slots:
    // The picture's kind by its name's extension in any case; a graph never drawn has no picture to write.
    // What a picture holds, and a file that cannot be written, are tst_convert's.
    void save() {
        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        const auto draw = [&](Canvas& canvas) { RedrawGraph(model, canvas, {}); };
        QTemporaryDir dir;
        const QString svg = dir.filePath(QStringLiteral("graph.SVG"));
        QVERIFY(SaveGraphPicture(svg, QImage(320, 200, QImage::Format_RGB32), draw));
        QVERIFY(test::FileBytes(svg).contains("<svg"));
        const QString empty = dir.filePath(QStringLiteral("empty.png"));
        QVERIFY(!SaveGraphPicture(empty, QImage(), draw));
        QVERIFY(!QFile::exists(empty));
    }

    // tk820-convert draws a measurement exactly as the graph window shows it, pixel for pixel, in the
    // linear and in the logarithmic view.
    void converterDrawsTheWindowsPicture_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("logarithmic");
        QTest::newRow("linear") << QStringList{} << false;
        QTest::newRow("logarithmic") << QStringList{"--log-frequency", "0.15,30"} << true;
    }
    void converterDrawsTheWindowsPicture() {
        QFETCH(QStringList, options);
        QFETCH(bool, logarithmic);
        MeasurementModel written;
        SetModelDefaults(written, QStringLiteral("06.12.2026"));
        written.settings.centerFreq = 25.0f;
        written.settings.scanWidth = 5.0f;
        written.settings.limitActual = true;
        written.boundaryActual = test::BoundaryOf("0.15:-41L 0.5:-51 30:-47", 1);
        for (int i = 0; i <= 500; ++i) {
            written.traceActual[i] = std::int16_t(90 + (i * 37) % 50);
            written.tracePeak[i] = std::int16_t(written.traceActual[i] + 20);
            written.traceAverage[i] = std::int16_t(written.traceActual[i] - 20);
        }
        QTemporaryDir dir;
        const QString mes = dir.filePath(QStringLiteral("m.mes"));
        const QString png = dir.filePath(QStringLiteral("m.png"));
        QVERIFY(test::WriteBytes(mes, WriteMeasurement(written)));
        QProcess convert;
        convert.start(QStringLiteral(TK820_CONVERT), options + QStringList{"--size", "640x420", mes, png});
        QVERIFY(convert.waitForFinished(60000) && convert.exitCode() == 0);

        MeasurementModel model;
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        QCOMPARE(ReadMeasurement(test::FileBytes(mes), model), LoadResult::Loaded);
        model.graphOpen = true;
        GraphWindow window(model, {});
        window.setRedraw([&] { RedrawGraph(model, window.canvas()); });
        window.resize(640, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The view as the graph's context menu switches it.
        auto* logView = window.findChild<QAction*>(QStringLiteral("mnulogfreq"));
        QVERIFY(window.actions().contains(logView));
        if (logarithmic) logView->trigger();
        window.repaint();
        QCOMPARE(logView->isChecked(), logarithmic);
        QCOMPARE(window.image().convertToFormat(QImage::Format_RGB32),
                 QImage(png).convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
