#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "Clock.h"
#include "DeviceModel.h"

namespace tk::emu {

// How the server learns the rate the program on the other side of the pseudo-terminal has set.
enum class PcRate {
    // Read from the terminal's settings: on Linux the master side sees the rate the slave side was given.
    FromTerminal,
    // Taken to be the interface's own rate, so that a rate mismatch never happens.
    SameAsDevice,
};

// Serves the emulated interface on a pseudo-terminal: a program opens the slave device as its serial port.
// Answers leave at the emulated line rate on the real clock; all waits block in poll, never spin.
class PtyServer {
public:
    PtyServer(const DeviceConfig& config, Clock& clock, PcRate pcRate = PcRate::FromTerminal);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode; false with the reason.
    bool open(QString* error);
    // "/dev/pts/5"; empty before open.
    QString slavePath() const { return m_slavePath; }
    // Serves until stop() or until the interface disappears (the terminal is then closed).
    void serve();
    // Ends serve(); safe from a signal handler and from another thread.
    void stop();

    // The interface; look at it only while serve() is not running.
    const DeviceModel& device() const { return m_device; }

    // Takes command lines from fd while serving ("loss 10": a cable of 10 dB loss at the last sweep
    // point from now on); each line's answer goes to reply. The input ends at its end of file.
    void setControlInput(int fd, std::function<void(const QString&)> reply);
    // Carries out one command line; the answer for the user.
    QString applyControlLine(const QString& line);

private:
    std::optional<int> pcBaud() const;
    void takeInput();
    void deliverDue();
    void flushOutput();
    void closeTerminal();
    void takeControlInput();

    Clock& m_clock;
    DeviceModel m_device;
    PcRate m_pcRate;
    int m_master = -1;
    int m_slave = -1;  // held open so that the master never reports a hang-up between the program's opens
    int m_stopPipe[2] = {-1, -1};
    QString m_slavePath;
    QByteArray m_pending;  // due bytes the terminal has not taken yet
    int m_control = -1;
    std::function<void(const QString&)> m_reply;
    QByteArray m_controlLine;  // the part of a command line read so far
};

}  // namespace tk::emu
