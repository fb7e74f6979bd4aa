#include <QTest>
#include <vector>

#include "ImageCanvas.h"

using namespace tk;

namespace {

// 100 x 100 pixels for x 0..10 to the right and y 0..10 upwards.
void SetTenByTen(ImageCanvas& canvas) {
    canvas.setScale(0, 10, 10, 0);
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff)) ++n;
    return n;
}

}  // namespace

class TestImageCanvas : public QObject {
    Q_OBJECT
private slots:
    void startsWhite() {
        ImageCanvas canvas(QSize(40, 30));
        QCOMPARE(canvas.image().size(), QSize(40, 30));
        QCOMPARE(CountPixels(canvas.image(), qRgb(255, 255, 255)), 40 * 30);
    }

    void palette_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rgb");
        QTest::newRow("black") << 0 << 0x000000;
        QTest::newRow("blue") << 1 << 0x000080;
        QTest::newRow("green") << 2 << 0x008000;
        QTest::newRow("cyan") << 3 << 0x008080;
        QTest::newRow("red") << 4 << 0x800000;
        QTest::newRow("magenta") << 5 << 0x800080;
        QTest::newRow("brown") << 6 << 0x808000;
        QTest::newRow("light grey") << 7 << 0xc0c0c0;
        QTest::newRow("grey") << 8 << 0x808080;
        QTest::newRow("light blue") << 9 << 0x0000ff;
        QTest::newRow("light green") << 10 << 0x00ff00;
        QTest::newRow("light cyan") << 11 << 0x00ffff;
        QTest::newRow("light red") << 12 << 0xff0000;
        QTest::newRow("light magenta") << 13 << 0xff00ff;
        QTest::newRow("yellow") << 14 << 0xffff00;
        QTest::newRow("white") << 15 << 0xffffff;
    }
    void palette() {
        QFETCH(int, index);
        QFETCH(int, rgb);
        QCOMPARE(PaletteColour(index) & 0xffffff, QRgb(rgb));
        // Drawn on the image in that colour (white on white shows nothing, so it goes on black).
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.setLineWidth(3);
        canvas.line(0, 5, 10, 5, COLOUR_BLACK);
        canvas.setLineWidth(1);
        canvas.setPenColour(index);
        canvas.line(0, 5, 10, 5);
        QCOMPARE(canvas.image().pixel(50, 50) & 0xffffff, QRgb(rgb));
    }

    void userCoordinatesMapToPixels() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.setPenColour(COLOUR_LIGHT_RED);
        canvas.line(2, 8, 2, 8.5);  // x 2 is pixel 20, y 8 (upwards) is pixel row 20
        const QImage image = canvas.image();
        QCOMPARE(image.pixel(20, 18) & 0xffffff, QRgb(0xff0000));
        QCOMPARE(image.pixel(25, 18) & 0xffffff, QRgb(0xffffff));
        QCOMPARE(image.pixel(20, 60) & 0xffffff, QRgb(0xffffff));
    }

    void explicitColourLeavesThePen() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.setPenColour(COLOUR_GREY);
        canvas.line(0, 5, 10, 5, COLOUR_LIGHT_BLUE);
        QCOMPARE(canvas.penColour(), COLOUR_GREY);
        canvas.line(0, 2, 10, 2);
        QCOMPARE(canvas.image().pixel(50, 50) & 0xffffff, QRgb(0x0000ff));
        QCOMPARE(canvas.image().pixel(50, 80) & 0xffffff, QRgb(0x808080));
    }

    void lineWidthInPixels() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.setLineWidth(3);
        canvas.line(5, 1, 5, 9);
        const QImage image = canvas.image();
        int wide = 0;
        for (int x = 40; x < 60; ++x) wide += (image.pixel(x, 50) & 0xffffff) == 0 ? 1 : 0;
        QCOMPARE(wide, 3);
    }

    void notXorLineDrawnTwiceLeavesTheImage_data() {
        QTest::addColumn<LineStyle>("style");
        QTest::addColumn<int>("colour");
        QTest::newRow("dotted light red") << LineStyle::Dotted << COLOUR_LIGHT_RED;
        QTest::newRow("dotted light green") << LineStyle::Dotted << COLOUR_LIGHT_GREEN;
        QTest::newRow("solid black") << LineStyle::Solid << COLOUR_BLACK;
    }
    void notXorLineDrawnTwiceLeavesTheImage() {
        QFETCH(LineStyle, style);
        QFETCH(int, colour);
        ImageCanvas canvas(QSize(451, 275));
        canvas.setScale(-310, 255, 4200, -20);
        // Something under the cursor: grid lines and a trace crossing it.
        canvas.setPenColour(COLOUR_GREY);
        for (int y = 32; y <= 255; y += 32) canvas.line(0, y, 4000, y);
        canvas.setPenColour(COLOUR_GREEN);
        canvas.line(0, 0, 4000, 255);
        const QImage before = canvas.image().copy();

        canvas.setPenColour(colour);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.setLineStyle(style);
        canvas.line(1600, 0, 1600, 255);
        const QImage drawn = canvas.image().copy();
        QVERIFY(drawn != before);
        canvas.line(1600, 0, 1600, 255);
        QCOMPARE(canvas.image(), before);
    }

    void textIsNotInverted() {
        ImageCanvas canvas(QSize(200, 100));
        SetTenByTen(canvas);
        canvas.setPenColour(COLOUR_MAGENTA);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.text(1, 9, QStringLiteral("MHz"));
        QVERIFY(CountPixels(canvas.image(), PaletteColour(COLOUR_MAGENTA)) > 0);
        // The text hangs below its position, not above it.
        const QImage image = canvas.image();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < image.width(); ++x) QCOMPARE(image.pixel(x, y) & 0xffffff, QRgb(0xffffff));
    }

    void polylineDrawsTheSameAsItsLines() {
        const std::vector<QPointF> points{{0, 0}, {8, 120}, {16, 30}, {24, 250}, {4000, 100}};
        ImageCanvas lines(QSize(451, 275));
        ImageCanvas poly(QSize(451, 275));
        for (ImageCanvas* c : {&lines, &poly}) {
            c->setScale(-310, 255, 4200, -20);
            c->setPenColour(COLOUR_CYAN);
        }
        for (std::size_t i = 1; i < points.size(); ++i)
            lines.line(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
        poly.polyline(points);
        QVERIFY(CountPixels(poly.image(), PaletteColour(COLOUR_CYAN)) > 400);
        QCOMPARE(poly.image(), lines.image());
    }

    void thinLinesAreCutAtTheImageEdge_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<int>("pixels");
        QTest::newRow("inside") << QPointF(1, 5) << QPointF(9, 5) << 81;
        QTest::newRow("across the whole width") << QPointF(-100, 5) << QPointF(100, 5) << 100;
        QTest::newRow("far outside") << QPointF(-1e9, 5) << QPointF(1e9, 5) << 100;
        QTest::newRow("above the image") << QPointF(0, 20) << QPointF(10, 20) << 0;
        QTest::newRow("diagonal through a corner") << QPointF(-5, 15) << QPointF(15, -5) << 100;
        QTest::newRow("one point") << QPointF(3, 3) << QPointF(3, 3) << 1;
    }
    void thinLinesAreCutAtTheImageEdge() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(int, pixels);
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.line(from.x(), from.y(), to.x(), to.y(), COLOUR_LIGHT_RED);
        QCOMPARE(CountPixels(canvas.image(), PaletteColour(COLOUR_LIGHT_RED)), pixels);
    }

    void clearKeepsTheState() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.setPenColour(COLOUR_LIGHT_RED);
        canvas.setDrawMode(DrawMode::NotXor);
        canvas.line(0, 5, 10, 5);
        canvas.clear();
        QCOMPARE(CountPixels(canvas.image(), qRgb(255, 255, 255)), 100 * 100);
        QCOMPARE(canvas.penColour(), COLOUR_LIGHT_RED);
        QCOMPARE(canvas.drawMode(), DrawMode::NotXor);
    }

    void copyTakenFromImageStaysAsItWas() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.line(0, 5, 10, 5);
        const QImage copy = canvas.image();
        const QImage expected = copy.copy();
        canvas.line(0, 2, 10, 2);
        canvas.clear();
        QCOMPARE(copy, expected);
    }

    void resizeKeepsTheScale() {
        ImageCanvas canvas(QSize(100, 100));
        SetTenByTen(canvas);
        canvas.resize(QSize(200, 50));
        QCOMPARE(canvas.image().size(), QSize(200, 50));
        canvas.line(5, 0, 5, 10);
        QCOMPARE(canvas.image().pixel(100, 25) & 0xffffff, QRgb(0));
    }

    void windowCallbacks() {
        ImageCanvas canvas(QSize(10, 10));
        QVERIFY(!canvas.isMinimised());  // without a window
        QString caption;
        int refreshed = 0;
        int changes = 0;
        bool minimised = true;
        canvas.setCaptionHandler([&](const QString& c) { caption = c; });
        canvas.setRefreshHandler([&] { ++refreshed; });
        canvas.setChangeHandler([&] { ++changes; });
        canvas.setMinimisedQuery([&] { return minimised; });
        canvas.setCaption(QStringLiteral("Ac: x"));
        QCOMPARE(caption, QStringLiteral("Ac: x"));
        QVERIFY(canvas.isMinimised());
        canvas.line(0, 0, 5, 5);
        canvas.line(0, 5, 5, 0);
        QCOMPARE(changes, 1);  // one repaint request until the picture has been taken
        canvas.image();
        canvas.text(1, 1, QStringLiteral("a"));
        QCOMPARE(changes, 2);
        canvas.refresh();
        QCOMPARE(refreshed, 1);
    }
};

QTEST_MAIN(TestImageCanvas)
#include "tst_imagecanvas.moc"
