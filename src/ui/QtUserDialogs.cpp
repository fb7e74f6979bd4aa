#include "QtUserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace tk {

namespace {
QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

void QtUserDialogs::notice(const QString& text, const QString& title, MessageIcon icon) {
    auto* box = new QMessageBox(BoxIcon(icon), title, text, QMessageBox::Ok, m_parent);
    box->setObjectName(QStringLiteral("notice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void QtUserDialogs::message(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(BoxIcon(icon));
    // A message may come in the middle of a blocking exchange that shows the busy pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QApplication::restoreOverrideCursor();
}

namespace {
std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& r,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, r.title);
    dialog.setAcceptMode(mode);
    dialog.setNameFilters(r.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    dialog.setDefaultSuffix(r.defaultExtension);
    dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!r.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo initial(r.initialName);
    if (!r.initialName.contains(u'*')) {
        if (initial.isAbsolute()) dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else if (initial.isAbsolute()) {
        dialog.setDirectory(initial.absolutePath());
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        if (!r.confirmCreate || QFileInfo::exists(chosen)) return chosen;
        const auto answer =
            QMessageBox::question(parent, r.title,
                                  QStringLiteral("%1\nThis file does not exist.\nCreate the file?")
                                      .arg(QDir::toNativeSeparators(chosen)));
        if (answer == QMessageBox::Yes) return chosen;
        // "No" goes back to the dialog, as after a refused overwrite.
    }
}
}  // namespace

std::optional<QString> QtUserDialogs::openFileName(const FileDialogRequest& request) {
    return RunFileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtUserDialogs::saveFileName(const FileDialogRequest& request) {
    return RunFileDialog(m_parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtUserDialogs::folderName(const QString& title, const QString& initialFolder) {
    const QString folder = QFileDialog::getExistingDirectory(m_parent, title, initialFolder);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

std::optional<QString> QtUserDialogs::inputBox(const QString& prompt, const QString& title,
                                               const QString& proposal) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, proposal, &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace tk
