#pragma once

#include <QWidget>
#include <array>

#include "BoundaryEditing.h"
#include "MeasurementModel.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tk {

// The boundary editor `boxgrenze`, "Definition of Boundaries": the ten points of one boundary line at a time,
// levels shown and typed in a unit of choice and stored in dBm. A typed number reaches the model when its
// field is left or Enter is pressed, when another line is chosen, and with "&OK".
class BoundaryEditor final : public QWidget {
    Q_OBJECT
public:
    explicit BoundaryEditor(MeasurementModel& model, QWidget* parent = nullptr);
    ~BoundaryEditor() override;

    // Captions and title set again, the rows shown again from the chosen line in the chosen unit.
    void ShowModel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct RowWidgets {
        QLineEdit* frequency = nullptr;
        QLineEdit* level = nullptr;
        QCheckBox* log = nullptr;
    };

    void BuildWindow();
    enum class RowPart { All, Level, Frequency };
    void ShowRow(int i, RowPart part = RowPart::All);
    void StoreRows();
    void TakeFrequency(int i);
    void TakeLevel(int i);
    void OnUnitClicked(int option);
    void OnLineClicked(int index);
    void OnOk();

    MeasurementModel& m_model;
    std::array<RowWidgets, BOUNDARY_EDIT_ROWS> m_rows;
    // The texts last put into the fields: leaving a field stores only what was changed since.
    std::array<QString, BOUNDARY_EDIT_ROWS> m_shownFrequency;
    std::array<QString, BOUNDARY_EDIT_ROWS> m_shownLevel;
    QButtonGroup* m_line = nullptr;
    QButtonGroup* m_unit = nullptr;
    QRadioButton* m_userUnit = nullptr;
};

}  // namespace tk
