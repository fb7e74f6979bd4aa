#pragma once

#include <QCheckBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "BusyCursor.h"
#include "FileCommands.h"
#include "MenuTable.h"
#include "HelpViewer.h"
#include "MeasurementModel.h"
#include "ScriptCommands.h"
#include "Session.h"
#include "SpectrumGraph.h"
#include "StartUp.h"

namespace tk {

struct MainWindowContext {
    MeasurementModel& model;
    SerialPort& port;
    Clock& clock;
    UserDialogs& dialogs;
    HelpViewer& help;
    PortMap& portMap;
    QString programDirectory;     // holds the parameter file
    QStringList helpDirectories;  // searched in order for the help files
};

// The main window `MDI`: menus, toolbar, status text and the start-up and exit sequences; a view of the
// session, which owns the line, the cycle and the switches.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // The toolbar's buttons, by their names.
    struct ToolButtons {
        QToolButton* Command1 = nullptr;   // "Single"
        QToolButton* Command2 = nullptr;   // "Config"
        QToolButton* Command3 = nullptr;   // "Setup"
        QToolButton* Command4 = nullptr;   // "Erase"
        QToolButton* Command5 = nullptr;   // "Print"
        QToolButton* Command6 = nullptr;   // "Ref-C."
        QToolButton* Command7 = nullptr;   // "Clipboard"
        QToolButton* Command8 = nullptr;   // "Ac-m"
        QToolButton* Command9 = nullptr;   // "Av-m"
        QToolButton* Command10 = nullptr;  // "Pk-m"
        QToolButton* Command11 = nullptr;  // "Off"
        QToolButton* Command12 = nullptr;  // "On"
        QToolButton* Command13 = nullptr;  // "Correction"
    };

    explicit MainWindow(const MainWindowContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence of the window's load event. Returns whether a valid parameter file was read (the
    // start scripts are started only then).
    bool Load(const QString& commandLineScript);
    // One tick of Timer1.
    void Tick() { m_session->Tick(); }
    Session& session() { return *m_session; }

    // Every menu entry by its name, for tests; the program uses the typed ones.
    QAction* action(const QString& name) const { return m_actions.value(name); }
    const MenuActions& menu() const { return m_menu; }
    SpectrumGraph& graph() { return m_graph; }
    // The graph window, created and shown when missing.
    class GraphWindow* ShowGraphWindow();
    QString parameterFilePath() const;
    QString helpFilePath() const;
    AnalyzerLink& link() { return m_session->Link(); }
    class LimitCommands& limits() {
        return *m_limits;
    }
    class PeakCommands& peaks() {
        return *m_peaks;
    }
    ScriptCommands& scripts() { return *m_scripts; }
    class WaterfallCommands& waterfall() {
        return *m_waterfall;
    }
    // After the model was changed from outside the windows (a remote command): the open windows and the
    // check marks show it again, as after loading a settings file.
    void ShowModelAgain();

    void RedrawGraph();
    void ShowInformation(const QString& text);

    // The window stays live while the line is busy: the busy pointer and the read's progress show, and a
    // command that needs the line meanwhile waits for the exchange to end. onEventLoop: each wait of an
    // exchange returns to the event loop (the program); without it the waits block and the line's pump
    // stands in for the events (tests that give the events at chosen waits).
    void EnableLiveWaits(bool onEventLoop = true);

    // After the model's automatic measurement was set to `checked` (a script step, the peak capture): the
    // check marks show it.
    void SetAutoMeasurementChecked(bool checked) {
        (void)checked;
        m_session->ShowSwitches();
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    // The calibration curve's menu entries and the "Correction" button.
    void WireCalibration();
    // "Peak table", its markers on the graph and the capture on violation.
    void WirePeakTable();
    void SetEnglishCaptions();

    // The session's signals reach the window's controls.
    void ConnectSession();
    void ShowSwitches(bool autoMeasurement, bool fastMode);
    void ShowReadProgress(const QString& trace, int blocks, int of);
    void TraceRead(TraceKind kind);
    void CloseInformation();
    // Ends the program: nothing more uses the line, the windows close.
    void Quit();
    void OnModuleOnline();
    void OnExit();
    void OnHelp();
    void OnLanguage(int languageIndex);
    void OnAbout();
    void ShowReferenceWindow();
    void ShowControlBox();
    void ShowSerialSetup();
    // Shows a child window in the work area, creating its frame the first time.
    void ShowChild(QWidget* child);
    void ShowHelp();
    // The data file commands and the user unit.
    void ConnectFileCommands();
    void ReopenControlBox();
    void SetUserUnitCaptions();
    void ShowUserUnitWindow();

    MainWindowContext m_ctx;
    MenuActions m_menu;
    ToolButtons m_buttons;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<BusyCursor> m_busy;
    bool m_liveWaits = false;
    std::unique_ptr<ScriptCommands> m_scripts;
    SpectrumGraph m_graph;
    std::unique_ptr<class LimitCommands> m_limits;
    std::unique_ptr<class WaterfallCommands> m_waterfall;
    std::unique_ptr<class PrintCommands> m_print;
    QPointer<class GraphWindow> m_grafik;
    std::unique_ptr<class GraphPictures> m_pictures;
    class CalibrationCommands* m_calibration = nullptr;
    bool m_calibrationLocked = false;
    QPointer<QWidget> m_boxref;
    QPointer<QWidget> m_boxcon;
    QPointer<QWidget> m_boxcomcon;
    QPointer<QWidget> m_boxdefuser;
    class WorkArea* m_workArea = nullptr;
    QHash<QString, QAction*> m_actions;
    QCheckBox* m_mdiauto = nullptr;
    QCheckBox* m_mdifast = nullptr;
    QLabel* m_uhr = nullptr;
    QString m_helpFile = QStringLiteral("TK820_2E.hlp");
    bool m_quitting = false;
    // Last, so that it goes first: the peak table's windows and captures call back into the members above.
    std::unique_ptr<class PeakCommands> m_peaks;
};

}  // namespace tk
