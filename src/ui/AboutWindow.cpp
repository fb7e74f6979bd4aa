#include "AboutWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Version.h"

namespace tk {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About TK820-2"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("abouttext"));
    text->setTextFormat(Qt::RichText);
    text->setText(
        QStringLiteral("<h3>TK820-2E %1</h3>").arg(QString::fromLatin1(PROGRAM_VERSION_CAPTION)) +
        QStringLiteral("<p>Measurement front end for the TK820-2 serial interface<br>of the TR61xx spectrum "
                       "analyzers.</p>"
                       "<p>Reads the actual, peak-hold and average traces, shows them as a spectrum,<br>"
                       "checks limit lines, stores measurements and runs timed measurement scripts.</p>"
                       "<p><b>ZELOR Instruments</b></p>"
                       "<p>Support: see the help file (menu \"?\" &rarr; \"Help\") for the connection,<br>"
                       "the command-line options and the meaning of every message.</p>"));
    layout->addWidget(text);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

}  // namespace tk
