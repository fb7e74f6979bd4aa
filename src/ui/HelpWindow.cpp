#include "HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace tk {

bool HelpWindow::ShowContents(const QString& helpFilePath) {
    QFile file(helpFilePath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString html = QString::fromLatin1(file.readAll());
    if (!m_browser) {
        m_browser = new QTextBrowser(m_owner);
        m_browser->setWindowFlag(Qt::Window);
        m_browser->setObjectName(QStringLiteral("helpwindow"));
        m_browser->setAttribute(Qt::WA_DeleteOnClose);
        // The help window alone never keeps the program running once the main window is closed.
        m_browser->setAttribute(Qt::WA_QuitOnClose, false);
        m_browser->setOpenExternalLinks(false);
        m_browser->resize(720, 640);
    }
    m_browser->setWindowTitle(QFileInfo(helpFilePath).fileName());
    m_browser->setHtml(html);
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
    return true;
}

}  // namespace tk
