#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "MeasurementModel.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace tk {

// `boxdruck`, "Printer setup": what the page shows. The headline, the print window and the unit are stored as
// they change; the check boxes on "&Print" (which then prints) and, except "Print Cursor" and "Print
// settings", on "&Cancel".
class PrinterSetupWindow final : public QWidget {
    Q_OBJECT
public:
    // print runs after "&Print" has stored the choices and closed the window; unitChanged after an option of
    // the unit, which is the whole program's display unit, was chosen.
    PrinterSetupWindow(MeasurementModel& model, std::function<void()> print,
                       std::function<void()> unitChanged, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StoreChecks(bool all);
    void ShowHint();
    void TakeFrequency(QLineEdit* field, float& value);
    void CloseWindow();

    MeasurementModel& m_model;
    std::function<void()> m_print;
    std::function<void()> m_unitChanged;
    struct Check {
        QCheckBox* box;
        VbBool* flag;
        std::int16_t* state;
    };
    std::vector<Check> m_checks;
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QButtonGroup* m_unit = nullptr;
    QLabel* m_hint = nullptr;
};

}  // namespace tk
