#include "ReferenceWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "BusyCursor.h"
#include "OptionGroups.h"

namespace tk {

ReferenceWindow::ReferenceWindow(MeasurementModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("boxref"));
    setWindowTitle(QStringLiteral("Reference calculations"));
    auto* grid = new QGridLayout(this);

    auto* modeBox = new QGroupBox(this);
    modeBox->setObjectName(QStringLiteral("RefModeFrame"));
    m_mode = AddOptions(modeBox, QStringLiteral("RefMode"),
                        {QStringLiteral("Ref - Act"), QStringLiteral("Act - Ref"),
                         QStringLiteral("Act + Ref"), QStringLiteral("Act > Ref")});
    grid->addWidget(modeBox, 0, 0, 1, 3);

    const QStringList sources{QStringLiteral("Ref-Act"), QStringLiteral("Ref-Avg"), QStringLiteral("Ref-Pk"),
                              QStringLiteral("Off")};
    auto frame = [&](const char* name, const char* caption, const char* group, int column) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        grid->addWidget(box, 1, column);
        return AddOptions(box, QString::fromLatin1(group), sources);
    };
    m_actual = frame("RefAktuell", "Actual", "RefAk", 0);
    m_average = frame("Refaver", "Average", "Refav", 1);
    m_peak = frame("Refpeak", "Peak", "Refpe", 2);

    m_calc = new QCheckBox(QStringLiteral("Calcul."), this);
    m_calc->setObjectName(QStringLiteral("RefRechnen"));
    grid->addWidget(m_calc, 2, 0);
    auto* copy = new QPushButton(QStringLiteral("Actual -> Ref"), this);
    copy->setObjectName(QStringLiteral("Refdat"));
    grid->addWidget(copy, 2, 2);

    connect(m_mode, &QButtonGroup::idClicked, this,
            [this](int id) { m_model.refMode = static_cast<std::int16_t>(id); });
    connect(m_actual, &QButtonGroup::idClicked, this,
            [this](int id) { m_model.refSelActual = static_cast<std::int16_t>(id); });
    connect(m_average, &QButtonGroup::idClicked, this,
            [this](int id) { m_model.refSelAverage = static_cast<std::int16_t>(id); });
    connect(m_peak, &QButtonGroup::idClicked, this,
            [this](int id) { m_model.refSelPeak = static_cast<std::int16_t>(id); });
    connect(m_calc, &QCheckBox::toggled, this, [this](bool on) { m_model.referenceCalcOn = on; });
    connect(copy, &QPushButton::clicked, this, &ReferenceWindow::CopyToReferences);
    ShowModel();
}

QButtonGroup* ReferenceWindow::AddOptions(QWidget* box, const QString& name, const QStringList& captions) {
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    group->setObjectName(name);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], box);
        option->setObjectName(name + QString::number(i));
        group->addButton(option, i);
        layout->addWidget(option);
    }
    return group;
}

void ReferenceWindow::ShowModel() {
    SelectOption(m_mode, m_model.refMode);
    SelectOption(m_actual, m_model.refSelActual);
    SelectOption(m_average, m_model.refSelAverage);
    SelectOption(m_peak, m_model.refSelPeak);
    const QSignalBlocker block(m_calc);
    m_calc->setChecked(m_model.referenceCalcOn);
}

void ReferenceWindow::showEvent(QShowEvent* event) {
    ShowModel();
    QWidget::showEvent(event);
}

void ReferenceWindow::paintEvent(QPaintEvent* event) {
    ShowModel();
    QWidget::paintEvent(event);
}

void ReferenceWindow::CopyToReferences() {
    BusyCursor busy;
    const int r = m_model.settings.resolution;
    CopySweep(m_model.traceActual, m_model.refActual, r);
    CopySweep(m_model.traceAverage, m_model.refAverage, r);
    CopySweep(m_model.tracePeak, m_model.refPeak, r);
}

}  // namespace tk
