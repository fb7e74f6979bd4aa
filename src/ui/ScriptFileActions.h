#pragma once

#include <functional>

#include "AnalyzerLink.h"
#include "ScriptActions.h"

namespace tk {

// What a script step does with files, the printer and the link in the real program.
class ScriptFileActions final : public ScriptActions {
public:
    ScriptFileActions(MeasurementModel& model, AnalyzerLink& link, std::function<void(bool)> setAutoChecked)
        : m_model(model), m_link(link), m_setAutoChecked(std::move(setAutoChecked)) {}

    FileLoad LoadSettings(const QString& path) override;
    FileLoad LoadBoundaries(const QString& path) override;
    FileLoad LoadCalibration(const QString& path) override;
    FileSave SaveMeasurement(const QString& path) override;
    void Print() override;
    void ConnectInterface() override { m_link.ConnectInterface(); }
    bool LinkOpen() override { return m_link.IsOpen(); }
    void SetAutoMeasurementChecked(bool checked) override {
        if (m_setAutoChecked) m_setAutoChecked(checked);
    }
    void ProcessEvents() override;
    // The PDF the last Print wrote; empty when it could not be written.
    QString lastPrintout() const { return m_lastPrintout; }

private:
    MeasurementModel& m_model;
    AnalyzerLink& m_link;
    // The file the last step's measurement went to: its printout is written beside it.
    QString m_lastMeasurement;
    QString m_lastPrintout;
    std::function<void(bool)> m_setAutoChecked;
};

}  // namespace tk
