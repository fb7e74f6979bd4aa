#pragma once

#include <QList>
#include <cstdio>

#include "UserDialogs.h"

namespace tk {

// The dialogs of a run without windows: each message goes to standard error as "title: text" and counts as
// confirmed at once; a file dialog or an input box, which no script step asks for, is cancelled.
class HeadlessDialogs final : public UserDialogs {
public:
    struct Message {
        QString text;
        QString title;
    };
    explicit HeadlessDialogs(std::FILE* out = stderr) : m_out(out) {}

    void message(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& proposal) override;

    // Every message shown, in order.
    const QList<Message>& messages() const { return m_messages; }

private:
    void Write(const QString& title, const QString& text);

    std::FILE* m_out;
    QList<Message> m_messages;
};

}  // namespace tk
