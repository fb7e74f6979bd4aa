#include "PrintCommands.h"

#include <QAction>
#include <QDir>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "PrintOut.h"
#include "PrintPage.h"
#include "PrinterSetupWindow.h"
#include "ReportWindow.h"

namespace tk {
namespace {

const QString PRINT_TITLE = QStringLiteral("Print");

bool SystemHasPrinter() {
    return !QPrinterInfo::defaultPrinter().isNull() || !QPrinterInfo::availablePrinterNames().isEmpty();
}

}  // namespace

PrintCommands::PrintCommands(MeasurementModel& model, UserDialogs& dialogs, QString home,
                             PrinterAvailable printerAvailable)
    : m_model(model),
      m_dialogs(dialogs),
      m_printerAvailable(printerAvailable ? std::move(printerAvailable) : PrinterAvailable(SystemHasPrinter)),
      m_home(std::move(home)) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::SetWindowHooks(std::function<void(QWidget*)> showChild,
                                   std::function<void()> unitChanged) {
    m_showChild = std::move(showChild);
    m_unitChanged = std::move(unitChanged);
}

void PrintCommands::Connect(const MenuActions& menu, QObject* context) {
    if (QAction* print = menu.mnuprint) {
        print->setEnabled(true);
        QObject::connect(print, &QAction::triggered, context, [this] { ShowSetupWindow(); });
    }
    if (QAction* setup = menu.mnusetprint) {
        setup->setEnabled(true);
        QObject::connect(setup, &QAction::triggered, context, [this] { PrinterSelection(); });
    }
    if (QAction* report = menu.mnureport)
        QObject::connect(report, &QAction::triggered, context, [this] { ShowReportWindow(); });
}

void PrintCommands::ShowReportWindow() {
    ShowFresh(m_report,
              new ReportWindow(m_model, m_dialogs, QDir(m_home).filePath(QStringLiteral("TK820-2.report"))));
}

void PrintCommands::ShowFresh(QPointer<QWidget>& shown, QWidget* window) {
    // A window left open shows values that may have changed since; it makes way for the fresh one.
    if (shown) {
        if (auto* frame = shown->parentWidget())
            frame->close();
        else
            shown->close();
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    shown = window;
    if (m_showChild)
        m_showChild(window);
    else
        window->show();
}

void PrintCommands::ReopenSetupWindow() {
    if (!m_window) return;
    auto* frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    if (frame && frame->isMinimized()) return;
    ShowSetupWindow();
}

void PrintCommands::ShowSetupWindow() {
    ShowFresh(m_window, new PrinterSetupWindow(
                            m_model, [this] { PrintCommand(); }, m_unitChanged));
}

void PrintCommands::PrinterSelection() {
    if (!m_printerAvailable()) {
        m_dialogs.message(QStringLiteral("No printer is set up. \"Print\" writes the page into a PDF file."),
                          QStringLiteral("Printer setup"), MessageIcon::Information);
        return;
    }
    QPrintDialog dialog(&printer());
    dialog.setWindowTitle(QStringLiteral("Printer setup"));
    dialog.exec();
}

void PrintCommands::PrintCommand() {
    if (m_printerAvailable()) {
        if (!PrintOnPrinter())
            m_dialogs.message(QStringLiteral("The page could not be printed."), PRINT_TITLE,
                              MessageIcon::Critical);
        return;
    }
    SavePdf();
}

bool PrintCommands::SavePdf() {
    return WritePdfAsked(m_model.fileNames.measurement,
                         [this](const QString& name) { return WritePdfPage(m_model, name, LongDate()); });
}

void PrintCommands::PrintLines(const QStringList& lines) {
    if (m_printerAvailable()) {
        if (!PrintTextLines(lines, printer()))
            m_dialogs.message(QStringLiteral("The page could not be printed."), PRINT_TITLE,
                              MessageIcon::Critical);
        return;
    }
    WritePdfAsked(m_model.fileNames.calibration, [&lines](const QString& name) {
        return WritePdfTextLines(lines, name, QStringLiteral("Calibration curve"));
    });
}

bool PrintCommands::WritePdfAsked(const QString& dataFileName,
                                  const std::function<bool(const QString&)>& write) {
    FileDialogRequest request;
    request.title = QStringLiteral("Print to PDF file");
    request.filter = QStringLiteral("PDF (*.pdf)");
    request.initialName = PdfNameFor(dataFileName);
    request.defaultExtension = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (!name || name->trimmed().isEmpty()) return false;
    if (!write(*name)) {
        m_dialogs.message(QStringLiteral("Cannot write file ") + QDir::toNativeSeparators(*name), PRINT_TITLE,
                          MessageIcon::Critical);
        return false;
    }
    m_dialogs.message(
        QStringLiteral("No printer is set up. The page was written to ") + QDir::toNativeSeparators(*name),
        PRINT_TITLE, MessageIcon::Information);
    return true;
}

QPrinter& PrintCommands::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool PrintCommands::PrintOnPrinter() {
    printer().setDocName(QStringLiteral("tk820-2"));
    return PrintPage(m_model, printer(), LongDate());
}

QString PrintCommands::LongDate() const {
    return LongDateText(m_model.readDate.text());
}

ScriptPrinter PrintCommands::AsScriptPrinter() {
    ScriptPrinter p;
    p.setUp = [this] { return PrinterSetUp(); };
    p.name = [this] { return printer().printerName(); };
    p.print = [this] { return PrintOnPrinter(); };
    return p;
}

}  // namespace tk
