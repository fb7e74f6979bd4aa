#include "HeadlessDialogs.h"

namespace tk {

void HeadlessDialogs::Write(const QString& title, const QString& text) {
    // A script message is an 80-character field: its padding says nothing on a terminal.
    std::fprintf(m_out, "%s: %s\n", qPrintable(title), qPrintable(text.trimmed()));
    std::fflush(m_out);
}

void HeadlessDialogs::message(const QString& text, const QString& title, MessageIcon) {
    ++m_errors;
    m_messages.append({text, title});
    Write(title, text);
}

void HeadlessDialogs::notice(const QString& text, const QString& title, MessageIcon) {
    m_messages.append({text, title});
    Write(title, text);
}

std::optional<QString> HeadlessDialogs::openFileName(const FileDialogRequest& request) {
    Write(request.title, QStringLiteral("no file dialog in a run without windows; cancelled"));
    return std::nullopt;
}

std::optional<QString> HeadlessDialogs::saveFileName(const FileDialogRequest& request) {
    Write(request.title, QStringLiteral("no file dialog in a run without windows; cancelled"));
    return std::nullopt;
}

std::optional<QString> HeadlessDialogs::inputBox(const QString& prompt, const QString& title,
                                                 const QString&) {
    Write(title, prompt + QStringLiteral(" - no input in a run without windows; cancelled"));
    return std::nullopt;
}

}  // namespace tk
