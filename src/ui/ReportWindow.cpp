#include "ReportWindow.h"

#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "FileIO.h"
#include "ReportPdf.h"
#include "Version.h"

namespace tk {
namespace {

const QString REPORT_TITLE = QStringLiteral("Report");

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A name the program remembers, unless it is still the dialog's pattern ("*.grn").
QString Known(const QString& name) {
    return name.contains(u'*') ? QString() : QFileInfo(name).fileName();
}

}  // namespace

ReportWindow::ReportWindow(MeasurementModel& model, UserDialogs& dialogs, QString setupFile, QWidget* parent)
    : QWidget(parent), m_model(model), m_dialogs(dialogs), m_setupFile(std::move(setupFile)) {
    setObjectName(QStringLiteral("boxreport"));
    setWindowTitle(REPORT_TITLE);
    const ReportSetup setup =
        ReportSetupFromJson(ReadFileBytes(m_setupFile, 64 * 1024).value_or(QByteArray()));
    m_title = Named(new QLineEdit(setup.title, this), "reporttitle");
    m_eut = Named(new QLineEdit(setup.eut, this), "reporteut");
    m_operator = Named(new QLineEdit(setup.operatorName, this), "reportoperator");
    m_notes = Named(new QPlainTextEdit(setup.notes, this), "reportnotes");
    m_margin = Named(new QDoubleSpinBox(this), "reportmargin");
    m_margin->setRange(0.0, 100.0);
    m_margin->setSingleStep(0.5);
    m_margin->setSuffix(QStringLiteral(" dB"));
    m_margin->setValue(setup.marginDb);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Title"), m_title);
    form->addRow(QStringLiteral("Equipment under test"), m_eut);
    form->addRow(QStringLiteral("Operator"), m_operator);
    form->addRow(QStringLiteral("Notes"), m_notes);
    form->addRow(QStringLiteral("Pass with margin below"), m_margin);

    m_screen = Named(new QRadioButton(QStringLiteral("Measurement on screen"), this), "reportscreen");
    auto* stored = Named(new QRadioButton(QStringLiteral("Stored measurements"), this), "reportstored");
    m_screen->setChecked(true);
    m_files = Named(new QListWidget(this), "reportlist");
    auto* add = Named(new QPushButton(QStringLiteral("&Add..."), this), "reportadd");
    auto* remove = Named(new QPushButton(QStringLiteral("&Remove"), this), "reportremove");
    auto* write = Named(new QPushButton(QStringLiteral("&Write PDF..."), this), "reportwrite");
    connect(add, &QPushButton::clicked, this, [this, stored] {
        AddFile();
        stored->setChecked(m_files->count() > 0 || stored->isChecked());
    });
    connect(remove, &QPushButton::clicked, this, [this] { delete m_files->currentItem(); });
    connect(write, &QPushButton::clicked, this, &ReportWindow::Write);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(write);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_screen);
    layout->addWidget(stored);
    layout->addWidget(m_files);
    layout->addLayout(buttons);
}

ReportSetup ReportWindow::Setup() const {
    ReportSetup setup;
    setup.title = m_title->text().trimmed().isEmpty() ? setup.title : m_title->text().trimmed();
    setup.eut = m_eut->text();
    setup.operatorName = m_operator->text();
    setup.notes = m_notes->toPlainText();
    setup.marginDb = m_margin->value();
    return setup;
}

void ReportWindow::AddFile() {
    const auto name = m_dialogs.openFileName(
        OpenFileRequest(QStringLiteral("Messungen (*.mes);;Alle Dateien (*.*)"), QStringLiteral("mes")));
    if (name) m_files->addItem(*name);
}

std::optional<std::vector<ReportScan>> ReportWindow::Scans() {
    std::vector<ReportScan> scans;
    if (m_screen->isChecked()) {
        ReportScan scan;
        scan.name = QStringLiteral("Measurement on screen");
        scan.model = m_model;
        scan.boundaryFile = Known(m_model.fileNames.boundaries);
        scan.correction = bool(m_model.settings.calibrationOn);
        scan.calibrationFile = Known(m_model.fileNames.calibration);
        scans.push_back(std::move(scan));
        return scans;
    }
    for (int i = 0; i < m_files->count(); ++i) {
        const QString name = m_files->item(i)->text();
        QString error;
        auto scan = ReadReportScan(name, &error);
        if (!scan) {
            m_dialogs.message(QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(name),
                              REPORT_TITLE, MessageIcon::Critical);
            return std::nullopt;
        }
        scan->model.interfaceVersion = m_model.interfaceVersion;
        scans.push_back(std::move(*scan));
    }
    return scans;
}

void ReportWindow::Write() {
    std::optional<std::vector<ReportScan>> scans = Scans();
    if (!scans) return;
    if (scans->empty()) {
        m_dialogs.message(QStringLiteral("Add the stored measurements to report on."), REPORT_TITLE,
                          MessageIcon::Information);
        return;
    }
    FileDialogRequest request;
    request.title = REPORT_TITLE;
    request.filter = QStringLiteral("PDF (*.pdf)");
    request.initialName = QStringLiteral("report.pdf");
    request.defaultExtension = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (!name || name->trimmed().isEmpty()) return;
    Report report{Setup(), std::move(*scans), QDateTime::currentDateTime(),
                  QString::fromLatin1(PROGRAM_VERSION)};
    if (!WriteReportPdf(report, *name, ReportPaper(QLocale()))) {
        m_dialogs.message(QStringLiteral("Cannot write file ") + QDir::toNativeSeparators(*name),
                          REPORT_TITLE, MessageIcon::Critical);
        return;
    }
    if (!WriteFileAtomically(m_setupFile, ReportSetupJson(report.setup)))
        m_dialogs.message(QStringLiteral("The report setup could not be remembered in ") +
                              QDir::toNativeSeparators(m_setupFile),
                          REPORT_TITLE, MessageIcon::Warning);
    m_dialogs.message(QStringLiteral("The report was written to ") + QDir::toNativeSeparators(*name),
                      REPORT_TITLE, MessageIcon::Information);
}

}  // namespace tk
