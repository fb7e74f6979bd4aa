#include "ScriptWindow.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>

#include "ChildWindows.h"
#include "ControlBox.h"
#include "ControlPortSetup.h"
#include "ScriptEditing.h"

namespace tk {
namespace {

QString Name(const char* latin1) {
    return QString::fromLatin1(latin1);
}

bool IsEnter(QEvent* event) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

FileDialogRequest OpenRequest(const char* pattern, const char* extension) {
    FileDialogRequest r;
    r.title = QStringLiteral("Open");
    r.filter = Name(pattern);
    r.initialName = Name(pattern);
    r.defaultExtension = Name(extension);
    r.mustExist = true;
    return r;
}

}  // namespace

ScriptWindow::ScriptWindow(MeasurementModel& model, UserDialogs& dialogs, Commands commands, QWidget* parent)
    : QWidget(parent), m_model(model), m_dialogs(dialogs), m_commands(std::move(commands)) {
    setObjectName(QStringLiteral("boxscript"));
    auto* grid = new QGridLayout(this);
    m_nr = AddField("scriptnr", "No.", 0);
    auto* spin1 = new SpinButtons(QStringLiteral("Spin1"), this);
    grid->addWidget(spin1, 0, 2);
    m_text = AddField("scrtext", "Message to user", 1);
    m_time = AddField("scripttime", "Time", 2);
    m_set = AddField("scrset", "Filename: Setup", 3);
    m_lim = AddField("scrlim", "Filename: Boundaries", 4);
    m_eich = AddField("screich", "Filename: Calibration curve", 5);
    m_savename = AddField("scrsavename", "Filename: Measurements", 6);
    m_sio = AddField("scrsio", "Control outp. serial I/F", 7);
    m_lpt = AddField("scrlpt", "Control outp. parall. I/F", 8);
    m_lptcom = AddField("scrlptcom", "LPT:", 9);
    auto* spin2 = new SpinButtons(QStringLiteral("Spin2"), this);
    grid->addWidget(spin2, 9, 2);
    m_print = new QCheckBox(QStringLiteral("Print measurement"), this);
    m_print->setObjectName(QStringLiteral("scrdruck"));
    grid->addWidget(m_print, 10, 1);

    auto button = [&](const char* name, const char* caption, int row, int column) {
        auto* b = new QPushButton(Name(caption), this);
        b->setObjectName(Name(name));
        grid->addWidget(b, row, column);
        return b;
    };
    auto* cbset = button("cbscrset", "File", 3, 2);
    auto* cblim = button("cbscrlim", "File", 4, 2);
    auto* cbeich = button("cbscreich", "File", 5, 2);
    auto* cbsave = button("cbscrsavename", "File", 6, 2);
    auto* cbsio = button("cbscrsio", "I/F setup", 7, 2);
    auto* start = button("scriptstart", "&Start script", 11, 0);
    auto* stop = button("scriptstop", "Sto&p script", 11, 1);
    auto* clear = button("scriptclear", "&Delete", 12, 0);
    auto* copy = button("scriptcopy", "&Copy", 12, 1);
    auto* ok = button("cbscriptok", "E&xit", 12, 2);

    // Only the free-text fields and "Time" take typing; the others change through their buttons.
    for (QLineEdit* e : {m_nr, m_set, m_lim, m_eich, m_savename, m_lptcom}) {
        e->setReadOnly(true);
        e->setContextMenuPolicy(Qt::NoContextMenu);
    }
    for (QLineEdit* e : {m_text, m_time, m_set, m_lim, m_eich, m_savename, m_sio, m_lpt, m_nr, m_lptcom})
        e->installEventFilter(this);

    auto spinStep = [this](int direction) {
        StoreShown(true);
        MoveShownStep(m_model, direction);
        ShowModel();
    };
    connect(spin1->up(), &QToolButton::clicked, this, [spinStep] { spinStep(+1); });
    connect(spin1->down(), &QToolButton::clicked, this, [spinStep] { spinStep(-1); });
    auto spinPort = [this](int direction) {
        MoveParallelPort(m_model, direction);
        m_lptcom->setText(ShownNumber(ShownScriptStep(m_model).parallelPort));
    };
    connect(spin2->up(), &QToolButton::clicked, this, [spinPort] { spinPort(+1); });
    connect(spin2->down(), &QToolButton::clicked, this, [spinPort] { spinPort(-1); });

    connect(cbset, &QPushButton::clicked, this,
            [this] { ChooseFile(m_set, OpenRequest("*.set", "set"), false); });
    connect(cblim, &QPushButton::clicked, this,
            [this] { ChooseFile(m_lim, OpenRequest("*.grn", "grn"), false); });
    connect(cbeich, &QPushButton::clicked, this,
            [this] { ChooseFile(m_eich, OpenRequest("*.eic", "eic"), false); });
    connect(cbsave, &QPushButton::clicked, this, [this] {
        FileDialogRequest r;
        r.title = QStringLiteral("Save");
        r.filter = QStringLiteral("*.mes");
        r.initialName = m_model.fileNames.measurement;
        r.defaultExtension = QStringLiteral("mes");
        r.confirmOverwrite = true;
        r.confirmCreate = true;
        ChooseFile(m_savename, r, true);
    });
    connect(cbsio, &QPushButton::clicked, this, &ScriptWindow::ConfigurePort);
    connect(clear, &QPushButton::clicked, this, [this] {
        ClearScriptStep(ShownScriptStep(m_model));
        ShowModel();
    });
    connect(copy, &QPushButton::clicked, this, [this] {
        StoreShown(false);
        CopyStepForward(m_model);
        ShowFields();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        StoreShown(true);
        CloseWindow();
    });
    connect(start, &QPushButton::clicked, this, [this] {
        StoreShown(true);
        CloseWindow();
        if (m_commands.start) m_commands.start();
    });
    connect(stop, &QPushButton::clicked, this, [this] {
        if (m_commands.stop) m_commands.stop();
        CloseWindow();
    });
    ShowModel();
}

QLineEdit* ScriptWindow::AddField(const char* name, const char* label, int row) {
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* l = new QLabel(Name(label), this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(Name(name));
    l->setBuddy(edit);
    grid->addWidget(l, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

void ScriptWindow::ShowTitle() {
    setWindowTitle(QStringLiteral("Script setup   ") + m_model.scriptFileName);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->setWindowTitle(windowTitle());
}

void ScriptWindow::ShowFields() {
    ShowTitle();
    const ShownStep shown = ShowStep(ShownScriptStep(m_model));
    m_nr->setText(ShownNumber(m_model.scriptStepIndex));
    m_text->setText(shown.message);
    m_time->setText(shown.delay);
    m_set->setText(shown.settings);
    m_lim->setText(shown.boundaries);
    m_eich->setText(shown.calibration);
    m_savename->setText(shown.measurement);
    m_sio->setText(shown.serial);
    m_lpt->setText(shown.parallel);
    m_lptcom->setText(shown.lpt);
}

void ScriptWindow::ShowModel() {
    ShowFields();
    m_print->setChecked(ShownScriptStep(m_model).printMeasurement);
}

void ScriptWindow::showEvent(QShowEvent* event) {
    ShowModel();
    QWidget::showEvent(event);
}

void ScriptWindow::StoreShown(bool withPrintFlag) {
    StoreShownStep(m_model, {m_text->text(), m_time->text(), m_set->text(), m_lim->text(), m_eich->text(),
                             m_savename->text(), m_sio->text(), m_lpt->text(), m_lptcom->text()});
    if (withPrintFlag) ShownScriptStep(m_model).printMeasurement = m_print->isChecked();
}

void ScriptWindow::StoreText(QLineEdit* edit) {
    ScriptStep& s = ShownScriptStep(m_model);
    ScriptText& field = edit == m_text ? s.messageText : edit == m_sio ? s.serialOutput : s.parallelOutput;
    field.set(edit->text());
}

void ScriptWindow::TakeDelay(bool enterKey) {
    ScriptStep& s = ShownScriptStep(m_model);
    s.delayMinutes = TypedDelay(m_time->text(), enterKey);
    m_time->setText(ShownNumber(s.delayMinutes));
}

bool ScriptWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return QWidget::eventFilter(watched, event);
    const bool freeText = edit == m_text || edit == m_sio || edit == m_lpt;
    switch (event->type()) {
        case QEvent::KeyPress:
            if (freeText || edit == m_time) {
                if (!IsEnter(event)) break;
                if (edit == m_time)
                    TakeDelay(true);
                else
                    StoreText(edit);
                return true;
            }
            if ((edit == m_set || edit == m_lim || edit == m_eich) &&
                static_cast<QKeyEvent*>(event)->text() == QStringLiteral("-")) {
                ScriptStep& step = ShownScriptStep(m_model);
                ScriptText& field = edit == m_set   ? step.settingsFile
                                    : edit == m_lim ? step.boundariesFile
                                                    : step.calibrationFile;
                field.set(QStringLiteral("-"));
                ShowFields();
            }
            return true;
        case QEvent::FocusOut:
            if (!IsLeavingField(event)) break;
            if (edit == m_time)
                TakeDelay(false);
            else if (freeText)
                StoreText(edit);
            break;
        case QEvent::MouseButtonDblClick:
            if (edit == m_time) {
                TakeFromPreviousStep(m_model, InheritedField::Delay, m_time->text());
                m_time->setText(ShownNumber(ShownScriptStep(m_model).delayMinutes));
            } else if (edit == m_text) {
                TakeFromPreviousStep(m_model, InheritedField::Message, {});
                m_text->setText(ShownScriptStep(m_model).messageText.rightTrimmed());
            } else if (edit == m_savename) {
                TakeFromPreviousStep(m_model, InheritedField::Measurement, {});
                m_savename->setText(ShownScriptStep(m_model).measurementFile.rightTrimmed());
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void ScriptWindow::ChooseFile(QLineEdit* edit, const FileDialogRequest& request, bool save) {
    const auto name = save ? m_dialogs.saveFileName(request) : m_dialogs.openFileName(request);
    if (!name) return;
    // A cut name would later load or overwrite another file.
    if (!FitsScriptField(*name)) {
        m_dialogs.message(QStringLiteral("The file name is longer than 80 characters or holds a character "
                                         "that cannot be stored:\n%1")
                              .arg(*name),
                          QStringLiteral("File handling"), MessageIcon::Warning);
        return;
    }
    // The chosen name belongs to the step at once, as "-" does: nothing that shows the step again may lose
    // it.
    ScriptStep& step = ShownScriptStep(m_model);
    ScriptText& field = edit == m_set    ? step.settingsFile
                        : edit == m_lim  ? step.boundariesFile
                        : edit == m_eich ? step.calibrationFile
                                         : step.measurementFile;
    field.set(*name);
    edit->setText(field.rightTrimmed());
}

void ScriptWindow::ConfigurePort() {
    ControlPortSetup setup(ShownScriptStep(m_model), this);
    setup.exec();
}

void ScriptWindow::CloseWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

}  // namespace tk
