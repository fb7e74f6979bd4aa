#include "ComparisonWindow.h"

#include <QGridLayout>
#include <QPushButton>

#include "CalibrationCommands.h"

namespace tk {

ComparisonWindow::ComparisonWindow(CalibrationCommands& commands, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("boxvergl"));
    setWindowTitle(QStringLiteral("Comparative measurement"));
    auto* grid = new QGridLayout(this);
    auto button = [&](const char* name, const char* caption, int row, int column, auto action) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        grid->addWidget(b, row, column);
        connect(b, &QPushButton::clicked, this, action);
    };
    CalibrationCommands* c = &commands;
    button("verglak", "Ac-meas", 0, 0, [c] { c->TakeComparison(&MeasurementModel::traceActual); });
    button("verglav", "Av-meas", 0, 1, [c] { c->TakeComparison(&MeasurementModel::traceAverage); });
    button("verglpk", "Pk-meas", 0, 2, [c] { c->TakeComparison(&MeasurementModel::tracePeak); });
    button("verglaus", "Off", 1, 0, [c] { c->ShowComparison(false); });
    button("verglein", "On", 1, 1, [c] { c->ShowComparison(true); });
    button("verglcorr", "Correction", 1, 2, [c] { c->Correction(); });
}

}  // namespace tk
