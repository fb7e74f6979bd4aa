#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "MeasurementModel.h"
#include "MenuTable.h"
#include "ScriptFileActions.h"
#include "UserDialogs.h"

class QAction;
class QObject;
class QPrinter;

namespace tk {

// "&Print" opens the printer setup window, whose "&Print" sends the page to the printer or, where none is set
// up, into a PDF file the user names. "Prin&ter Setup" chooses the printer. "&Report..." writes a test
// report.
class PrintCommands {
public:
    // Whether a printer is set up; the real one asks the system's print service.
    using PrinterAvailable = std::function<bool()>;

    // home: the folder where the report's setup is remembered.
    PrintCommands(MeasurementModel& model, UserDialogs& dialogs, QString home = {},
                  PrinterAvailable printerAvailable = {});
    ~PrintCommands();
    // How the setup window is shown, and what follows a change of the unit it offers.
    void SetWindowHooks(std::function<void(QWidget*)> showChild, std::function<void()> unitChanged);

    void Connect(const MenuActions& menu, QObject* context);

    void ShowSetupWindow();
    // "&Report...": the report window, a fresh one each time.
    void ShowReportWindow();
    // After a load: an open setup window, unless minimised, makes way for one that shows the loaded values.
    void ReopenSetupWindow();
    void PrinterSelection();
    // Prints the page now, on the chosen printer or into a PDF file.
    void PrintCommand();
    // The PDF instead of a printer: asks for the file (the measurement file's name with "pdf" proposed),
    // writes it and says where. False when nothing was written.
    bool SavePdf();
    // Prints lines of text (the calibration editor's points) the same way: on the printer, or into a PDF
    // named after the curve file.
    void PrintLines(const QStringList& lines);

    // For a page printed without anyone to answer (a script step): whether a printer is set up, and the
    // page on it, as "&Print" prints it; false when the printer service failed.
    bool PrinterSetUp() const { return m_printerAvailable(); }
    bool PrintOnPrinter();
    // The printer as a script step uses it.
    ScriptPrinter AsScriptPrinter();
    // The printer "&Print" uses: the one chosen in the printer selection, the system's default until then.
    QPrinter& printer();

private:
    // Closes the window shown in `shown`, if any, and shows `window` there instead.
    void ShowFresh(QPointer<QWidget>& shown, QWidget* window);
    // Asks for the PDF's name (the data file's name with "pdf" proposed), writes it and says where.
    bool WritePdfAsked(const QString& dataFileName, const std::function<bool(const QString&)>& write);
    QString LongDate() const;

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    PrinterAvailable m_printerAvailable;
    std::function<void(QWidget*)> m_showChild;
    std::function<void()> m_unitChanged;
    QPointer<QWidget> m_window;
    QString m_home;
    QPointer<QWidget> m_report;
    // The printer chosen in the printer selection; the system's default until then.
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace tk
