#include "PrinterSetupWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "ChildWindows.h"
#include "EditorNumbers.h"
#include "Format.h"
#include "OptionGroups.h"

namespace tk {
namespace {

constexpr double PRINT_MHZ_LIMIT = 3000.0;
// The check boxes from "Actual" to "Boundary Avg" choose what the plot draws.
constexpr std::size_t LAST_DRAWN_CHECK = 7;

}  // namespace

PrinterSetupWindow::PrinterSetupWindow(MeasurementModel& model, std::function<void()> print,
                                       std::function<void()> unitChanged, QWidget* parent)
    : QWidget(parent), m_model(model), m_print(std::move(print)), m_unitChanged(std::move(unitChanged)) {
    setObjectName(QStringLiteral("boxdruck"));
    setWindowTitle(QStringLiteral("Printer setup"));
    auto* grid = new QGridLayout(this);

    const struct {
        const char* name;
        const char* caption;
        VbBool* flag;
        std::int16_t* state;
    } checks[] = {
        {"sw", "Black/white", &model.printBlackWhite, nullptr},
        {"praktuell", "Actual", &model.printActual, nullptr},
        {"prpeak", "Peak", &model.printPeak, nullptr},
        {"praver", "Average", &model.printAverage, nullptr},
        {"prvergl", "Comparison meas.", &model.printComparison, nullptr},
        {"prliaktuell", "Boundary Act", &model.printBoundaryActual, nullptr},
        {"prlipeak", "Boundary Pk", &model.printBoundaryPeak, nullptr},
        {"prliaver", "Boundary Avg", &model.printBoundaryAverage, nullptr},
        {"ckdruckdatum", "Print Date/Time", &model.printDateTime, nullptr},
        {"ckdruckdatei", "Print filename", &model.printFileName, nullptr},
        {"chprcursor", "Print Cursor", nullptr, &model.printCursor},
        {"Chprsettings", "Print settings", nullptr, &model.printSettings},
    };
    int row = 0;
    for (const auto& c : checks) {
        auto* box = new QCheckBox(QString::fromLatin1(c.caption), this);
        box->setObjectName(QString::fromLatin1(c.name));
        box->setChecked(c.flag ? bool(*c.flag) : *c.state == 1);
        grid->addWidget(box, row % 6, row / 6);
        m_checks.push_back({box, c.flag, c.state});
        ++row;
    }
    // A first page with nothing chosen would be an empty grid: say so while nothing that draws is checked.
    m_hint = new QLabel(QStringLiteral("Nothing to draw: check a trace or a boundary."), this);
    m_hint->setObjectName(QStringLiteral("prhint"));
    grid->addWidget(m_hint, 6, 0, 1, 4);
    for (std::size_t k = 1; k <= LAST_DRAWN_CHECK; ++k)
        connect(m_checks[k].box, &QCheckBox::toggled, this, &PrinterSetupWindow::ShowHint);
    ShowHint();

    auto field = [&](const char* labelName, const char* caption, const QString& name, int at) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QString::fromUtf8(labelName));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        grid->addWidget(label, at, 2);
        grid->addWidget(edit, at, 3);
        return edit;
    };
    QLineEdit* headline = field("prlbüberschr", "Headline", QStringLiteral("prtxtüberschr"), 0);
    headline->setText(model.printHeadline.rightTrimmed());
    connect(headline, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_model.printHeadline.set(text); });
    m_from = field("lbdrucklgrn", "Print from ..MHz", QStringLiteral("drucklgrn"), 1);
    m_to = field("lbdruckrgrn", "Print to ..MHz", QStringLiteral("druckrgrn"), 2);
    m_from->setText(EditorNumberText(model.printFromMHz));
    m_to->setText(EditorNumberText(model.printToMHz));
    m_from->installEventFilter(this);
    m_to->installEventFilter(this);

    m_unit = new QButtonGroup(this);
    m_unit->setObjectName(QStringLiteral("opunit"));
    const QString units[] = {QStringLiteral("dB&pW"), QStringLiteral("dB&m"), QStringLiteral("dB&uV"),
                             model.settings.userUnitName.trimmed()};
    for (int id = 0; id < 4; ++id) {
        auto* option = new QRadioButton(units[id], this);
        option->setObjectName(QStringLiteral("opunit%1").arg(id));
        m_unit->addButton(option, id);
        grid->addWidget(option, 3 + id / 2, 2 + id % 2);
    }
    SelectOption(m_unit, model.settings.levelUnit);
    connect(m_unit, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.settings.levelUnit = static_cast<std::int16_t>(id);
        if (m_unitChanged) m_unitChanged();
    });

    auto* ok = new QPushButton(QStringLiteral("&Print"), this);
    ok->setObjectName(QStringLiteral("prok"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("prcancel"));
    grid->addWidget(ok, 5, 2);
    grid->addWidget(cancel, 5, 3);
    connect(ok, &QPushButton::clicked, this, [this] {
        StoreChecks(true);
        CloseWindow();
        if (m_print) m_print();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        StoreChecks(false);
        CloseWindow();
    });
}

bool PrinterSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool enter =
        event->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (enter || IsLeavingField(event)) {
        if (watched == m_from) TakeFrequency(m_from, m_model.printFromMHz);
        if (watched == m_to) TakeFrequency(m_to, m_model.printToMHz);
        if (enter) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PrinterSetupWindow::TakeFrequency(QLineEdit* field, float& value) {
    const double typed = LeadingNumber(field->text());
    value = ToSingle(std::clamp(typed == typed ? typed : 0.0, 0.0, PRINT_MHZ_LIMIT));
    field->setText(EditorNumberText(value));
}

void PrinterSetupWindow::ShowHint() {
    bool any = false;
    for (std::size_t k = 1; k <= LAST_DRAWN_CHECK; ++k) any = any || m_checks[k].box->isChecked();
    m_hint->setVisible(!any);
}

void PrinterSetupWindow::StoreChecks(bool all) {
    for (const Check& c : m_checks) {
        if (c.flag)
            *c.flag = c.box->isChecked();
        else if (all)
            *c.state = c.box->isChecked() ? 1 : 0;
    }
}

void PrinterSetupWindow::CloseWindow() {
    if (auto* frame = parentWidget())
        frame->close();
    else
        close();
}

}  // namespace tk
