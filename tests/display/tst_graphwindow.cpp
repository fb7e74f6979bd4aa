#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

#include "GraphWindow.h"
#include "SpectrumGraph.h"

using namespace tk;

namespace {

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
    void isTheGraphWindow() {
        Fixture f;
        QCOMPARE(f.window->objectName(), QStringLiteral("grafik"));
    }

    void showingDrawsOnceAndPaintingDoesNotRedraw() {
        Fixture f;
        f.window->resize(451, 275);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const int afterShow = f.redraws;
        QCOMPARE(afterShow, 1);
        for (int i = 0; i < 5; ++i) {
            f.window->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(f.redraws, afterShow);
        QCOMPARE(f.window->image().size(), QSize(451, 275));
        // The picture holds the graph: the frame's top side (y = 255 of 255..-20) is drawn 3 pixels wide in
        // black over pixel row 0, where no grid or trace line crosses it at pixel column 100.
        QCOMPARE(f.window->image().pixel(100, 1) & 0xffffff, QRgb(0));
        QCOMPARE(f.window->image().pixel(100, 5) & 0xffffff, QRgb(0xffffff));
    }

    void resizeMakesANewPictureAndRedraws() {
        Fixture f;
        f.window->resize(300, 200);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const int before = f.redraws;
        f.window->resize(600, 400);
        QCoreApplication::processEvents();
        QCOMPARE(f.redraws, before + 1);
        QCOMPARE(f.window->image().size(), QSize(600, 400));
    }

    void minimisedSubWindowIsNotRedrawnOnResize() {
        MeasurementModel model;
        model.graphOpen = true;
        QMdiArea area;
        area.resize(800, 600);
        int redraws = 0;
        GraphWindow* window = nullptr;
        window = new GraphWindow(model, [&] {
            ++redraws;
            RedrawGraph(model, window->canvas());
        });
        QMdiSubWindow* frame = area.addSubWindow(window);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        frame->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(window->isMinimisedWindow());
        const int before = redraws;
        window->resize(200, 100);
        QCoreApplication::processEvents();
        QCOMPARE(redraws, before);
        frame->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(!window->isMinimisedWindow());
        QVERIFY(redraws > before);
    }

    void captionBecomesTheTitle() {
        Fixture f;
        f.window->canvas().setCaption(QStringLiteral("Ac: 10:15:02  "));
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Ac: 10:15:02  "));
    }

    void closingClosesTheGraph() {
        Fixture f;
        f.window->show();
        QVERIFY(f.window->close());
        QVERIFY(!f.model.graphOpen);
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
