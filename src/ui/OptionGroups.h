#pragma once

#include <QAbstractButton>
#include <QButtonGroup>

namespace tk {

// Selects the option with the id, or none when no option has it.
inline void SelectOption(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) {
        if (!b->isChecked()) b->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

}  // namespace tk
