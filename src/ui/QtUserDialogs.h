#pragma once

#include <QPointer>
#include <QWidget>

#include "UserDialogs.h"

namespace tk {

// Message boxes, file dialogs and the input box of the real program.
class QtUserDialogs final : public UserDialogs {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }
    void message(const QString& text, const QString& title, MessageIcon icon) override;
    // A box that is not modal: it stays until the user closes it, and nothing waits for it.
    void notice(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> folderName(const QString& title, const QString& initialFolder) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& proposal) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace tk
