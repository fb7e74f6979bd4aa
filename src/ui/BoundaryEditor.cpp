#include "BoundaryEditor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ChildWindows.h"
#include "Format.h"
#include "OptionGroups.h"

namespace tk {
namespace {

const std::array<const char*, 3> LINE_CAPTIONS{"Actual", "Average", "Peak"};
const std::array<const char*, 3> FIXED_UNIT_CAPTIONS{"dBm", "dBpW", "dBuV"};

bool IsEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

BoundaryEditor::BoundaryEditor(MeasurementModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("boxgrenze"));
    BuildWindow();
    // Opening: the actual line in dBm.
    m_model.editUnitOffset = 0;
    m_model.editBoundaryIndex = 0;
    SelectOption(m_unit, 0);
    SelectOption(m_line, 0);
    ShowModel();
}

BoundaryEditor::~BoundaryEditor() {
    // Fields losing the focus while they are taken down must not store anything.
    for (const RowWidgets& r : m_rows) {
        r.frequency->removeEventFilter(this);
        r.level->removeEventFilter(this);
    }
}

void BoundaryEditor::BuildWindow() {
    auto* grid = new QGridLayout;
    const auto heading = [&](const char* name, const char* caption, int column) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QString::fromLatin1(name));
        grid->addWidget(label, 0, column);
    };
    heading("lbgrenzfreq", "Frequency", 1);
    heading("lbgrenzpeg", "Level", 2);
    heading("lbgrenzver", "lin/log", 3);
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) {
        RowWidgets& r = m_rows[static_cast<std::size_t>(i)];
        grid->addWidget(new QLabel(QString::number(i + 1), this), i + 1, 0);
        r.frequency = new QLineEdit(this);
        r.frequency->setObjectName(QStringLiteral("grenzfreq%1").arg(i));
        r.level = new QLineEdit(this);
        r.level->setObjectName(QStringLiteral("grenzpeg%1").arg(i));
        r.log = new QCheckBox(QStringLiteral("log"), this);
        r.log->setObjectName(QStringLiteral("grenzver%1").arg(i));
        for (QLineEdit* e : {r.frequency, r.level}) {
            e->setMaximumWidth(110);
            e->installEventFilter(this);
        }
        grid->addWidget(r.frequency, i + 1, 1);
        grid->addWidget(r.level, i + 1, 2);
        grid->addWidget(r.log, i + 1, 3);
    }

    const auto optionFrame = [&](const char* name, QButtonGroup*& group, int count, auto caption) {
        auto* frame = new QGroupBox(this);
        auto* column = new QVBoxLayout(frame);
        group = new QButtonGroup(this);
        group->setObjectName(QString::fromLatin1(name));
        for (int k = 0; k < count; ++k) {
            auto* b = new QRadioButton(caption(k), frame);
            b->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(name)).arg(k));
            group->addButton(b, k);
            column->addWidget(b);
        }
        return frame;
    };
    auto* side = new QVBoxLayout;
    side->addWidget(optionFrame("selgrenz", m_line, 3, [](int k) {
        return QString::fromLatin1(LINE_CAPTIONS[static_cast<std::size_t>(k)]);
    }));
    side->addWidget(optionFrame("seldb", m_unit, 4, [](int k) {
        return k < 3 ? QString::fromLatin1(FIXED_UNIT_CAPTIONS[static_cast<std::size_t>(k)]) : QString();
    }));
    m_userUnit = qobject_cast<QRadioButton*>(m_unit->button(3));
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cbgrenzok"));
    side->addWidget(ok);
    side->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(side);

    connect(m_unit, &QButtonGroup::idClicked, this, &BoundaryEditor::OnUnitClicked);
    connect(m_line, &QButtonGroup::idClicked, this, &BoundaryEditor::OnLineClicked);
    connect(ok, &QPushButton::clicked, this, &BoundaryEditor::OnOk);
}

void BoundaryEditor::ShowModel() {
    setWindowTitle(QStringLiteral("Definition of Boundaries   ") + m_model.fileNames.boundaries);
    MeasurementSettings& s = m_model.settings;
    s.userUnitName.set(s.userUnitName.trimmed());
    m_userUnit->setText(s.userUnitName.trimmed());
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) ShowRow(i);
}

void BoundaryEditor::ShowRow(int i, RowPart part) {
    const auto k = static_cast<std::size_t>(i);
    const BoundaryRow row = ShowBoundaryRow(EditedBoundary(m_model), i, m_model.editUnitOffset);
    if (part != RowPart::Frequency) {
        m_rows[k].level->setText(row.level);
        m_shownLevel[k] = row.level;
    }
    if (part != RowPart::Level) {
        m_rows[k].frequency->setText(row.frequency);
        m_shownFrequency[k] = row.frequency;
    }
    if (part == RowPart::All) m_rows[k].log->setChecked(row.log);
}

void BoundaryEditor::StoreRows() {
    BoundaryLine& line = EditedBoundary(m_model);
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const RowWidgets& r = m_rows[k];
        const BoundaryRow shown{m_shownFrequency[k], m_shownLevel[k], false};
        StoreBoundaryRow(line, i, {r.frequency->text(), r.level->text(), r.log->isChecked()},
                         m_model.editUnitOffset, &shown);
    }
    m_model.redrawPending = true;
}

void BoundaryEditor::TakeFrequency(int i) {
    const auto k = static_cast<std::size_t>(i);
    EditedBoundary(m_model).freqMHz[k] = ToSingle(TypedBoundaryFrequency(m_rows[k].frequency->text()));
    // Only the frequency is written back: the row's other fields keep what was typed or ticked.
    ShowRow(i, RowPart::Frequency);
    m_model.redrawPending = true;
}

void BoundaryEditor::TakeLevel(int i) {
    const auto k = static_cast<std::size_t>(i);
    const double typed = TypedBoundaryLevel(m_rows[k].level->text());
    EditedBoundary(m_model).levelDbm[k] = ToSingle(typed - m_model.editUnitOffset);
    ShowRow(i, RowPart::Level);
    m_model.redrawPending = true;
}

void BoundaryEditor::OnUnitClicked(int option) {
    m_model.editUnitOffset = EditUnitOffset(m_model.settings, option);
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) ShowRow(i, RowPart::Level);
}

void BoundaryEditor::OnLineClicked(int index) {
    // The line shown so far keeps what was typed into it.
    StoreRows();
    m_model.editBoundaryIndex = static_cast<std::int16_t>(index);
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) ShowRow(i);
}

void BoundaryEditor::OnOk() {
    StoreRows();
    // The window sits in a frame of the work area; closing the frame closes both.
    if (QWidget* frame = parentWidget())
        frame->close();
    else
        close();
}

bool BoundaryEditor::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < BOUNDARY_EDIT_ROWS; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (watched == m_rows[k].frequency) {
            // Only a changed text is taken on leaving, so that passing through a field (or a field that had
            // the focus when a file was loaded) stores nothing over the model.
            if (IsEnter(event) ||
                (IsLeavingField(event) && m_rows[k].frequency->text() != m_shownFrequency[k])) {
                TakeFrequency(i);
                if (IsEnter(event)) return true;  // the key ends here
            }
            break;
        }
        if (watched == m_rows[k].level) {
            if (IsEnter(event) || (IsLeavingField(event) && m_rows[k].level->text() != m_shownLevel[k])) {
                TakeLevel(i);
                if (IsEnter(event)) return true;
            }
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BoundaryEditor::showEvent(QShowEvent* event) {
    ShowModel();
    QWidget::showEvent(event);
}

}  // namespace tk
