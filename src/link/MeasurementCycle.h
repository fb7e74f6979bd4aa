#pragma once

#include <QString>

#include "TraceReader.h"

namespace tk {

// What the measurement cycle changes in the windows, and the script engine's due check.
class CycleView {
public:
    virtual ~CycleView() = default;
    virtual void SetStatusText(const QString& text) = 0;
    // "&Auto measurement" and the toolbar box `mdiauto`.
    virtual void SetAutoMeasurementChecked(bool checked) = 0;
    virtual void RedrawGraph() = 0;
    // Whether a script step is due, and running it; no scripts means never due.
    virtual bool IsScriptStepDue() { return false; }
    virtual void RunScriptStep() {}
    // The status text's script part: whether a script runs, its step and due time.
    virtual bool ScriptRunning() const { return false; }
    virtual int ScriptStepIndex() const { return 0; }
    virtual int DueHour() const { return 0; }
    virtual int DueMinute() const { return 0; }
    // Between two reads of one tick or "Single": commands given during the first run now.
    virtual void BetweenReads() {}
};

// The 100 ms tick of automatic measurement, and "Single".
class MeasurementCycle {
public:
    MeasurementCycle(MeasurementModel& model, TraceReader& reader, Clock& clock, CycleView& view)
        : m_model(model), m_reader(reader), m_clock(clock), m_view(view) {}

    void Tick();
    void Single();
    QString StatusText();

private:
    MeasurementModel& m_model;
    TraceReader& m_reader;
    Clock& m_clock;
    CycleView& m_view;
};

}  // namespace tk
