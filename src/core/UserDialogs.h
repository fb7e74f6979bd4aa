#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tk {

enum class MessageIcon { None, Information, Warning, Critical, Question };

struct FileDialogRequest {
    QString title;
    QString filter;       // e.g. "Setup (*.set)"
    QString initialName;  // the file kind's last name or pattern
    QString defaultExtension;
    bool mustExist = false;
    bool confirmOverwrite = false;
    // Asks before a name that does not exist yet is taken, so that a mistyped name creates no stray file.
    bool confirmCreate = false;
};

// The "Open" dialog of a file kind: its filter ("Grenzen (*.grn);;Alle Dateien (*.*)") and extension
// ("grn"); it starts on "*.grn" and takes only a file that exists.
inline FileDialogRequest OpenFileRequest(const QString& filter, const QString& extension) {
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = filter;
    request.initialName = QStringLiteral("*.") + extension;
    request.defaultExtension = extension;
    request.mustExist = true;
    return request;
}

// Everything the program asks or tells the user in a dialog of its own.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual void message(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None) = 0;
    // A message that waits for nobody: it is shown and the program goes on at once, so that a script's
    // messages never stop the script, the line or the measurement. Where nothing can show it apart, it is
    // an ordinary message.
    virtual void notice(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None) {
        message(text, title, icon);
    }
    // The chosen file name, or nothing when the user cancels.
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // The chosen folder, or nothing when the user cancels (or where nobody can choose one).
    virtual std::optional<QString> folderName(const QString& title, const QString& initialFolder) {
        (void)title;
        (void)initialFolder;
        return std::nullopt;
    }
    // The typed answer, or nothing when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& proposal) = 0;
};

}  // namespace tk
