// The replay window's picture in the README: a recording opened at its 71st read, the queries run.
//   tk_replay_picture RECORDING.tkrec OUT.png
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "ReplayWindow.h"
#include "ScriptedDialogs.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tk_replay_picture RECORDING.tkrec OUT.png\n");
        return 2;
    }
    auto replay = std::make_unique<tk::Replay>();
    QString error;
    if (!replay->Open(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const tk::MeasurementModel model;
    tk::test::ScriptedDialogs dialogs;
    tk::ReplayWindow window(std::move(replay), model, dialogs);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(1200, 860);
    window.show();
    window.GoTo(70);
    window.RunQueries();
    int result = 1;
    QTimer::singleShot(300, [&] {
        result = window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return result;
}
