// tk820-emu: the emulated TK820-2 interface on a pseudo-terminal. Prints the terminal's device path on the
// first line of its output and serves until SIGINT or SIGTERM (or until a "disappear" fault strikes).
// Lines on its standard input change the emulation while it runs ("loss 10").

#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>

#include "EmulatorOptions.h"
#include "PtyServer.h"

namespace {

tk::emu::PtyServer* g_server = nullptr;

extern "C" void OnSignal(int) {
    if (g_server) g_server->stop();
}

const QStringList OWN_OPTIONS{QStringLiteral("seed"),       QStringLiteral("pacing"),
                              QStringLiteral("latency-ms"), QStringLiteral("sweep-ms"),
                              QStringLiteral("baud"),       QStringLiteral("fault"),
                              QStringLiteral("loss"),       QStringLiteral("scene")};

QString Usage() {
    const QString text = QStringLiteral(
        "Usage: tk820-emu [OPTION]...\n"
        "Serves an emulated TK820-2 interface on a pseudo-terminal. The first line of output is the\n"
        "terminal's device path, for the program to open as its serial port. Runs until interrupted.\n\n"
        "The options of the program's --emu-... arguments are taken with or without \"emu-\"\n"
        "(--seed=3 is --emu-seed=3). Answers leave at the emulated line rate on the real clock.\n\n"
        "  --pc-rate=terminal        (default) the rate the program sets on the terminal is its line\n"
        "                            rate; bytes at a rate other than the interface's are lost both ways\n"
        "  --pc-rate=device          take the program to use the interface's rate always\n"
        "  --loss DB                 as --loss=DB (--emu-loss=DB below)\n"
        "  --help                    this text\n\n"
        "While it runs, a line on standard input changes the emulation:\n"
        "  loss DB                   the cable loss from now on, as --emu-loss\n\n");
    return text + tk::EmulatorOptionsUsage();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList emuArgs;
    tk::emu::PcRate pcRate = tk::emu::PcRate::FromTerminal;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            std::fputs(qPrintable(Usage()), stdout);
            return 0;
        }
        if (arg == u"--pc-rate=terminal") {
            pcRate = tk::emu::PcRate::FromTerminal;
            continue;
        }
        if (arg == u"--pc-rate=device") {
            pcRate = tk::emu::PcRate::SameAsDevice;
            continue;
        }
        if (arg == u"--loss" && i + 1 < args.size()) {
            emuArgs << QStringLiteral("--emu-loss=") + args[++i];
            continue;
        }
        if (tk::IsEmulatorArgument(arg)) {
            emuArgs << arg;
            continue;
        }
        const QString name = arg.mid(2).section(u'=', 0, 0);
        if (!arg.startsWith(u"--") || !OWN_OPTIONS.contains(name)) {
            std::fprintf(stderr, "tk820-emu: unknown argument %s (try --help)\n", qPrintable(arg));
            return 2;
        }
        emuArgs << QStringLiteral("--emu-") + arg.mid(2);
    }
    QString error;
    const auto options = tk::ParseEmulatorOptions(emuArgs, &error);
    if (!options) {
        std::fprintf(stderr, "tk820-emu: %s\n", qPrintable(error));
        return 2;
    }

    tk::SystemClock clock;
    tk::emu::PtyServer server(tk::ToDeviceConfig(*options), clock, pcRate);
    if (!server.open(&error)) {
        std::fprintf(stderr, "tk820-emu: %s\n", qPrintable(error));
        return 1;
    }
    g_server = &server;
    // Typing into the shell while the emulator runs in the background must not stop it: its input then
    // just ends.
    std::signal(SIGTTIN, SIG_IGN);
    server.setControlInput(STDIN_FILENO, [](const QString& answer) {
        std::fprintf(stderr, "tk820-emu: %s\n", qPrintable(answer));
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    server.serve();
    g_server = nullptr;
    if (server.device().vanished()) std::fputs("tk820-emu: the interface has disappeared\n", stderr);
    return 0;
}
