#include "MeasurementCycle.h"

#include "Format.h"

namespace tk {
namespace {
// The counters add in double precision and are stored back as 32-bit floats, so 40 ticks of 0.1 leave
// 3.9999983 and an interval of 4 s is reached on the 41st tick.
float AddTick(float counter) {
    return ToSingle(static_cast<double>(counter) + 0.1);
}
}  // namespace

QString MeasurementCycle::StatusText() {
    QString text = QStringLiteral(" Time: ") + m_clock.timeText();
    if (m_view.ScriptRunning()) {
        text += QStringLiteral("    Script: ") + FormatNumber(m_view.ScriptStepIndex(), u"0 -  ") +
                FormatNumber(m_view.DueHour(), u"00:") + FormatNumber(m_view.DueMinute(), u"00");
    }
    return text;
}

void MeasurementCycle::Tick() {
    if (!m_model.autoMeasurement) return;
    m_view.SetStatusText(StatusText());
    m_model.actualElapsed = AddTick(m_model.actualElapsed);
    m_model.peakElapsed = AddTick(m_model.peakElapsed);
    m_model.averageElapsed = AddTick(m_model.averageElapsed);
    const MeasurementSettings& s = m_model.settings;
    if (static_cast<double>(m_model.actualElapsed) >= s.actualInterval || m_model.fastMode) {
        if (s.showActual) m_reader.ReadActualTrace();
        m_model.actualElapsed = 0.0f;
    }
    m_view.BetweenReads();
    if (static_cast<double>(m_model.peakElapsed) >= s.peakInterval || m_model.fastMode) {
        if (s.showPeak) m_reader.ReadPeakTrace();
        m_model.peakElapsed = 0.0f;
    }
    m_view.BetweenReads();
    if (static_cast<double>(m_model.averageElapsed) >= s.averageInterval || m_model.fastMode) {
        if (s.showAverage) m_reader.ReadAverageTrace();
        m_model.averageElapsed = 0.0f;
    }
    if (m_model.redrawPending) m_view.RedrawGraph();
    if (m_view.IsScriptStepDue()) m_view.RunScriptStep();
}

void MeasurementCycle::Single() {
    if (m_model.autoMeasurement) {
        m_model.autoMeasurement = false;
        m_view.SetAutoMeasurementChecked(false);
    }
    m_view.SetStatusText(StatusText());
    const MeasurementSettings& s = m_model.settings;
    if (s.showActual) m_reader.ReadActualTrace();
    m_view.BetweenReads();
    if (s.showPeak) m_reader.ReadPeakTrace();
    m_view.BetweenReads();
    if (s.showAverage) m_reader.ReadAverageTrace();
    if (m_model.redrawPending) m_view.RedrawGraph();
    if (m_view.IsScriptStepDue()) m_view.RunScriptStep();
}

}  // namespace tk
