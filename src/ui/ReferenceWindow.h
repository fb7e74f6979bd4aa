#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QWidget>

#include "MeasurementModel.h"

namespace tk {

// `boxref`: stores the present traces as reference curves and chooses how each new trace is combined with
// one. It holds no state of its own: every show and paint takes the choices from the model.
class ReferenceWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ReferenceWindow(MeasurementModel& model, QWidget* parent = nullptr);
    void ShowModel();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QButtonGroup* AddOptions(QWidget* box, const QString& name, const QStringList& captions);
    void CopyToReferences();

    MeasurementModel& m_model;
    QButtonGroup* m_mode = nullptr;
    QButtonGroup* m_actual = nullptr;
    QButtonGroup* m_average = nullptr;
    QButtonGroup* m_peak = nullptr;
    QCheckBox* m_calc = nullptr;
};

}  // namespace tk
