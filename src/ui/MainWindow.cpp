#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <functional>

#include "AboutWindow.h"
#include "BusyCursor.h"
#include "CalibrationCommands.h"
#include "ChildWindows.h"
#include "ControlBox.h"
#include "GraphPictures.h"
#include "GraphWindow.h"
#include "HelpLanguage.h"
#include "LimitCommands.h"
#include "MenuTable.h"
#include "PeakCommands.h"
#include "PointLists.h"
#include "PrintCommands.h"
#include "ProgramDirectory.h"
#include "ReferenceWindow.h"
#include "SerialSetup.h"
#include "Units.h"
#include "UserUnitWindow.h"
#include "WaterfallCommands.h"
#include "WorkArea.h"

namespace tk {
namespace {

using Buttons = MainWindow::ToolButtons;
struct Button {
    const char* name;
    const char* caption;
    QToolButton* Buttons::*button;
    const char* tip = nullptr;  // for the captions that do not say what they do
};
// The toolbar in its order; the two check boxes `mdiauto` and `mdifast` come after the first six.
const std::initializer_list<Button> kButtons = {
    {"Command1", "Single", &Buttons::Command1},
    {"Command2", "Config", &Buttons::Command2},
    {"Command3", "Setup", &Buttons::Command3},
    {"Command5", "Print", &Buttons::Command5},
    {"Command6", "Ref-C.", &Buttons::Command6, "Reference calculation: the reference curves and their sums"},
    {"Command7", "Clipboard", &Buttons::Command7},
    {"Command4", "Erase", &Buttons::Command4},
    {"Command8", "Ac-m", &Buttons::Command8, "Take the actual trace as the comparison curve"},
    {"Command9", "Av-m", &Buttons::Command9, "Take the average trace as the comparison curve"},
    {"Command10", "Pk-m", &Buttons::Command10, "Take the peak trace as the comparison curve"},
    {"Command11", "Off", &Buttons::Command11, "Hide the comparison curve"},
    {"Command12", "On", &Buttons::Command12, "Show the comparison curve"},
    {"Command13", "Correction", &Buttons::Command13},
};

QString Name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

MainWindow::MainWindow(const MainWindowContext& context, QWidget* parent)
    : QMainWindow(parent), m_ctx(context), m_graph(context.model) {
    setObjectName(QStringLiteral("MDI"));
    m_session = std::make_unique<Session>(
        SessionContext{m_ctx.model, m_ctx.port, m_ctx.clock, m_ctx.dialogs, m_ctx.portMap});
    m_pictures = std::make_unique<GraphPictures>(m_ctx.model, m_graph, m_session->Reader(), m_ctx.dialogs,
                                                 [this] { return font(); });
    GraphHooks hooks;
    hooks.portOpen = [this] { return link().IsOpen(); };
    hooks.refreshLevelWindow = [this] { m_limits->RefreshLevelWindow(); };
    hooks.refreshViolationList = [this] { m_limits->RefreshViolationList(); };
    hooks.refreshPeakTable = [this] {
        if (m_peaks) m_peaks->RefreshTable();
    };
    hooks.drawOverlay = [this](Canvas& canvas) {
        if (m_peaks) m_peaks->DrawMarkers(canvas);
    };
    // The window shows a read's progress; pictures, prints and copies show only complete reads.
    hooks.inProgress = [this](const TraceArray& trace) {
        return m_pictures->Drawing() ? nullptr : m_session->Reader().Receiving(trace);
    };
    m_graph.setHooks(hooks);
    m_workArea = new WorkArea(QDir(m_ctx.programDirectory).filePath(QStringLiteral("TK820-2.windows")), this);
    setCentralWidget(m_workArea);
    BuildMenus();
    BuildToolbar();
    m_limits = std::make_unique<LimitCommands>(m_ctx.model, m_graph, [this](QWidget* w) { ShowChild(w); });
    m_limits->Connect(m_menu, this);
    m_waterfall = std::make_unique<WaterfallCommands>(m_ctx.model, m_ctx.clock, m_ctx.dialogs, *m_limits,
                                                      [this](QWidget* w) { ShowChild(w); });
    m_waterfall->Connect(m_menu.mnuwaterfall, this);
    m_session->BoundaryFiles().SetAfterLoad([this] {
        ReopenControlBox();
        m_limits->ReopenBoundaryEditor();
    });
    m_scripts = std::make_unique<ScriptCommands>(
        *m_session, m_ctx.dialogs, [this](QWidget* w) { ShowChild(w); }, this);
    connect(m_menu.mnuscriptload, &QAction::triggered, m_session.get(),
            &Session::LoadScriptFile);
    connect(m_menu.mnuscriptsave, &QAction::triggered, m_scripts.get(),
            &ScriptCommands::SaveCommand);
    connect(m_menu.mnugenscript, &QAction::triggered, m_scripts.get(),
            &ScriptCommands::ShowEditor);
    connect(m_menu.mnustartscp, &QAction::triggered, m_scripts.get(),
            &ScriptCommands::ShowStartScriptDialog);
    m_print = std::make_unique<PrintCommands>(m_ctx.model, m_ctx.dialogs, m_ctx.programDirectory);
    m_print->SetWindowHooks([this](QWidget* w) { ShowChild(w); }, [this] { RedrawGraph(); });
    m_print->Connect(m_menu, this);
    m_scripts->UsePrinter(*m_print, statusBar());
    ConnectFileCommands();
    WireCalibration();
    WirePeakTable();
    ConnectSession();
    resize(1100, 760);
}

void MainWindow::ConnectSession() {
    Session* s = m_session.get();
    s->SetAfterReads([this] { m_peaks->AfterReads(); });
    connect(s, &Session::helpFileSelected, this, [this](const QString& name) { m_helpFile = name; });
    connect(s, &Session::captionChanged, this, &QWidget::setWindowTitle);
    connect(s, &Session::onlineChanged, m_menu.mopen, &QAction::setChecked);
    connect(s, &Session::sleepingChanged, m_menu.mnusleep, &QAction::setChecked);
    connect(s, &Session::calculatingChanged, m_menu.mnurechen, &QAction::setChecked);
    connect(s, &Session::switchesChanged, this, &MainWindow::ShowSwitches);
    connect(s, &Session::modelReset, this, &MainWindow::ShowModelAgain);
    connect(s, &Session::statusChanged, m_uhr, &QLabel::setText);
    connect(s, &Session::graphChanged, this, &MainWindow::RedrawGraph);
    connect(s, &Session::tracesErased, this, &MainWindow::RedrawGraph);
    connect(s, &Session::traceRead, this, &MainWindow::TraceRead);
    connect(s, &Session::informationShown, this, &MainWindow::ShowInformation);
    connect(s, &Session::informationClosed, this, &MainWindow::CloseInformation);
    connect(s, &Session::readProgress, this, &MainWindow::ShowReadProgress);
    connect(s, &Session::busyChanged, this, [this](bool busy) {
        // The busy pointer for the length of an exchange; with live waits the graph shows it too.
        if (busy)
            m_busy = std::make_unique<BusyCursor>();
        else
            m_busy.reset();
        if (!m_liveWaits || !m_grafik) return;
        if (busy)
            m_grafik->setCursor(Qt::BusyCursor);
        else
            m_grafik->unsetCursor();
    });
}

void MainWindow::ShowSwitches(bool autoMeasurement, bool fastMode) {
    m_menu.mnuauto->setChecked(autoMeasurement);
    m_mdiauto->setChecked(autoMeasurement);
    m_menu.mnufastmode->setChecked(fastMode);
    m_mdifast->setChecked(fastMode);
}

MainWindow::~MainWindow() {
    // The child windows outlive this body; the graph must not hear from its window after the members are
    // gone.
    if (m_grafik) disconnect(m_grafik, nullptr, this, nullptr);
    m_graph.setCanvas(nullptr);
    m_session->Timer().stop();
    disconnect(m_session.get(), nullptr, this, nullptr);
}

void MainWindow::BuildMenus() {
    m_actions = BuildMenuTree(menuBar(), m_menu);

    // The window list is a submenu of the open child windows.
    QAction* list = m_menu.mnuliste;
    list->setMenu(m_workArea->WindowList());

    for (QAction* a : {m_menu.mopen, m_menu.mnusleep, m_menu.mnurechen, m_menu.mnuauto, m_menu.mnufastmode})
        a->setCheckable(true);

    Session* session = m_session.get();
    connect(m_menu.mopen, &QAction::triggered, this, &MainWindow::OnModuleOnline);
    // The command sets each mark itself, or leaves it alone: the click's flip is taken back first.
    connect(m_menu.mnusleep, &QAction::triggered, this, [this, session](bool checked) {
        m_menu.mnusleep->setChecked(!checked);
        session->ToggleSleeping();
    });
    connect(m_menu.mnurechen, &QAction::triggered, this, [this, session](bool checked) {
        m_menu.mnurechen->setChecked(!checked);
        session->ToggleCalculating();
    });
    connect(m_menu.mnuauto, &QAction::triggered, session,
            [this, session] { session->SetAutoMeasurement(!m_ctx.model.autoMeasurement); });
    connect(m_menu.mnufastmode, &QAction::triggered, session, [this, session] {
        // Off from the menu leaves automatic measurement as it was.
        session->SetFastMode(!m_ctx.model.fastMode);
    });
    connect(m_menu.mnuexit, &QAction::triggered, this, &MainWindow::OnExit);
    connect(m_menu.mnuHelp, &QAction::triggered, this, &MainWindow::OnHelp);
    connect(m_menu.hlpdeutsch, &QAction::triggered, this, [this] { OnLanguage(0); });
    connect(m_menu.hlpenglish, &QAction::triggered, this, [this] { OnLanguage(1); });
    connect(m_menu.mnuabout, &QAction::triggered, this, &MainWindow::OnAbout);
    connect(m_menu.mnuloeschen, &QAction::triggered, session, &Session::Erase);
    connect(m_menu.mnurefbox, &QAction::triggered, this, &MainWindow::ShowReferenceWindow);
    connect(m_menu.mnucontrollbox, &QAction::triggered, this, &MainWindow::ShowControlBox);
    connect(m_menu.mnuzwischenab, &QAction::triggered, this, [this] {
        RedrawGraph();
        m_pictures->CopyToClipboard();
    });
    connect(m_menu.mnuconfig, &QAction::triggered, this, &MainWindow::ShowSerialSetup);
    connect(m_menu.mnupicture, &QAction::triggered, this, [this] { m_pictures->SaveCommand(); });
    connect(m_menu.mnuueberlap, &QAction::triggered, m_workArea, &QMdiArea::cascadeSubWindows);
    connect(m_menu.mnuueberein, &QAction::triggered, this, [this] { m_workArea->Arrange(Qt::Vertical); });
    connect(m_menu.mnunebenein, &QAction::triggered, this, [this] { m_workArea->Arrange(Qt::Horizontal); });
    connect(m_menu.mnuarbeitsplatz, &QAction::triggered, this, [this] {
        ShowGraphWindow();
        m_peaks->ShowPeakTable();
        m_waterfall->ShowWaterfall();
        m_workArea->ArrangeWorkspace();
    });
    connect(m_menu.mnusymbole, &QAction::triggered, m_workArea, &WorkArea::ArrangeIcons);
}

void MainWindow::BuildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);
    auto addButton = [&](const Button& b) {
        auto* button = new QToolButton(bar);
        button->setObjectName(Name(b.name));
        button->setText(Name(b.caption));
        if (b.tip) button->setToolTip(Name(b.tip));
        bar->addWidget(button);
        m_buttons.*b.button = button;
    };
    auto it = kButtons.begin();
    for (int i = 0; i < 6; ++i) addButton(*it++);
    m_mdiauto = new QCheckBox(QStringLiteral("Auto"), bar);
    m_mdiauto->setObjectName(QStringLiteral("mdiauto"));
    m_mdifast = new QCheckBox(QStringLiteral("Fast"), bar);
    m_mdifast->setObjectName(QStringLiteral("mdifast"));
    bar->addWidget(m_mdiauto);
    bar->addWidget(m_mdifast);
    bar->addSeparator();
    for (; it != kButtons.end(); ++it) addButton(*it);
    connect(m_mdiauto, &QCheckBox::clicked, m_session.get(), &Session::SetAutoMeasurement);
    const ToolButtons& button = m_buttons;
    connect(button.Command1, &QToolButton::clicked, m_session.get(), &Session::Single);
    connect(button.Command4, &QToolButton::clicked, m_session.get(), &Session::Erase);
    connect(button.Command6, &QToolButton::clicked, this, &MainWindow::ShowReferenceWindow);
    connect(button.Command2, &QToolButton::clicked, this, &MainWindow::ShowSerialSetup);
    connect(button.Command7, &QToolButton::clicked, this, [this] { m_pictures->CopyToClipboard(); });
    connect(button.Command5, &QToolButton::clicked, this, [this] { m_print->ShowSetupWindow(); });
    connect(button.Command3, &QToolButton::clicked, this, &MainWindow::ShowControlBox);
    connect(button.Command8, &QToolButton::clicked, this,
            [this] { m_calibration->TakeComparison(&MeasurementModel::traceActual); });
    connect(button.Command9, &QToolButton::clicked, this,
            [this] { m_calibration->TakeComparison(&MeasurementModel::traceAverage); });
    connect(button.Command10, &QToolButton::clicked, this,
            [this] { m_calibration->TakeComparison(&MeasurementModel::tracePeak); });
    connect(button.Command11, &QToolButton::clicked, this, [this] { m_calibration->ShowComparison(false); });
    connect(button.Command12, &QToolButton::clicked, this, [this] { m_calibration->ShowComparison(true); });
    connect(m_mdifast, &QCheckBox::clicked, m_session.get(), &Session::SetFastMode);

    // The status text and the maker's label sit at the foot of the window, where they always have room.
    m_uhr = new QLabel(this);
    m_uhr->setObjectName(QStringLiteral("uhr"));
    m_uhr->setMinimumWidth(320);
    statusBar()->addWidget(m_uhr, 1);
    auto* label1 = new QLabel(QStringLiteral("ZELOR Instruments"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    statusBar()->addPermanentWidget(label1);
}

void MainWindow::WireCalibration() {
    CalibrationHooks hooks;
    hooks.showChild = [this](QWidget* child) { ShowChild(child); };
    hooks.printLines = [this](const QStringList& lines) { m_print->PrintLines(lines); };
    hooks.refreshControlBox = [this] {
        auto* box = qobject_cast<ControlBox*>(m_boxcon.data());
        auto* frame = box ? qobject_cast<QMdiSubWindow*>(box->parentWidget()) : nullptr;
        if (box && !(frame && frame->isMinimized())) box->ShowModel();
    };
    hooks.switchesRestored = [this] { m_session->ShowSwitches(); };
    hooks.lockCalibrationSwitch = [this](bool locked) {
        m_calibrationLocked = locked;
        if (auto* box = qobject_cast<ControlBox*>(m_boxcon.data())) box->LockCalibrationSwitch(locked);
    };
    auto* c = new CalibrationCommands(link(), m_session->Reader(), std::move(hooks), this);
    m_calibration = c;
    connect(m_menu.mnuboxeich, &QAction::triggered, c, &CalibrationCommands::OpenEditor);
    connect(m_menu.mnuboxvergl, &QAction::triggered, c,
            &CalibrationCommands::OpenComparison);
    connect(m_menu.mnueichload, &QAction::triggered, m_session.get(),
            &Session::LoadCalibrationCurveFile);
    connect(m_session.get(), &Session::calibrationFileNamed, c, &CalibrationCommands::CurveFileNamed);
    connect(m_session.get(), &Session::calibrationLoaded, c, &CalibrationCommands::CurveLoaded);
    connect(m_menu.mnueichsave, &QAction::triggered, c, &CalibrationCommands::SaveCurve);
    connect(m_buttons.Command13, &QToolButton::clicked, c, &CalibrationCommands::Correction);
}

void MainWindow::WirePeakTable() {
    PeakCommands::Hooks hooks;
    hooks.showChild = [this](QWidget* child) { ShowChild(child); };
    hooks.redrawGraph = [this] { RedrawGraph(); };
    hooks.graphPicture = [this](const auto& annotate) { return m_pictures->Annotated(annotate); };
    hooks.showInformation = [this](const QString& text) { ShowInformation(text); };
    hooks.stopAutoMeasurement = [this] {
        m_ctx.model.autoMeasurement = false;
        m_session->ShowSwitches();
    };
    hooks.markPoint = [this](int point) { m_limits->MarkPoint(point); };
    m_peaks = std::make_unique<PeakCommands>(m_ctx.model, m_ctx.clock, m_ctx.dialogs, std::move(hooks));
    connect(m_menu.mnupeaks, &QAction::triggered, this,
            [this] { m_peaks->ShowPeakTable(); });
}

void MainWindow::TraceRead(TraceKind kind) {
    m_peaks->TraceRead(kind);
    if (kind == TraceKind::Actual) m_waterfall->ActualTraceRead();
}

void MainWindow::SetEnglishCaptions() {
    SetMenuCaptions(m_actions);
    for (const Button& b : kButtons) (m_buttons.*b.button)->setText(Name(b.caption));
    m_mdiauto->setText(QStringLiteral("Auto"));
    m_mdifast->setText(QStringLiteral("Fast"));
}

bool MainWindow::Load(const QString& commandLineScript) {
    setWindowTitle(QString::fromLatin1(MAIN_CAPTION));
    SetEnglishCaptions();
    m_menu.mnurechen->setChecked(true);
    m_session->ShowSwitches();
    const bool valid = m_session->Load(parameterFilePath(), commandLineScript);
    ShowGraphWindow();
    return valid;
}

QString MainWindow::parameterFilePath() const {
    return QDir(m_ctx.programDirectory).filePath(QString::fromLatin1(PARAMETER_FILE_NAME));
}

QString MainWindow::helpFilePath() const {
    const QString found = FindHelpFile(m_ctx.helpDirectories, m_helpFile);
    return found.isEmpty() ? QDir(m_ctx.programDirectory).filePath(m_helpFile) : found;
}

void MainWindow::RedrawGraph() {
    // A completed read or an erase opens the graph again after the user closed its window.
    if (m_ctx.model.graphOpen && !m_grafik) ShowGraphWindow();
    m_pictures->Redraw(m_session->Line().InExchange());
}

GraphWindow* MainWindow::ShowGraphWindow() {
    if (!m_grafik) {
        m_grafik = new GraphWindow(m_ctx.model, [this] { m_pictures->Draw(); });
        m_pictures->SetWindow(m_grafik);
        m_grafik->setWindowTitle(QStringLiteral("Spectrum"));
        m_grafik->setContextMenuPolicy(Qt::ActionsContextMenu);
        m_grafik->addActions({m_menu.mnuzwischenab, m_menu.mnupicture,
                              m_menu.mnupeaks, m_menu.mnuwaterfall});
        connect(m_grafik, &GraphWindow::clickedAt, this,
                [this](double x) { m_limits->MarkPoint(PointAtX(x, m_ctx.model.settings.resolution)); });
        m_graph.setCanvas(&m_grafik->canvas());
        connect(m_grafik, &QObject::destroyed, this, [this] { m_graph.setCanvas(nullptr); });
        connect(m_grafik, &GraphWindow::closing, this,
                [this](const QImage& picture) { m_pictures->Keep(picture); });
        QMdiSubWindow* frame = m_workArea->addSubWindow(m_grafik);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setMinimumSize(frame->minimumSizeHint());
        frame->resize(m_workArea->viewport()->size() * 0.8);
    }
    ShowChild(m_grafik);
    return m_grafik;
}

void MainWindow::ShowInformation(const QString& text) {
    m_workArea->ShowInformation(text);
}

void MainWindow::ShowReadProgress(const QString& trace, int blocks, int of) {
    m_uhr->setText(
        QStringLiteral(" Reading the %1 trace: %2 of %3 blocks").arg(trace.toLower()).arg(blocks).arg(of));
    // The graph shows the points received so far as they come.
    if (m_ctx.model.graphOpen) m_graph.RedrawGraph();
}

void MainWindow::EnableLiveWaits(bool onEventLoop) {
    m_liveWaits = true;
    if (onEventLoop) m_session->RunLineOnEventLoop();
}

void MainWindow::CloseInformation() {
    m_workArea->CloseInformation();
}

void MainWindow::OnModuleOnline() {
    const bool wasChecked = !m_menu.mopen->isChecked();  // the click has already flipped the mark
    m_menu.mopen->setChecked(wasChecked);
    m_session->SetOnline(!wasChecked);
}

void MainWindow::OnExit() {
    m_session->Exit(parameterFilePath(), [this] { Quit(); });
}

void MainWindow::Quit() {
    m_quitting = true;
    m_session->Close();
    close();
    QApplication::closeAllWindows();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed by the frame in the middle of an exchange: the exchange ends at once, even inside a block,
    // and the program with it; what waits is dropped.
    if (!m_quitting && link().Line().Busy()) {
        m_session->Abort();
        m_quitting = true;
        QMainWindow::closeEvent(event);
        QApplication::closeAllWindows();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::ShowHelp() {
    const QString path = helpFilePath();
    if (!m_ctx.help.ShowContents(path))
        m_ctx.dialogs.message(
            QStringLiteral("The help file cannot be shown:\n%1").arg(QDir::toNativeSeparators(path)),
            QStringLiteral("Help"), MessageIcon::Warning);
}

void MainWindow::OnHelp() {
    ShowHelp();
}

void MainWindow::OnLanguage(int languageIndex) {
    m_ctx.model.parameters.languageIndex = static_cast<std::uint8_t>(languageIndex);
    m_helpFile = SelectHelpFile(m_ctx.model.parameters);
    ShowHelp();
}

void MainWindow::OnAbout() {
    AboutWindow about(this);
    about.exec();
}

void MainWindow::ShowChild(QWidget* child) {
    m_workArea->Show(child);
}

void MainWindow::ShowReferenceWindow() {
    if (!m_boxref) m_boxref = new ReferenceWindow(m_ctx.model);
    ShowChild(m_boxref);
}

void MainWindow::ShowControlBox() {
    if (!m_boxcon) {
        auto* box = new ControlBox(m_ctx.model);
        box->LockCalibrationSwitch(m_calibrationLocked);
        m_boxcon = box;
    }
    ShowChild(m_boxcon);
}

void MainWindow::ShowSerialSetup() {
    if (!m_boxcomcon)
        m_boxcomcon =
            new SerialSetup(link(), m_ctx.portMap,
                            QDir(m_ctx.programDirectory).filePath(QString::fromLatin1(PORT_MAP_FILE_NAME)));
    ShowChild(m_boxcomcon);
}

void MainWindow::ConnectFileCommands() {
    FileCommandHooks hooks;
    hooks.reopenSettingsWindows = [this] {
        ReopenControlBox();
        if (CloseUnlessMinimised(m_boxdefuser)) ShowUserUnitWindow();
        m_print->ReopenSetupWindow();
    };
    hooks.reopenBoundaryEditor = [this] { m_limits->ReopenBoundaryEditor(); };
    hooks.userUnitChanged = [this] { SetUserUnitCaptions(); };
    hooks.setGraphCaption = [this](const QString& caption) {
        if (!m_grafik) ShowGraphWindow();
        m_grafik->setWindowTitle(caption);
    };
    m_session->Files().SetHooks(hooks);
    FileCommands* files = &m_session->Files();
    BoundaryFileCommands* boundaries = &m_session->BoundaryFiles();
    const auto wire = [this](QAction* a, auto slot) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, slot);
    };
    wire(m_menu.mnusetload, [files] { files->LoadSettings(); });
    wire(m_menu.mnusetsave, [files] { files->SaveSettings(); });
    wire(m_menu.mnumessload, [files] { files->LoadMeasurement(); });
    wire(m_menu.mnumesssave, [files] { files->SaveMeasurement(); });
    wire(m_menu.mnugrenzenload, [boundaries] { boundaries->LoadCommand(); });
    wire(m_menu.mnugrenzensave, [boundaries] { boundaries->SaveCommand(); });
    wire(m_menu.mnutabpW, [files] { files->ExportTable(UNIT_DBPW); });
    wire(m_menu.mnutabmW, [files] { files->ExportTable(UNIT_DBM); });
    wire(m_menu.mnutabuV, [files] { files->ExportTable(UNIT_DBUV); });
    wire(m_menu.mnutabuser, [files] { files->ExportTable(UNIT_USER); });
    wire(m_menu.mnudefuser, [this] { ShowUserUnitWindow(); });
}

void MainWindow::ShowModelAgain() {
    ReopenControlBox();
    SetUserUnitCaptions();
    m_limits->ReopenBoundaryEditor();
    m_session->ShowSwitches();
}

void MainWindow::ReopenControlBox() {
    // A control box the user closed stays closed; a minimised one is left as it is. Taking the window down
    // at once, rather than closing it, keeps a field that had the focus from storing its old text over the
    // loaded value as it loses the focus when its frame is hidden.
    if (!m_boxcon) return;
    auto* frame = qobject_cast<QMdiSubWindow*>(m_boxcon->parentWidget());
    if (frame && frame->isMinimized()) return;
    const QRect geometry = frame ? frame->geometry() : QRect();
    delete m_boxcon.data();  // first the box, which lets go of its fields, then its frame
    delete frame;
    ShowControlBox();
    if (auto* reopened = qobject_cast<QMdiSubWindow*>(m_boxcon->parentWidget());
        reopened && geometry.isValid())
        reopened->setGeometry(geometry);
}

void MainWindow::SetUserUnitCaptions() {
    const QString caption = m_ctx.model.settings.userUnitName.text();
    for (QAction* a : {m_menu.mnutabuser, m_menu.mnuwerteuser, m_menu.mnugrenzuebuser}) a->setText(caption);
}

void MainWindow::ShowUserUnitWindow() {
    if (!m_boxdefuser)
        m_boxdefuser = new UserUnitWindow(m_ctx.model, m_ctx.dialogs, [this] {
            SetUserUnitCaptions();
            if (auto* box = qobject_cast<ControlBox*>(m_boxcon.data())) box->ShowModel();
        });
    ShowChild(m_boxdefuser);
}

}  // namespace tk
