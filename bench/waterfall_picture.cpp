// Makes the README's waterfall picture from the real window: the main window reads the in-process
// emulator's live scene (the burst near the centre, the carrier drifting to the right of it) in simulated
// time, one read of the actual trace per sweep, and the waterfall window is grabbed into a PNG.
//   tk_waterfall_picture docs/waterfall.png
#include <QApplication>
#include <QMdiSubWindow>
#include <QToolButton>
#include <cstdio>

#include "EmulatorAppRig.h"
#include "WaterfallCommands.h"
#include "WaterfallWindow.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tk_waterfall_picture FILE.png\n");
        return 2;
    }
    tk::test::EmulatorAppRig rig;
    rig.window->resize(1000, 800);
    rig.model.settings.showPeak = rig.model.settings.showAverage = false;
    rig.trigger("mopen");
    if (!rig.port.isOpen()) {
        std::fprintf(stderr, "the emulated interface did not answer\n");
        return 1;
    }
    // 1000 points at 115200 baud: a read takes about a sweep, so that every sweep shows.
    rig.model.settings.baudIndex = 5;
    rig.window->link().ConnectInterface();
    rig.model.settings.resolution = 4;
    rig.window->link().SendCommand("be");
    rig.window->waterfall().ShowWaterfall();
    tk::WaterfallWindow* waterfall = rig.window->waterfall().window();
    waterfall->parentWidget()->resize(720, 420);
    QCoreApplication::processEvents();
    for (int read = 0; read < 400; ++read) {
        rig.clock.advance(0.1);
        rig.find<QToolButton>("Command1")->click();
    }
    QCoreApplication::processEvents();
    const QImage picture = waterfall->grab().toImage().convertToFormat(QImage::Format_Indexed8);
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    for (const auto& m : rig.dialogs.messages) std::printf("message: %s\n", qPrintable(m.text));
    std::printf("%d rows, %dx%d\n", waterfall->history().rowCount(), picture.width(), picture.height());
    return 0;
}
