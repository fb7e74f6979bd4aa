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
    // A script's own message: written out like the others, but no error.
    void notice(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& proposal) override;

    // Every message and notice shown, in order.
    const QList<Message>& messages() const { return m_messages; }
    // How many of them were messages: the errors the program reported.
    int errors() const { return m_errors; }

private:
    void Write(const QString& title, const QString& text);

    std::FILE* m_out;
    QList<Message> m_messages;
    int m_errors = 0;
};

}  // namespace tk
