#include "StartScriptDialog.h"

#include <QGridLayout>
#include <QPushButton>
#include <algorithm>

namespace tk {

StartScriptDialog::StartScriptDialog(MeasurementModel& model, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_model(model), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("boxstartscp"));
    setWindowTitle(QStringLiteral("Start script"));
    auto* grid = new QGridLayout(this);
    m_name = new QLineEdit(m_model.parameters.startScriptName.trimmed(), this);
    m_name->setObjectName(QStringLiteral("scpname"));
    m_name->setReadOnly(true);
    m_name->setMinimumWidth(360);
    grid->addWidget(m_name, 0, 0, 1, 3);
    auto button = [&](const char* name, const char* caption, int column) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        grid->addWidget(b, 1, column);
        return b;
    };
    connect(button("cbneu", "&Select", 0), &QPushButton::clicked, this, &StartScriptDialog::Select);
    connect(button("cbl_schen", "&Remove", 1), &QPushButton::clicked, this, [this] {
        m_model.parameters.startScriptName.set(QStringLiteral("-"));
        m_name->setText(QStringLiteral("-"));
    });
    connect(button("cbok", "&OK", 2), &QPushButton::clicked, this, &QDialog::accept);
}

void StartScriptDialog::Select() {
    FileDialogRequest r;
    r.title = QStringLiteral("Open");
    r.filter = QStringLiteral("Script (*.scp);;Alle Dateien (*.*)");
    r.initialName = m_model.parameters.startScriptName.trimmed();
    r.defaultExtension = QStringLiteral("scp");
    r.mustExist = true;
    const auto name = m_dialogs.openFileName(r);
    if (!name) return;
    // A cut or changed name would start another script, or none.
    const bool fits = name->size() <= 160 &&
                      std::all_of(name->begin(), name->end(), [](QChar c) { return c.unicode() < 256; });
    if (!fits) {
        m_dialogs.message(QStringLiteral("The file name is longer than 160 characters or holds a character "
                                         "that cannot be stored:\n%1")
                              .arg(*name),
                          QStringLiteral("File handling"), MessageIcon::Warning);
        return;
    }
    m_model.parameters.startScriptName.set(*name);
    m_name->setText(m_model.parameters.startScriptName.trimmed());
}

}  // namespace tk
