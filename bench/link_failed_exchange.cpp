// Measured run: the processor time of a failed exchange with an interface that never answers, through the
// real serial port on a pseudo-terminal and the real clock. The link's waits block in the operating system,
// so the processor time must stay a small share of the wall time.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "AnalyzerLink.h"
#include "Clock.h"
#include "PortMap.h"
#include "QtSerialPort.h"
#include "UserDialogs.h"

namespace {

class SilentDialogs final : public tk::UserDialogs {
public:
    void message(const QString& text, const QString& title, tk::MessageIcon) override {
        std::printf("message: \"%s\" / \"%s\"\n", qPrintable(text), qPrintable(title));
    }
    std::optional<QString> openFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

class NullView final : public tk::LinkView {
public:
    void SetMainCaption(const QString&) override {}
    void SetOnlineChecked(bool) override {}
    void SetSleepingChecked(bool) override {}
    void SetCalculatingChecked(bool) override {}
    void TracesErased() override {}
    void RedrawGraph() override {}
    void ShowInformation(const QString&) override {}
    void CloseInformation() override {}
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const QString slave = QString::fromLatin1(ptsname(master));

    tk::MeasurementModel model;
    tk::SystemClock clock;
    tk::QtSerialPort port;
    SilentDialogs dialogs;
    NullView view;
    tk::PortMap map;
    map.set(2, slave);
    tk::AnalyzerLink link(model, port, clock, dialogs, view, map);
    if (!link.OpenPort()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slave));
        return 1;
    }

    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    link.SendCommand("bo");  // nobody answers on the other side of the pseudo-terminal
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = CpuSeconds() - cpu0;

    char sent[16] = {};
    const auto n = read(master, sent, sizeof sent - 1);
    std::printf("device %s, transmitted \"%s\"\n", qPrintable(slave), n > 0 ? sent : "");
    std::printf("failed exchange: wall %.3f s, processor %.4f s = %.2f %% of wall\n", wall, cpu,
                100.0 * cpu / wall);
    close(master);
    return cpu / wall < 0.05 ? EXIT_SUCCESS : EXIT_FAILURE;
}
