#include "PeakCommands.h"

namespace tk {

PeakCommands::PeakCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs, Hooks hooks)
    : m_model(model),
      m_dialogs(dialogs),
      m_hooks(std::move(hooks)),
      m_capture(model, clock,
                PeakCapture::Hooks{m_hooks.graphPicture,
                                   [this](const QString& text) { m_pendingInformation = text; },
                                   m_hooks.stopAutoMeasurement,
                                   [this] {
                                       if (m_boxpeaks) m_boxpeaks->ShowCaptureState();
                                   }}) {}

void PeakCommands::ShowPeakTable() {
    if (!m_boxpeaks) {
        m_boxpeaks = new PeakTableWindow(m_model, m_settings, m_capture, m_dialogs,
                                         PeakTableWindow::Hooks{m_hooks.redrawGraph, m_hooks.markPoint});
        // The markers come and go with the window.
        // A widget tells of its end before the guarded pointer to it is cleared: the pointer is let go first,
        // or the redraw would number the peaks of the window that is going.
        QObject::connect(m_boxpeaks, &QObject::destroyed, &m_guard, [this] {
            m_boxpeaks = nullptr;
            if (m_hooks.redrawGraph) m_hooks.redrawGraph();
        });
    }
    m_hooks.showChild(m_boxpeaks);
    if (m_hooks.redrawGraph) m_hooks.redrawGraph();
}

void PeakCommands::RefreshTable() {
    if (!m_boxpeaks) return;
    m_boxpeaks->Refresh();
    m_refreshedByRedraw = true;
}

void PeakCommands::DrawMarkers(Canvas& canvas) {
    if (m_boxpeaks) DrawPeakMarkers(m_model, canvas, m_settings.trace, m_boxpeaks->rows());
}

void PeakCommands::TraceRead(TraceKind kind) {
    if (m_boxpeaks && !m_refreshedByRedraw) m_boxpeaks->Refresh();
    m_refreshedByRedraw = false;
    m_capture.TraceRead(kind);
}

void PeakCommands::AfterReads() {
    if (m_pendingInformation.isEmpty()) return;
    if (m_hooks.showInformation) m_hooks.showInformation(m_pendingInformation);
    m_pendingInformation.clear();
}

}  // namespace tk
