#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "AnalyzerLink.h"
#include "TraceReader.h"

namespace tk {

class CalibrationEditorWindow;
class ComparisonWindow;

// What the calibration commands need from the main window.
struct CalibrationHooks {
    // Puts a child window into the work area (the first time) and shows it.
    std::function<void(QWidget*)> showChild;
    // After a curve was loaded: the control box shows the model again, unless it is closed or minimised.
    std::function<void()> refreshControlBox;
    // After the correction: the check marks of the switches it restored.
    std::function<void()> switchesRestored;
    // The control box's "Calibrate" box is locked (true) while the correction run builds the curve.
    std::function<void(bool locked)> lockCalibrationSwitch;
    // The printout of the editor's points; left empty until printing is available.
    std::function<void(const QStringList&)> printLines;
};

// The commands of the calibration curve: its editor, its file, the comparison window and the correction.
class CalibrationCommands final : public QObject {
    Q_OBJECT
public:
    CalibrationCommands(AnalyzerLink& link, TraceReader& reader, CalibrationHooks hooks,
                        QObject* parent = nullptr);

    void OpenEditor();      // "Cali&bration level-Edit"
    void OpenComparison();  // "Co&mparative measurement"
    // "&Load Data" > "C&alibration Curve" (the session's): the editor shows the name, then the curve.
    void CurveFileNamed();
    void CurveLoaded();
    void SaveCurve();       // "&Store Data" > "C&alibration Curve"
    void Correction();      // "Correction"
    void TakeComparison(TraceArray MeasurementModel::*source);
    void ShowComparison(bool show);

    CalibrationHooks& hooks() { return m_hooks; }

private:
    void LockInputs(bool locked);
    AnalyzerLink& m_link;
    TraceReader& m_reader;
    CalibrationHooks m_hooks;
    QPointer<CalibrationEditorWindow> m_boxeich;
    QPointer<ComparisonWindow> m_boxvergl;
};

}  // namespace tk
