#include "ControlPortSetup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "OptionGroups.h"

namespace tk {

ControlPortSetup::ControlPortSetup(ScriptStep& step, QWidget* parent) : QDialog(parent), m_step(step) {
    setObjectName(QStringLiteral("ConfigScrn"));
    setWindowTitle(QStringLiteral("Control port"));
    new QGridLayout(this);
    const char parity = step.controlParity.bytes().at(0);
    const int parityShown = parity == 'N' ? 'N' : parity == 'O' ? 'O' : parity == 'E' ? 'E' : -1;

    auto* com =
        AddGroup("ComPort", "&Com Port", {"Com1", "Com2", "Com3", "Com4"}, {1, 2, 3, 4}, 0, step.controlPort);
    auto* baud =
        AddGroup("BaudRate", "&Baud Rate", {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200"},
                 {300, 600, 1200, 2400, 4800, 9600, 14400, 19200}, 1, step.controlBaud);
    auto* data = AddGroup("DataBits", "&Data Bits", {"7", "8"}, {7, 8}, 2, step.controlDataBits);
    auto* stop = AddGroup("StopBits", "&Stop Bits", {"1", "2"}, {1, 2}, 3, step.controlStopBits);
    auto* par = AddGroup("Parity", "&Parity", {"None", "Odd", "Even"}, {'N', 'O', 'E'}, 4, parityShown);
    auto* flow = AddGroup("FlowControl", "&Flow Control", {"None", "Xon/Xoff", "RTS", "Xon/RTS"},
                          {0, 1, 2, 3}, 5, step.controlHandshake);

    auto store = [this](QButtonGroup* group, std::int16_t ScriptStep::*field) {
        connect(group, &QButtonGroup::idClicked, this,
                [this, field](int id) { m_step.*field = static_cast<std::int16_t>(id); });
    };
    store(com, &ScriptStep::controlPort);
    store(baud, &ScriptStep::controlBaud);
    store(data, &ScriptStep::controlDataBits);
    store(stop, &ScriptStep::controlStopBits);
    store(flow, &ScriptStep::controlHandshake);
    connect(par, &QButtonGroup::idClicked, this,
            [this](int id) { m_step.controlParity.set(QString(QChar(id))); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cbok"));
    static_cast<QGridLayout*>(layout())->addWidget(ok, 6, 0);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QButtonGroup* ControlPortSetup::AddGroup(const char* name, const char* caption, const QStringList& options,
                                         const QList<int>& values, int row, int shown) {
    auto* box = new QGroupBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(name) + QStringLiteral("Options"));
    for (int i = 0; i < options.size(); ++i) {
        auto* option = new QRadioButton(options[i], box);
        option->setObjectName(QString::fromLatin1(name) + QString::number(i));
        group->addButton(option, values[i]);
        layout->addWidget(option);
    }
    SelectOption(group, shown);
    static_cast<QGridLayout*>(this->layout())->addWidget(box, row, 0);
    return group;
}

}  // namespace tk
