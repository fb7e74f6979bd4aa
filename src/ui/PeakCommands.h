#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "AnalyzerLink.h"
#include "Canvas.h"
#include "Clock.h"
#include "MeasurementModel.h"
#include "PeakCapture.h"
#include "PeakTableWindow.h"
#include "UserDialogs.h"

namespace tk {

// "Measurement > Peak table": the window, its markers on the graph, and the capture on violation, which
// watches every read while the program runs.
class PeakCommands {
public:
    struct Hooks {
        std::function<void(QWidget*)> showChild;
        std::function<void()> redrawGraph;
        std::function<QImage(const std::function<void(Canvas&)>&)> graphPicture;  // drawn anew, annotated
        std::function<void(const QString&)> showInformation;
        std::function<void()> stopAutoMeasurement;
        std::function<void(int index)> markPoint;
    };

    PeakCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs, Hooks hooks);

    void ShowPeakTable();
    // From the graph's redraw: the open table finds its peaks anew, and its markers are drawn.
    void RefreshTable();
    void DrawMarkers(Canvas& canvas);
    // After every completed read.
    void TraceRead(TraceKind kind);
    // After the reads of a tick or of "Single": what the capture has to tell goes to the information window
    // now, where the next read of the same tick would not close it at once.
    void AfterReads();

    PeakTableWindow* window() const { return m_boxpeaks; }
    PeakCapture& capture() { return m_capture; }
    const PeakTableSettings& settings() const { return m_settings; }

private:
    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    Hooks m_hooks;
    PeakTableSettings m_settings;
    PeakCapture m_capture;
    QPointer<PeakTableWindow> m_boxpeaks;
    // Ends the window's connections with this object's life.
    QObject m_guard;
    // The table was refreshed by the graph since the last read; a minimised graph does not refresh it.
    bool m_refreshedByRedraw = false;
    QString m_pendingInformation;
};

}  // namespace tk
