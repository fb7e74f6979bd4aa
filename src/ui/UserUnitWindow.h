#pragma once

#include <QWidget>
#include <functional>

#include "MeasurementModel.h"
#include "UserDialogs.h"

class QLineEdit;

namespace tk {

// `boxdefuser`, "Definition of unit": names the user-defined unit and places it, the offset shown and typed
// as the distance from dBm while the model keeps it from dBuV. Only "&OK" changes the model.
class UserUnitWindow final : public QWidget {
    Q_OBJECT
public:
    // accepted runs after "&OK" has stored the unit, so that every caption that names it can follow.
    UserUnitWindow(MeasurementModel& model, UserDialogs& dialogs, std::function<void()> accepted,
                   QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnOk();

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    std::function<void()> m_accepted;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_offset = nullptr;
    // The offset as first shown: "&OK" with the text untouched keeps the stored offset to the last bit.
    QString m_shownOffset;
};

}  // namespace tk
