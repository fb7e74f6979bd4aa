#include "CalibrationCommands.h"

#include <QMdiSubWindow>

#include "BusyCursor.h"
#include "CalibrationEditor.h"
#include "CalibrationEditorWindow.h"
#include "ComparisonWindow.h"
#include "Correction.h"

namespace tk {
namespace {

bool Minimized(QWidget* child) {
    auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    return frame && frame->isMinimized();
}

}  // namespace

CalibrationCommands::CalibrationCommands(AnalyzerLink& link, TraceReader& reader, CalibrationHooks hooks,
                                         QObject* parent)
    : QObject(parent), m_link(link), m_reader(reader), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("calibrationCommands"));
}

void CalibrationCommands::OpenEditor() {
    if (!m_boxeich)
        m_boxeich =
            new CalibrationEditorWindow(m_link.Model(), m_link.Dialogs(), [this](const QStringList& l) {
                if (m_hooks.printLines) m_hooks.printLines(l);
            });
    if (m_hooks.showChild) m_hooks.showChild(m_boxeich);
}

void CalibrationCommands::OpenComparison() {
    if (!m_boxvergl) m_boxvergl = new ComparisonWindow(*this);
    if (m_hooks.showChild) m_hooks.showChild(m_boxvergl);
}

void CalibrationCommands::CurveFileNamed() {
    if (m_boxeich) m_boxeich->ShowTitle();
}

void CalibrationCommands::CurveLoaded() {
    if (m_hooks.refreshControlBox) m_hooks.refreshControlBox();
    if (m_boxeich && !Minimized(m_boxeich)) m_boxeich->ShowModel();
}

void CalibrationCommands::SaveCurve() {
    MeasurementModel& m = m_link.Model();
    FileDialogRequest request;
    request.title = QStringLiteral("Save");
    request.filter = QStringLiteral("*.eic");
    request.initialName = m.fileNames.calibration;
    request.defaultExtension = QStringLiteral("eic");
    request.confirmOverwrite = true;
    request.confirmCreate = true;
    const auto name = m_link.Dialogs().saveFileName(request);
    if (!name) return;
    m.fileNames.calibration = *name;
    if (m_boxeich) m_boxeich->ShowTitle();
    SaveCalibrationCurve(m, *name, m_link.Dialogs());
}

void CalibrationCommands::Correction() {
    m_link.Line().Run([this] {
        // Once started the run goes to its end: what would change its inputs waits or is locked meanwhile.
        LockInputs(true);
        {
            BusyCursor busy;
            LineGuard::Unstoppable whole(m_link.Line());
            RunCorrection(m_link, m_reader);
        }
        LockInputs(false);
        if (m_hooks.switchesRestored) m_hooks.switchesRestored();
    });
}

void CalibrationCommands::LockInputs(bool locked) {
    for (QWidget* w : {static_cast<QWidget*>(m_boxeich.data()), static_cast<QWidget*>(m_boxvergl.data())})
        if (w) w->setEnabled(!locked);
    if (m_hooks.lockCalibrationSwitch) m_hooks.lockCalibrationSwitch(locked);
}

void CalibrationCommands::TakeComparison(TraceArray MeasurementModel::*source) {
    // After the running read: the comparison curve is one whole sweep, taken in the order asked.
    m_link.Line().Run([this, source] {
        MeasurementModel& m = m_link.Model();
        CopySweep(m.*source, m.traceComparison, m.settings.resolution);
        m.showComparison = true;
        m_link.View().RedrawGraph();
    });
}

void CalibrationCommands::ShowComparison(bool show) {
    m_link.Line().Run([this, show] {
        m_link.Model().showComparison = show;
        m_link.View().RedrawGraph();
    });
}

}  // namespace tk
