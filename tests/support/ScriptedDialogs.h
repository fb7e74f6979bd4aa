#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

#include "UserDialogs.h"

namespace tk::test {

// Records every message and answers file and input dialogs from queues (an empty queue cancels).
class ScriptedDialogs final : public UserDialogs {
public:
    struct Message {
        QString text;
        QString title;
        bool operator==(const Message&) const = default;
    };

    void message(const QString& text, const QString& title, MessageIcon) override {
        messages.append({text, title});
        if (duringMessage) duringMessage();
    }
    // A message that waits for nobody is recorded with the others, and counted.
    void notice(const QString& text, const QString& title, MessageIcon icon) override {
        ++notices;
        message(text, title, icon);
    }
    int notices = 0;
    // Runs while a message is shown, as other events may while a message box waits.
    std::function<void()> duringMessage;
    std::optional<QString> openFileName(const FileDialogRequest& r) override {
        requests.append(r);
        return next(openAnswers);
    }
    std::optional<QString> saveFileName(const FileDialogRequest& r) override {
        requests.append(r);
        return next(saveAnswers);
    }
    std::optional<QString> folderName(const QString&, const QString&) override { return next(folderAnswers); }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return next(inputAnswers);
    }

    QList<Message> messages;
    QList<FileDialogRequest> requests;
    QQueue<std::optional<QString>> openAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<std::optional<QString>> folderAnswers;

private:
    static std::optional<QString> next(QQueue<std::optional<QString>>& q) {
        return q.isEmpty() ? std::nullopt : q.dequeue();
    }
};

}  // namespace tk::test
