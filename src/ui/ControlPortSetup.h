#pragma once

#include <QButtonGroup>
#include <QDialog>

#include "ScriptTable.h"

namespace tk {

// `ConfigScrn`: the serial control port of one script step. Each choice is stored into the step at once.
class ControlPortSetup final : public QDialog {
    Q_OBJECT
public:
    explicit ControlPortSetup(ScriptStep& step, QWidget* parent = nullptr);

private:
    QButtonGroup* AddGroup(const char* name, const char* caption, const QStringList& options,
                           const QList<int>& values, int row, int shown);

    ScriptStep& m_step;
};

}  // namespace tk
