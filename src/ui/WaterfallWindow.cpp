#include "WaterfallWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "Format.h"
#include "PictureCommand.h"
#include "Units.h"
#include "WaterfallView.h"

namespace tk {

WaterfallWindow::WaterfallWindow(MeasurementModel& model, UserDialogs& dialogs,
                                 std::function<void(int)> markX, QWidget* parent)
    : QWidget(parent), m_model(model), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("waterfall"));
    setWindowTitle(QStringLiteral("Waterfall"));
    m_view = new WaterfallView(model, m_history, this);

    m_followGraph = new QCheckBox(QStringLiteral("Graph's range"), this);
    m_followGraph->setObjectName(QStringLiteral("wffollow"));
    m_followGraph->setChecked(true);
    m_from = new QLineEdit(this);
    m_from->setObjectName(QStringLiteral("wffrom"));
    m_to = new QLineEdit(this);
    m_to->setObjectName(QStringLiteral("wfto"));
    for (QLineEdit* field : {m_from, m_to}) {
        field->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000.0")) + 16);
        field->setEnabled(false);
    }
    m_unit = new QLabel(this);
    m_rows = new QSpinBox(this);
    m_rows->setObjectName(QStringLiteral("wfrows"));
    m_rows->setRange(1, WATERFALL_MAX_ROWS);
    m_rows->setValue(WATERFALL_DEFAULT_ROWS);
    m_rows->setKeyboardTracking(false);  // a typed 599 passes through 5 and 59, which would drop rows
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("wfstatus"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Colours"), this));
    controls->addWidget(m_followGraph);
    controls->addWidget(m_from);
    controls->addWidget(new QLabel(QStringLiteral("to"), this));
    controls->addWidget(m_to);
    controls->addWidget(m_unit);
    controls->addStretch(1);
    controls->addWidget(new QLabel(QStringLiteral("Rows"), this));
    controls->addWidget(m_rows);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view, 1);
    layout->addLayout(controls);
    layout->addWidget(m_status);

    m_pause = new QAction(QStringLiteral("Pause"), this);
    m_pause->setObjectName(QStringLiteral("wfpause"));
    m_pause->setCheckable(true);
    m_clear = new QAction(QStringLiteral("Clear"), this);
    m_clear->setObjectName(QStringLiteral("wfclear"));
    m_picture = new QAction(QStringLiteral("Save picture"), this);
    m_picture->setObjectName(QStringLiteral("wfpicture"));
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_view->addActions({m_pause, m_clear, m_picture});

    connect(m_pause, &QAction::toggled, this, [this](bool paused) {
        SetStatus(paused ? QStringLiteral("Paused: reads add no rows") : QString());
    });
    connect(m_clear, &QAction::triggered, this, &WaterfallWindow::Clear);
    connect(m_picture, &QAction::triggered, this, &WaterfallWindow::SavePicture);
    connect(m_followGraph, &QCheckBox::toggled, this, [this](bool follow) {
        if (!follow) {
            m_userMin = m_view->rangeMin();
            m_userMax = m_view->rangeMax();
        }
        m_from->setEnabled(!follow);
        m_to->setEnabled(!follow);
        UpdateRange();
    });
    connect(m_from, &QLineEdit::editingFinished, this, &WaterfallWindow::TakeFields);
    connect(m_to, &QLineEdit::editingFinished, this, &WaterfallWindow::TakeFields);
    connect(m_rows, &QSpinBox::valueChanged, this, [this](int rows) {
        m_history.setCapacity(rows);
        m_view->Rebuild();
    });
    m_view->setHoverHandler(
        [this](const QString& text) { m_status->setText(text.isEmpty() ? m_notice : text); });
    m_view->setClickHandler(std::move(markX));
    UpdateRange();
}

void WaterfallWindow::SetStatus(const QString& text) {
    m_notice = text;
    m_status->setText(text);
}

void WaterfallWindow::ActualTraceRead(double time) {
    if (m_pause->isChecked()) return;
    const WaterfallHistory::Added added = m_history.AddRow(m_model, time);
    if (added == WaterfallHistory::Added::NewHistory)
        SetStatus(QStringLiteral("New history: the resolution, centre frequency or scan width changed"));
    const double oldMin = m_view->rangeMin(), oldMax = m_view->rangeMax();
    UpdateRange();
    // A new range has drawn every row already.
    if (oldMin == m_view->rangeMin() && oldMax == m_view->rangeMax()) m_view->RowAdded();
}

void WaterfallWindow::UpdateRange() {
    if (m_followGraph->isChecked()) {
        m_view->setRange(m_model.graphLevelMin, m_model.graphLevelMax);
    } else {
        m_view->setRange(std::min(m_userMin, m_userMax), std::max(m_userMin, m_userMax));
    }
    ShowFields();
}

void WaterfallWindow::ShowFields() {
    const MeasurementSettings& s = m_model.settings;
    m_unit->setText(UnitText(s, s.levelUnit));
    const double lo = m_followGraph->isChecked() ? m_view->rangeMin() : m_userMin;
    const double hi = m_followGraph->isChecked() ? m_view->rangeMax() : m_userMax;
    m_from->setText(FormatNumber(LevelInUnit(s, lo, s.levelUnit), u"###0.0"));
    m_to->setText(FormatNumber(LevelInUnit(s, hi, s.levelUnit), u"###0.0"));
}

void WaterfallWindow::TakeFields() {
    if (m_followGraph->isChecked()) return;
    const MeasurementSettings& s = m_model.settings;
    m_userMin = RawOfLevel(s, LeadingNumber(m_from->text()));
    m_userMax = RawOfLevel(s, LeadingNumber(m_to->text()));
    UpdateRange();
}

void WaterfallWindow::Clear() {
    m_history.Clear();
    m_view->Rebuild();
}

void WaterfallWindow::SavePicture() {
    SavePictureCommand(m_dialogs, QStringLiteral("PNG picture (*.png)"), [this](const QString& name) {
        QSaveFile file(name);
        return file.open(QIODevice::WriteOnly) && m_view->grab().toImage().save(&file, "PNG") &&
               file.flush() && file.commit();
    });
}

}  // namespace tk
