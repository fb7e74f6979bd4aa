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
    // x - 100, pixel row 60 - y. A trace, a wide boundary, a dashed line and a dotted cursor in not-xor mode,
    // each at the pixels worked out from that. Qt's
    // aliased dashes are 4 pixels on and 2 off, its dots 1 on and 2 off; not-xor of light green over the
    // light red boundary gives blue.
    void drawnPictureInPixels() {
        ImageCanvas canvas(QSize(200, 100));
        canvas.setScale(100, 60, 300, -40);
        canvas.setPenColour(COLOUR_GREEN);
        // The trace in two parts: a polyline of two points is one segment.
        const std::vector<QPointF> fall{{100, 60}, {150, 10}}, flat{{150, 10}, {175, 10}, {200, 10}};
        canvas.polyline(fall);
        canvas.polyline(flat);
        canvas.setLineWidth(3);
        canvas.line(100, 20, 300, 20, COLOUR_LIGHT_RED);
        canvas.setLineWidth(1);
        canvas.setLineStyle(LineStyle::Dashed);
        canvas.line(100, -20, 300, -20, COLOUR_BLACK);
        canvas.setLineStyle(LineStyle::Dotted);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.setPenColour(COLOUR_LIGHT_GREEN);
        canvas.line(250, 60, 250, -40);
        QCOMPARE(canvas.penColour(), COLOUR_LIGHT_GREEN);
        QString rows;
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                 {0, 0},   {25, 25}, {50, 50}, {99, 50}, {101, 50}, {25, 30},  {20, 38},
                 {20, 39}, {20, 41}, {20, 42}, {0, 80},  {3, 80},   {4, 80},   {5, 80},
                 {6, 80},  {150, 0}, {150, 1}, {150, 3}, {149, 3},  {150, 39}, {150, 40}})
            rows +=
                QStringLiteral("%1,%2 %3\n").arg(x).arg(y).arg(Pixel(canvas, x, y), 6, 16, QLatin1Char('0'));
        QCOMPARE(
            rows,
            QStringLiteral(
                "0,0 008000\n25,25 008000\n50,50 008000\n99,50 008000\n101,50 ffffff\n"
                "25,30 ffffff\n20,38 ffffff\n20,39 ff0000\n20,41 ff0000\n20,42 ffffff\n"
                "0,80 000000\n3,80 000000\n4,80 ffffff\n5,80 ffffff\n6,80 000000\n"
                "150,0 00ff00\n150,1 ffffff\n150,3 00ff00\n149,3 ffffff\n150,39 0000ff\n150,40 ff0000\n"));
    }

    void notXorTwiceLeavesTheImage_data() {
        QTest::addColumn<LineStyle>("style");
        QTest::addColumn<int>("colour");
        QTest::newRow("dotted light red") << LineStyle::Dotted << COLOUR_LIGHT_RED;
        QTest::newRow("dotted light green") << LineStyle::Dotted << COLOUR_LIGHT_GREEN;
        QTest::newRow("solid black") << LineStyle::Solid << COLOUR_BLACK;
    }
    void notXorTwiceLeavesTheImage() {
        QFETCH(LineStyle, style);
        QFETCH(int, colour);
        ImageCanvas canvas(QSize(451, 275));
        canvas.setScale(-310, 255, 4200, -20);
        // Something under the cursor: grid lines and a trace crossing it.
        canvas.setPenColour(COLOUR_GREY);
        for (int y = 32; y <= 255; y += 32) canvas.line(0, y, 4000, y);
        canvas.line(0, 0, 4000, 255, COLOUR_GREEN);
        const QImage before = canvas.image();  // a holder's copy, as the clipboard takes it: must not change
        canvas.setPenColour(colour);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.setLineStyle(style);
        canvas.line(1600, 0, 1600, 255);
        QVERIFY(canvas.image() != before);
        canvas.line(1600, 0, 1600, 255);
        QCOMPARE(canvas.image(), before);
    }

    void polylineDrawsTheSameAsItsLines() {
        const std::vector<QPointF> points{{0, 0}, {8, 120}, {16, 30}, {24, 250}, {4000, 100}};
        ImageCanvas lines(QSize(451, 275));
        ImageCanvas poly(QSize(451, 275));
        for (ImageCanvas* c : {&lines, &poly}) c->setScale(-310, 255, 4200, -20);
        for (std::size_t i = 1; i < points.size(); ++i)
            lines.line(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
        poly.polyline(points);
        QVERIFY(CountPixels(poly.image(), 0) > 400);
        QCOMPARE(poly.image(), lines.image());
    }

    void thinLinesAreCutAtTheEdge_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<int>("pixels");
        QTest::newRow("inside") << QPointF(1, 5) << QPointF(9, 5) << 81;
        QTest::newRow("far outside") << QPointF(-1e9, 5) << QPointF(1e9, 5) << 100;
        QTest::newRow("above the image") << QPointF(0, 20) << QPointF(10, 20) << 0;
        QTest::newRow("diagonal through a corner") << QPointF(-5, 15) << QPointF(15, -5) << 100;
        QTest::newRow("one point") << QPointF(3, 3) << QPointF(3, 3) << 1;
    }
    void thinLinesAreCutAtTheEdge() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(int, pixels);
        ImageCanvas canvas(QSize(100, 100));
        canvas.setScale(0, 10, 10, 0);
        canvas.line(from.x(), from.y(), to.x(), to.y(), COLOUR_LIGHT_RED);
        QCOMPARE(CountPixels(canvas.image(), PaletteColour(COLOUR_LIGHT_RED)), pixels);
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
        // The frame's top side (y 255 of 255..-20) is 3 pixels wide in black over pixel row 0.
        QCOMPARE(f.window->image().pixel(100, 1) & 0xffffff, QRgb(0));
        QCOMPARE(f.window->image().pixel(100, 5) & 0xffffff, QRgb(0xffffff));
        f.window->canvas().setCaption("Ac: 10:15:02  ");
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Ac: 10:15:02  "));
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
