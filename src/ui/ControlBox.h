#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "ActivationWatch.h"
#include "MeasurementModel.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPaintEvent;
class QRadioButton;
class QShowEvent;
class QToolButton;

namespace tk {

// A pair of arrow buttons beside a number field: up adds one step, down takes one away. Held down, they
// repeat. A click takes the focus, so a number typed into the field is taken before the step.
class SpinButtons final : public QWidget {
    Q_OBJECT
public:
    explicit SpinButtons(const QString& name, QWidget* parent = nullptr);
    QToolButton* up() const { return m_up; }
    QToolButton* down() const { return m_down; }

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

// The control box `boxcon`, "Display setup": the analyzer's front-panel settings as the user states them,
// and what is acquired and shown. It keeps nothing of its own: every control reads and writes the model,
// and the window shows the model again whenever it is painted as a whole (typed text that was not yet
// confirmed is then replaced).
class ControlBox final : public QWidget {
    Q_OBJECT
public:
    explicit ControlBox(MeasurementModel& model, QWidget* parent = nullptr);
    ~ControlBox() override;

    // Puts the model's values into every control.
    void ShowModel();
    // While the correction run builds the curve, its switch is not the user's.
    void LockCalibrationSwitch(bool locked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Taken { OnEnter, OnLeaving };

    // One number field with its spin buttons, its ranges and its redraw rule.
    struct NumberField {
        QLineEdit* edit = nullptr;
        SpinButtons* spin = nullptr;
        double typedMin = 0;
        double typedMax = 0;
        double spinMin = 0;
        double spinMax = 0;
        bool wholeNumbers = false;
        bool redrawOnEnter = false;
        bool redrawOnLeaving = false;
        bool redrawOnSpin = false;
        std::function<double()> get;
        std::function<void(double)> set;
    };

    void BuildWindow();
    NumberField& AddNumberField(std::size_t index, const char* editName, const char* spinName);
    void TakeTyped(NumberField& f, Taken how);
    void Spin(NumberField& f, int step);
    void ShowNumber(const NumberField& f);
    void OnScanClicked(int index);
    void OnUnitClicked(int index);
    void OnBandwidthClicked(int index);

    MeasurementModel& m_model;
    std::array<NumberField, 8> m_fields;
    QButtonGroup* m_scan = nullptr;
    QLabel* m_scanNote = nullptr;
    QButtonGroup* m_bandwidth = nullptr;
    QButtonGroup* m_unit = nullptr;
    QRadioButton* m_userUnit = nullptr;
    QCheckBox* m_videoFilter = nullptr;
    QCheckBox* m_showActual = nullptr;
    QCheckBox* m_showPeak = nullptr;
    QCheckBox* m_showAverage = nullptr;
    QCheckBox* m_limitActual = nullptr;
    QCheckBox* m_limitPeak = nullptr;
    QCheckBox* m_limitAverage = nullptr;
    QCheckBox* m_calibrate = nullptr;
    QCheckBox* m_logView = nullptr;
    QLabel* m_logNote = nullptr;
    ActivationWatch m_activation;
};

}  // namespace tk
