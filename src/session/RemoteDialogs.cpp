#include "RemoteDialogs.h"

#include <utility>

namespace tk {

QStringList RemoteDialogs::Take() {
    m_keeping = false;
    m_nextName.reset();
    return std::exchange(m_kept, {});
}

void RemoteDialogs::message(const QString& text, const QString& title, MessageIcon icon) {
    if (!m_keeping) return m_shown.message(text, title, icon);
    m_kept.append(title.isEmpty() ? text.trimmed() : title + QStringLiteral(": ") + text.trimmed());
}

void RemoteDialogs::notice(const QString& text, const QString& title, MessageIcon icon) {
    m_notices.append(title.isEmpty() ? text.trimmed() : title + QStringLiteral(": ") + text.trimmed());
    if (m_notices.size() > MAX_NOTICES) m_notices.removeFirst();
    if (!m_keeping) m_shown.notice(text, title, icon);
}

std::optional<QString> RemoteDialogs::FileName(const FileDialogRequest& request, bool save) {
    if (!m_keeping) return save ? m_shown.saveFileName(request) : m_shown.openFileName(request);
    return std::exchange(m_nextName, std::nullopt);
}

std::optional<QString> RemoteDialogs::openFileName(const FileDialogRequest& request) {
    return FileName(request, false);
}

std::optional<QString> RemoteDialogs::saveFileName(const FileDialogRequest& request) {
    return FileName(request, true);
}

std::optional<QString> RemoteDialogs::inputBox(const QString& prompt, const QString& title,
                                               const QString& proposal) {
    // Nobody is there to type: cancelled.
    if (m_keeping) return std::nullopt;
    return m_shown.inputBox(prompt, title, proposal);
}

}  // namespace tk
