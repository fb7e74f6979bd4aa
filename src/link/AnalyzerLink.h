#pragma once

#include <QByteArray>
#include <QString>

#include "Clock.h"
#include "LineGuard.h"
#include "MeasurementModel.h"
#include "PortMap.h"
#include "SerialPort.h"
#include "UserDialogs.h"

namespace tk {

enum class TraceKind { Actual, Peak, Average };

// What the link changes in the windows.
class LinkView {
public:
    virtual ~LinkView() = default;
    virtual void SetMainCaption(const QString& caption) = 0;
    // The check mark of "M&odule online", which mirrors whether the port is open.
    virtual void SetOnlineChecked(bool checked) = 0;
    virtual void SetSleepingChecked(bool checked) = 0;
    virtual void SetCalculatingChecked(bool checked) = 0;
    // The measured traces were cleared; the graph redraws.
    virtual void TracesErased() = 0;
    // The full redraw of the graph after a completed trace read.
    virtual void RedrawGraph() = 0;
    // A trace read completed and the graph shows it; what watches the reads of one trace hears it here.
    virtual void TraceRead(TraceKind) {}
    // The information window: shows one line of text, or is closed.
    virtual void ShowInformation(const QString& text) = 0;
    virtual void CloseInformation() = 0;
    // A trace read in progress: its name ("Actual", "Average", "Peak") and the blocks received of all. The
    // points received so far are in the reader's own trace (TraceReader::Receiving).
    virtual void ShowReadProgress(const QString& trace, int blocks, int of) {
        (void)trace;
        (void)blocks;
        (void)of;
    }
    // The user stopped a read: the trace keeps its last complete read.
    virtual void ReadStopped(const QString& trace) { (void)trace; }
};

// How long one poll of the line may block in the operating system.
constexpr int POLL_SLICE_MS = 10;

// The character protocol with the interface: each command character is acknowledged by one character, a
// lost or wrong acknowledgement closes the port after up to four transmissions.
class AnalyzerLink {
public:
    AnalyzerLink(MeasurementModel& model, SerialPort& port, Clock& clock, UserDialogs& dialogs,
                 LinkView& view, const PortMap& portMap);

    bool IsOpen() const { return m_port.isOpen(); }

    void SendCommand(const QByteArray& text);
    QByteArray ReadBytes(int n);
    void SendBaudCommand(char digit);
    void SetLinkBaud();
    void ReadVersion();
    void Pause();
    void ConnectInterface();
    // Sends the resolution command of the model's resolution; the interface then sweeps at it.
    void SendResolution();
    // Before a read: a resolution changed since the interface last heard one (a loaded file, a script
    // step, a remote command) is sent first, so that the read gets the number of blocks it expects.
    void SendChangedResolution();
    // The program is going away: every wait ends at once, without a message.
    bool Aborted() const { return m_line.Aborting(); }

    // Opens the port of portNumber with the line settings it was last given; false when that fails.
    bool OpenPort();
    void ClosePort();
    // The failure of any exchange: message, port closed, "M&odule online" unchecked.
    void Fail();

    // The start of a wait: the time rounded to a whole second, halves to even.
    double WaitStart();
    // Seconds since a wait's start.
    double Elapsed(double start);
    // The time the waits go by: the clock less the time spent away in the window's events.
    double LineSeconds();
    // One slice of a wait on the line: for more bytes, or for time to pass. The window's events run after it.
    void WaitForData();
    void SleepMs(int ms);

    LineGuard& Line() { return m_line; }

    SerialPort& Port() { return m_port; }
    Clock& TheClock() { return m_clock; }
    MeasurementModel& Model() { return m_model; }
    LinkView& View() { return m_view; }
    UserDialogs& Dialogs() { return m_dialogs; }

private:
    // Transmits c until a byte arrives, at most four times; false after the failure was handled.
    bool TransmitUntilReply(char c, bool clearBeforeEachTransmission, int bytesNeeded);
    bool ExchangeChar(char c, char expectedAck, bool clearBeforeEachTransmission);

    MeasurementModel& m_model;
    SerialPort& m_port;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    LinkView& m_view;
    const PortMap& m_portMap;
    LineGuard m_line{[this] { return m_clock.seconds(); }};
    // The resolution the interface sweeps at, as far as the program knows; 0 while the port is closed.
    int m_resolutionSent = 0;
};

}  // namespace tk
