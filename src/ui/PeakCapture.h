#pragma once

#include <QImage>
#include <QString>
#include <algorithm>
#include <functional>
#include <optional>

#include "AnalyzerLink.h"
#include "Clock.h"
#include "Emissions.h"
#include "MeasurementModel.h"

namespace tk {

// "capture-2026-12-07_10-15-02" from the clock's date ("dd.MM.yyyy") and time ("hh:mm:ss") texts.
QString CaptureBaseName(const QString& dateText, const QString& timeText);

// The index the captures of a folder are listed in, one line each.
inline constexpr char CAPTURE_INDEX_NAME[] = "capture-index.csv";

// Capture on violation, by emission: an emission is a peak of a shown trace at or above its switched-on
// boundary (ViolatingEmissions), known again by its frequency. A new emission, or one that comes back after
// it had cleared and after the hold-off since its last capture, is captured: the measurement file and a PNG
// of the graph that marks and names it, named with the date and time to the second, and a line in the
// folder's CAPTURE_INDEX_NAME (time, file, trace, frequency, level, boundary, margin). The setting lives as
// long as the program runs, whether the peak table window is open or not.
class PeakCapture {
public:
    struct Hooks {
        // The graph drawn anew, with `annotate` drawn over it on the same canvas.
        std::function<QImage(const std::function<void(Canvas&)>& annotate)> graphPicture;
        std::function<void(const QString&)> showInformation;
        std::function<void()> stopAutoMeasurement;
        std::function<void()> changed;  // count, last capture or failure changed
    };

    PeakCapture(MeasurementModel& model, Clock& clock, Hooks hooks);

    // After every completed read: the emissions of the trace this read captures, and their captures.
    void TraceRead(TraceKind kind);
    static constexpr int DEFAULT_HOLD_OFF_S = 60;
    int holdOffSeconds() const { return m_holdOff; }
    void setHoldOffSeconds(int seconds) { m_holdOff = std::max(0, seconds); }

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }
    bool stopsAutoMeasurement() const { return m_stopAuto; }
    void setStopsAutoMeasurement(bool on) { m_stopAuto = on; }
    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder);

    int count() const { return m_count; }
    // The base name of the last capture written, or empty.
    const QString& lastCapture() const { return m_last; }
    // The last capture attempt failed.
    bool failed() const { return m_failed; }

private:
    // The name the capture was written under.
    std::optional<QString> Write(const QString& base, BoundaryTrace trace, const PeakRow& emission);
    bool AddToIndex(const QString& name, BoundaryTrace trace, const PeakRow& emission);

    MeasurementModel& m_model;
    Clock& m_clock;
    Hooks m_hooks;
    bool m_enabled = false;
    bool m_stopAuto = false;
    QString m_folder;
    int m_count = 0;
    QString m_last;
    bool m_failed = false;
    // The failure has been told in the information window; told again only after a capture succeeded or the
    // folder changed.
    bool m_failureTold = false;
    int m_holdOff = DEFAULT_HOLD_OFF_S;
    EmissionTracker m_emissions;
};

}  // namespace tk
