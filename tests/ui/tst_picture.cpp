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

Q_DECLARE_METATYPE(tk::FrequencyView)

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

    // tk820-convert draws a measurement exactly as the graph window shows it, pixel for pixel, in the
    // linear and in the logarithmic view.
    void converterDrawsTheWindowsPicture_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<FrequencyView>("view");
        QTest::newRow("linear") << QStringList{} << FrequencyView{};
        QTest::newRow("logarithmic") << QStringList{"--log-frequency", "0.15,30"}
                                     << FrequencyView{true, 0.15f, 30.0f};
    }
    void converterDrawsTheWindowsPicture() {
        QFETCH(QStringList, options);
        QFETCH(FrequencyView, view);
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
        if (view.logarithmic) logView->trigger();
        QCOMPARE(model.frequencyView.logarithmic, view.logarithmic);
        window.repaint();
        QCOMPARE(logView->isChecked(), view.logarithmic);
        QCOMPARE(window.image().convertToFormat(QImage::Format_RGB32),
                 QImage(png).convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
