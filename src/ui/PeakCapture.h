#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "AnalyzerLink.h"
#include "Clock.h"
#include "MeasurementModel.h"

namespace tk {

// "capture-2026-12-07_10-15-02" from the clock's date ("dd.MM.yyyy") and time ("hh:mm:ss") texts.
QString CaptureBaseName(const QString& dateText, const QString& timeText);

// Capture on violation: when a read leaves a shown trace at or above its switched-on boundary where the
// previous read of that trace did not, the measurement file and a PNG of the graph are stored in the folder,
// named with the date and time to the second. The setting lives as long as the program runs, whether the
// peak table window is open or not.
class PeakCapture {
public:
    struct Hooks {
        std::function<QImage()> graphPicture;
        std::function<void(const QString&)> showInformation;
        std::function<void()> stopAutoMeasurement;
        std::function<void()> changed;  // count, last capture or failure changed
    };

    PeakCapture(MeasurementModel& model, Clock& clock, Hooks hooks);

    // After every completed read: whether the trace crossed its boundary with this read, and the capture.
    void TraceRead(TraceKind kind);

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
    std::optional<QString> Write(const QString& base);

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
    // Whether the last read of each trace (actual, peak, average) reached its boundary.
    std::array<bool, 3> m_reached{};
};

}  // namespace tk
