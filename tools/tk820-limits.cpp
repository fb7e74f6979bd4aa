// Writes the shipped limit-line files (examples/limits) from the program's table, through the program's own
// boundaries-file writer: tk820-limits DIR
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "BoundariesFile.h"
#include "StandardLimits.h"

namespace {

class StderrDialogs final : public tk::UserDialogs {
public:
    void message(const QString& text, const QString& title, tk::MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    std::optional<QString> openFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tk820-limits DIR\n");
        return 2;
    }
    StderrDialogs dialogs;
    for (const tk::StandardLimits& limits : tk::CisprConductedLimits()) {
        tk::MeasurementModel model;
        tk::ApplyStandardLimits(limits, model);
        const QString path = QDir(args[1]).filePath(limits.fileName);
        if (!tk::SaveBoundariesFile(path, model, dialogs)) return 1;
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
