#pragma once

#include <QStringList>
#include <optional>
#include <utility>

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
    // A script's messages: kept for SCR:MESS? (the newest MAX_NOTICES of them), never an error of a remote
    // command; outside a remote command they are shown too, without waiting.
    void notice(const QString& text, const QString& title, MessageIcon icon) override;
    QStringList TakeNotices() { return std::exchange(m_notices, {}); }
    static constexpr qsizetype MAX_NOTICES = 32;
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
    QStringList m_notices;
};

}  // namespace tk
