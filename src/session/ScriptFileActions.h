#pragma once

#include <functional>

#include "AnalyzerLink.h"
#include "ScriptActions.h"

namespace tk {

// The printer that "&Print" sends its pages to, as a script step sees it.
struct ScriptPrinter {
    std::function<bool()> setUp;    // one is set up
    std::function<QString()> name;  // its name
    std::function<bool()> print;    // prints the page of the model on it
};

// What a script step does with files, the printer and the link in the real program.
class ScriptFileActions final : public ScriptActions {
public:
    ScriptFileActions(MeasurementModel& model, AnalyzerLink& link, std::function<void(bool)> setAutoChecked)
        : m_model(model), m_link(link), m_setAutoChecked(std::move(setAutoChecked)) {}

    FileLoad LoadSettings(const QString& path) override;
    FileLoad LoadBoundaries(const QString& path) override;
    FileLoad LoadCalibration(const QString& path) override;
    FileSave SaveMeasurement(const QString& path) override;
    // A page with nothing checked to draw is not made; the note says so.
    void Print(const QString& pdfName, const QString& measurementFile) override;
    // Pages go to the printer of "&Print" when one is set up, otherwise into their PDF; either way `note`
    // says where (a run nobody watches must not wait for a box). Without it every page is a PDF.
    void UsePrinter(ScriptPrinter printer, std::function<void(const QString&)> note) {
        m_printer = std::move(printer);
        m_note = std::move(note);
    }
    void ConnectInterface() override { m_link.ConnectInterface(); }
    bool LinkOpen() override { return m_link.IsOpen(); }
    void SetAutoMeasurementChecked(bool checked) override {
        if (m_setAutoChecked) m_setAutoChecked(checked);
    }
    void ProcessEvents() override;
    // The PDF the last Print wrote; empty when it went to the printer or could not be written.
    QString lastPrintout() const { return m_lastPrintout; }
    // Why the last Print made no PDF ("the printout could not be written", ...); empty when it did.
    QString printProblem() const { return m_printProblem; }

private:
    MeasurementModel& m_model;
    AnalyzerLink& m_link;
    QString m_lastPrintout;
    QString m_printProblem;
    ScriptPrinter m_printer;
    std::function<void(const QString&)> m_note;
    std::function<void(bool)> m_setAutoChecked;
};

}  // namespace tk
