#pragma once

#include <QPointer>
#include <QTextBrowser>

#include "HelpViewer.h"

namespace tk {

// The help files are HTML; they are shown in a browser window of their own.
class HelpWindow final : public HelpViewer {
public:
    explicit HelpWindow(QWidget* owner = nullptr) : m_owner(owner) {}
    ~HelpWindow() override { delete m_browser.data(); }
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;
    bool ShowContents(const QString& helpFilePath) override;
    QTextBrowser* browser() const { return m_browser; }
    void setOwner(QWidget* owner) { m_owner = owner; }

private:
    QPointer<QWidget> m_owner;
    QPointer<QTextBrowser> m_browser;
};

}  // namespace tk
