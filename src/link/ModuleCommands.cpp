#include "ModuleCommands.h"

#include "StartUp.h"
#include "Units.h"

namespace tk {

void ModuleCommands::ToggleOnline(bool currentlyChecked) {
    MeasurementModel& model = m_link.Model();
    if (!currentlyChecked) {
        // An open that fails is not reported here; the check mark shows the result.
        m_link.OpenPort();
        model.moduleSleeping = false;
        m_link.View().SetSleepingChecked(false);
        m_link.SendCommand("bo");
    } else {
        m_link.ClosePort();
    }
    m_link.View().SetOnlineChecked(m_link.IsOpen());
}

void ModuleCommands::ToggleSleeping() {
    if (!m_link.IsOpen()) return;
    MeasurementModel& model = m_link.Model();
    if (!model.moduleSleeping) {
        model.moduleSleeping = true;
        m_link.View().SetSleepingChecked(true);
        m_link.SendCommand("bp");
        const QString now = m_link.TheClock().timeText();
        model.timeActual.set(now);
        model.timePeak.set(now);
        model.timeAverage.set(now);
    } else {
        model.moduleSleeping = false;
        m_link.View().SetSleepingChecked(false);
        m_link.SendCommand("bo");
    }
}

void ModuleCommands::ToggleCalculating() {
    if (!m_link.IsOpen()) return;
    MeasurementModel& model = m_link.Model();
    if (!model.moduleCalculating) {
        model.moduleCalculating = true;
        m_link.View().SetCalculatingChecked(true);
        m_link.SendCommand("br");
    } else {
        model.moduleCalculating = false;
        m_link.View().SetCalculatingChecked(false);
        m_link.SendCommand("bn");
    }
}

void EraseDisplay(AnalyzerLink& link) {
    MeasurementModel& model = link.Model();
    ClearMeasuredTraces(model);
    link.View().TracesErased();
    if (!link.IsOpen()) return;
    link.SendResolution();
    link.View().RedrawGraph();
}

bool RunShutdown(AnalyzerLink& link, const QString& parameterPath) {
    MeasurementModel& model = link.Model();
    if (!WriteParameterFileAtExit(model, parameterPath, link.Dialogs())) return false;
    model.autoMeasurement = false;
    link.SendCommand("bf");
    model.settings.baudIndex = 1;
    link.SetLinkBaud();
    link.SendCommand("bp");
    return true;
}

}  // namespace tk
