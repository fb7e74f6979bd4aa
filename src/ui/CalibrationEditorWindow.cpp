#include "CalibrationEditorWindow.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>

#include "CalibrationEditor.h"

namespace tk {

CalibrationEditorWindow::CalibrationEditorWindow(MeasurementModel& model, UserDialogs& dialogs,
                                                 std::function<void(const QStringList&)> printLines,
                                                 QWidget* parent)
    : QWidget(parent), m_model(model), m_dialogs(dialogs), m_printLines(std::move(printLines)) {
    setObjectName(QStringLiteral("boxeich"));
    auto* grid = new QGridLayout(this);
    auto label = [&](const char* name, const char* caption, int row) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        grid->addWidget(l, row, 0);
    };
    auto field = [&](const char* name, int row) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->installEventFilter(this);
        grid->addWidget(e, row, 1);
        return e;
    };
    label("lbeichfreq", "Frequency", 0);
    m_freq = field("eichfreq", 0);
    label("lbeichpeg", "Offset value", 1);
    m_offset = field("eichpeg", 1);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lsteich"));
    grid->addWidget(m_list, 2, 0, 1, 2);

    auto* buttons = new QGridLayout;
    grid->addLayout(buttons, 0, 2, 3, 1);
    int row = 0;
    auto button = [&](const char* name, const char* caption, void (CalibrationEditorWindow::*slot)()) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        buttons->addWidget(b, row++, 0);
        connect(b, &QPushButton::clicked, this, slot);
    };
    button("cbeichok", "&OK", &CalibrationEditorWindow::Accept);
    button("cbeinfügen", "Sort", &CalibrationEditorWindow::Sort);
    button("cblöschen", "&Remove", &CalibrationEditorWindow::Remove);
    button("Command2", "&Delete all", &CalibrationEditorWindow::DeleteAll);
    button("Command1", "&ADD Curve", &CalibrationEditorWindow::AddCurve);
    button("Command3", "&Print", &CalibrationEditorWindow::Print);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CalibrationEditorWindow::EditLine);
    ShowModel();
}

void CalibrationEditorWindow::ShowTitle() {
    setWindowTitle(CalibrationEditorTitle(m_model));
}

void CalibrationEditorWindow::ShowModel() {
    ShowTitle();
    m_freq->clear();
    m_offset->clear();
    FillList();
}

void CalibrationEditorWindow::FillList() {
    // Built from the model every time, so that the list and the curve never drift apart.
    const int row = m_list->currentRow();
    m_list->clear();
    m_list->addItems(CalibrationListLines(m_model.calibrationCurve));
    if (row >= 0 && row < m_list->count()) m_list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
}

void CalibrationEditorWindow::showEvent(QShowEvent* event) {
    ShowModel();
    m_activation.attach(this, [this] { ShowModel(); });
    QWidget::showEvent(event);
}

bool CalibrationEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_freq || watched == m_offset) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Enter();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CalibrationEditorWindow::Enter() {
    QString freq = m_freq->text();
    QString offset = m_offset->text();
    const EntryResult result = EnterCalibrationPoint(m_model.calibrationCurve, freq, offset);
    if (result == EntryResult::NotANumber) return;
    m_freq->setText(freq);
    m_offset->setText(offset);
    // The taken values stay selected, so that the next point typed replaces them instead of joining them.
    m_freq->selectAll();
    m_offset->selectAll();
    if (result == EntryResult::Stored) {
        FillList();
        m_list->scrollToBottom();
    }
}

void CalibrationEditorWindow::EditLine() {
    if (m_list->selectedItems().isEmpty()) return;
    const auto texts = CalibrationPointTexts(m_model.calibrationCurve, m_list->currentRow());
    if (!texts) return;
    m_freq->setText(texts->first);
    m_offset->setText(texts->second);
}

void CalibrationEditorWindow::Remove() {
    if (m_list->selectedItems().isEmpty()) return;
    if (RemoveCalibrationPoint(m_model.calibrationCurve, m_list->currentRow())) FillList();
}

void CalibrationEditorWindow::Sort() {
    SortCurve(m_model.calibrationCurve);
    FillList();
}

void CalibrationEditorWindow::DeleteAll() {
    m_model.calibrationCurve.pointCount = 0;
    ShowModel();
}

void CalibrationEditorWindow::Accept() {
    SortCurve(m_model.calibrationCurve);
    m_model.settings.calibrationOn = true;
    CloseFrame();
}

void CalibrationEditorWindow::AddCurve() {
    if (AddCurveFromFile(m_model, m_dialogs))
        ShowModel();
    else
        ShowTitle();  // a file chosen but not read still names the curve
}

void CalibrationEditorWindow::Print() {
    if (m_printLines) m_printLines(CalibrationPrintLines(m_model.calibrationCurve));
}

void CalibrationEditorWindow::CloseFrame() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

}  // namespace tk
