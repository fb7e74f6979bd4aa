#pragma once

// What the measured runs of the link need around it: messages printed, a view that counts, processor time.

#include <QProcess>

#include "AnalyzerLink.h"
#include "UserDialogs.h"

#include <cstdio>
#include <sys/resource.h>

namespace tk::bench {

class PrintingDialogs final : public UserDialogs {
public:
    void message(const QString& text, const QString& title, MessageIcon) override {
        std::printf("message: \"%s\" / \"%s\"\n", qPrintable(text), qPrintable(title));
        ++count;
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int count = 0;
};

class CountingView final : public LinkView {
public:
    void SetMainCaption(const QString& c) override { caption = c; }
    void SetOnlineChecked(bool) override {}
    void SetSleepingChecked(bool) override {}
    void SetCalculatingChecked(bool) override {}
    void TracesErased() override {}
    void RedrawGraph() override { ++redraws; }
    void ShowInformation(const QString& t) override { std::printf("information: %s\n", qPrintable(t)); }
    void CloseInformation() override {}
    QString caption;
    int redraws = 0;
};

// Starts tk820-emu at `path` with pacing on and returns the pseudo-terminal it serves (its first line of
// output); an empty text, with the reason on standard error, when it did not start.
inline QString StartEmulator(QProcess& emu, const QString& path) {
    emu.start(path, {QStringLiteral("--emu-pacing=on")});
    if (!emu.waitForStarted(5000) || !emu.waitForReadyRead(5000)) {
        std::fprintf(stderr, "tk820-emu did not start\n");
        return {};
    }
    return QString::fromLatin1(emu.readLine()).trimmed();
}

// Processor time of this process, user and system, in seconds.
inline double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace tk::bench
