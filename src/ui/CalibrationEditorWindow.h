#pragma once

#include <QWidget>
#include <functional>

#include "ActivationWatch.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"

class QLineEdit;
class QListWidget;

namespace tk {

// The calibration curve editor `boxeich`. It keeps nothing of its own: the list is built from the model's
// curve each time it changes, and the window shows the model again when shown or activated.
class CalibrationEditorWindow final : public QWidget {
    Q_OBJECT
public:
    // printLines gets the lines of "&Print"; without it "&Print" does nothing.
    CalibrationEditorWindow(MeasurementModel& model, UserDialogs& dialogs,
                            std::function<void(const QStringList&)> printLines, QWidget* parent = nullptr);

    // What opening the window does: title, empty fields, the list of the curve's points.
    void ShowModel();
    void ShowTitle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillList();
    void Enter();
    void EditLine();
    void Remove();
    void Sort();
    void DeleteAll();
    void Accept();
    void AddCurve();
    void Print();
    void CloseFrame();

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    std::function<void(const QStringList&)> m_printLines;
    QLineEdit* m_freq = nullptr;
    QLineEdit* m_offset = nullptr;
    QListWidget* m_list = nullptr;
    ActivationWatch m_activation;
};

}  // namespace tk
