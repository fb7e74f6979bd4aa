#pragma once

#include <QStringList>
#include <optional>

#include "UserDialogs.h"

namespace tk {

// The program's dialogs with a remote command's say: while a remote command runs, the file dialog it
// causes answers with the command's file name, and a message goes to the command's client instead of a box
// (and counts as confirmed), so that no remote session waits on a box. Otherwise everything goes to the
// dialogs of the program.
class RemoteDialogs final : public UserDialogs {
public:
    explicit RemoteDialogs(UserDialogs& shown) : m_shown(shown) {}

    void Keep() { m_keeping = true; }
    // The name the next file dialog answers with.
    void AnswerNextFileDialog(const QString& path) { m_nextName = path; }
    QStringList Take();

    void message(const QString& text, const QString& title, MessageIcon icon) override;
    // While a remote command runs, its client takes it as a message; otherwise it is shown without waiting.
    void notice(const QString& text, const QString& title, MessageIcon icon) override {
        if (m_keeping) return message(text, title, icon);
        m_shown.notice(text, title, icon);
    }
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    // While a remote command runs nobody is there to choose: cancelled.
    std::optional<QString> folderName(const QString& title, const QString& initialFolder) override {
        if (m_keeping) return std::nullopt;
        return m_shown.folderName(title, initialFolder);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& proposal) override;

private:
    std::optional<QString> FileName(const FileDialogRequest& request, bool save);

    UserDialogs& m_shown;
    bool m_keeping = false;
    std::optional<QString> m_nextName;
    QStringList m_kept;
};

}  // namespace tk
