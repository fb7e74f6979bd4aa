#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>
#include <vector>

#include "GraphWindow.h"
#include "SpectrumGraph.h"

using namespace tk;

namespace {

QRgb Pixel(const ImageCanvas& canvas, int x, int y) {
    return canvas.image().pixel(x, y) & 0xffffff;
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return n;
}

// A window whose redraw draws the real graph and counts how often it was asked to.
struct Fixture {
    MeasurementModel model;
    int redraws = 0;
    std::unique_ptr<GraphWindow> window;

    Fixture() {
        model.graphOpen = true;
        window = std::make_unique<GraphWindow>(model, [this] {
            ++redraws;
            RedrawGraph(model, window->canvas());
        });
    }
};

}  // namespace

class TestGraphWindow : public QObject {
    Q_OBJECT
private slots:
    // A picture of 200 x 100 pixels for x 100..300 and y 60 down to -40: one pixel a unit, pixel column
    // x - 100, pixel row 60 - y. A trace, a grid line two pixels wide, a wide boundary, wide and thin dashed
    // lines and two cursors in not-xor mode, each at the pixels worked out from that; the lines after the
    // boundary share its colour and change one thing at a time, so each change must reach the painter. Qt's
    // aliased dashes are 4 pen widths on and 2 off, its dots 1 on and 2 off, and a wide pen's square caps add
    // half its width at both ends of a dash (3-pixel dashes of 15 with gaps of 3, the first cut at the
    // picture's edge); not-xor of a colour over white gives the colour, light red over itself white, light
    // green over light red blue.
    void drawnPictureInPixels() {
        ImageCanvas canvas(QSize(200, 100));
        canvas.setScale(100, 60, 300, -40);
        canvas.setPenColour(COLOUR_GREEN);
        // The trace in two parts: a polyline of two points is one segment.
        const std::vector<QPointF> fall{{100, 60}, {150, 10}}, flat{{150, 10}, {175, 10}, {200, 10}};
        canvas.polyline(fall);
        canvas.polyline(flat);
        canvas.setLineWidth(2);
        canvas.line(130, 60, 130, -40, COLOUR_GREY);
        canvas.setPenColour(COLOUR_LIGHT_RED);
        canvas.setLineWidth(3);
        canvas.line(100, 20, 300, 20);
        canvas.setLineStyle(LineStyle::Dashed);
        canvas.line(100, -20, 300, -20);
        canvas.setLineWidth(1);
        canvas.line(100, -30, 300, -30);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.line(250, 60, 250, -40);
        canvas.setLineStyle(LineStyle::Dotted);
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QCOMPARE(canvas.penColour(), COLOUR_LIGHT_RED);
        const char* const expected[] = {
            "0,0 008000",   "28,10 ffffff", "29,10 808080",  "30,10 808080", "31,10 ffffff",  "25,25 008000",
            "50,50 008000", "99,50 008000", "101,50 ffffff", "25,30 ffffff", "20,38 ffffff",  "20,39 ff0000",
            "20,41 ff0000", "20,42 ffffff", "5,78 ffffff",   "13,79 ff0000", "13,81 ff0000",  "5,82 ffffff",
            "14,80 ffffff", "16,80 ffffff", "17,80 ff0000",  "3,89 ffffff",  "3,90 ff0000",   "4,90 ffffff",
            "5,90 ffffff",  "6,90 ff0000",  "150,3 ff0000",  "150,4 ffffff", "150,39 ffffff", "150,40 ff0000",
            "160,0 00ff00", "160,1 ffffff", "160,3 00ff00",  "160,39 0000ff"};
        for (const QString e : expected) {
            const QString at = e.section(u' ', 0, 0);
            const QRgb pixel = Pixel(canvas, at.section(u',', 0, 0).toInt(), at.section(u',', 1).toInt());
            QCOMPARE(at + QStringLiteral(" %1").arg(pixel, 6, 16, QLatin1Char('0')), e);
        }
        // Drawn once more the cursor is gone, and a third time it is back; a copy of the picture taken in
        // between, as the clipboard takes one, does not change.
        const QImage shown = canvas.image();
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QVERIFY(canvas.image() != shown);
        canvas.line(260, 60, 260, -40, COLOUR_LIGHT_GREEN);
        QCOMPARE(canvas.image(), shown);
    }

    // A font set while a text is being painted applies to the next text.
    void fontReachesTheOpenPainter() {
        ImageCanvas canvas(QSize(200, 100));
        QFont font = QApplication::font();
        font.setPixelSize(10);
        canvas.setFont(font);
        canvas.text(0, 0, QStringLiteral("M"));
        font.setPixelSize(40);
        canvas.setFont(font);
        canvas.text(100, 0, QStringLiteral("M"));
        const QImage image = canvas.image();
        int small = 0, big = 0;
        for (int y = 0; y < 100; ++y) {
            small += image.copy(0, y, 100, 1) != image.copy(0, 99, 100, 1);
            big += image.copy(100, y, 100, 1) != image.copy(100, 99, 100, 1);
        }
        QVERIFY2(small > 0 && big > 2 * small, qPrintable(QStringLiteral("%1 %2").arg(small).arg(big)));
    }

    void thinLinesAreCutAtTheEdge_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<int>("pixels");
        QTest::newRow("inside") << QPointF(1, 5) << QPointF(9, 5) << 81;
        QTest::newRow("right to left") << QPointF(9, 5) << QPointF(1, 5) << 81;
        QTest::newRow("far outside") << QPointF(-1e9, 5) << QPointF(1e9, 5) << 100;
        QTest::newRow("above the image") << QPointF(0, 20) << QPointF(10, 20) << 0;
        QTest::newRow("diagonal through a corner") << QPointF(-5, 15) << QPointF(15, -5) << 100;
        QTest::newRow("one point") << QPointF(3, 3) << QPointF(3, 3) << 1;
    }
    void thinLinesAreCutAtTheEdge() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        ImageCanvas canvas(QSize(100, 100));
        canvas.setScale(0, 10, 10, 0);
        canvas.line(from.x(), from.y(), to.x(), to.y(), COLOUR_LIGHT_RED);
        QTEST(CountPixels(canvas.image(), PaletteColour(COLOUR_LIGHT_RED)), "pixels");
    }

    void showPaintResizeClose() {
        Fixture f;
        f.window->resize(451, 275);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QCOMPARE(f.redraws, 1);
        f.window->repaint();  // shows the picture, does not draw it again
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, 1);
        f.window->resize(600, 400);
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, 2);
        QCOMPARE(f.window->image().size(), QSize(600, 400));
        QVERIFY(f.window->close());
        QVERIFY(!f.model.graphOpen);
    }

    void minimisedSubWindowIsRedrawnOnlyWhenRestored() {
        QMdiArea area;
        area.resize(800, 600);
        Fixture f;  // goes first, with the window
        QMdiSubWindow* frame = area.addSubWindow(f.window.get());
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        frame->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(f.window->isMinimisedWindow());
        const int before = f.redraws;
        f.window->resize(200, 100);
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, before);
        frame->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(f.redraws > before);
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
