#pragma once

#include <QString>
#include <deque>
#include <functional>

#include "Fiber.h"

namespace tk {

// The one owner of the line to the interface. Every exchange (a command and its echo, a trace read, the
// rate switch, auto configuration, the correction run, a script step, the shutdown) runs inside Run. While
// an exchange waits on the line other events may run, but nothing else may use the line: a command that
// needs it meanwhile waits and runs after the exchange, in the order it was asked; a request with a key that
// is already waiting (the measurement tick) is not queued twice.
//
// With a waker (the program with its event loop) the exchanges run in a fiber of their own: each wait on the
// line steps aside to the event loop, and the waker brings the line back when its time has passed or data
// came. Without one (a run without windows, most tests) an exchange runs to its end inside Run, its waits
// block, and the pump, where there is one, stands in for the events.
class LineGuard {
public:
    // The events run at most this often while an exchange waits.
    static constexpr double PUMP_INTERVAL_S = 0.005;

    using Pump = std::function<void()>;
    using BusyChanged = std::function<void(bool busy)>;
    // Told how long a wait may last and whether it waits for received bytes; calls Resume, from the event
    // loop, once that time has passed or bytes came.
    using Waker = std::function<void(int ms, bool forData)>;

    // now: the clock that measures the time spent in the pump.
    explicit LineGuard(std::function<double()> now) : m_now(std::move(now)) {}
    ~LineGuard();
    LineGuard(const LineGuard&) = delete;
    LineGuard& operator=(const LineGuard&) = delete;

    // Only while the line is free.
    void SetWaker(Waker waker);
    bool Asynchronous() const { return static_cast<bool>(m_waker); }
    // From a wait of an exchange: returns to the event loop until the waker resumes the line; false where
    // the exchange cannot step aside (no waker, not in the line's fiber, inside a box the exchange itself
    // opened, the program going away), and the caller then waits itself.
    bool StepAside(int ms, bool forData);
    // Runs the exchange that stepped aside on to its next wait or its end.
    void Resume();

    // The pump lets pending window events run; without one (runs without windows, tests) nothing does.
    void SetPump(Pump pump) { m_pump = std::move(pump); }
    bool HasPump() const { return static_cast<bool>(m_pump); }
    void SetBusyChanged(BusyChanged hook) { m_busyChanged = std::move(hook); }

    // Called from inside an exchange that runs on the event loop.
    bool InExchange() const { return m_fiber.Inside(); }
    bool Busy() const { return m_depth > 0 || m_fiber.UnderWay(); }
    // Runs the exchange now or, while another runs, once that has ended. Nothing runs after Close.
    void Run(std::function<void()> exchange, const QString& key = {});
    // Called by every wait on the line.
    void PumpEvents();
    // Seconds the program spent away from the line in the pump (a modal box opened meanwhile, say): the
    // waits on the line do not count them, so that looking away is no timeout.
    double SecondsAway() const { return m_away; }

    // Ends the running exchange's trace reads at the next block boundary and skips the reads still to
    // come in it. drain: whether the rest of the interface's answer is awaited and discarded, so that the
    // next exchange starts on a quiet line. An exchange that must run to its end (the correction run) is not
    // stopped.
    void RequestStop(bool drain = true);
    bool StopRequested() const { return m_stop; }
    bool DrainAfterStop() const { return m_drain; }

    // While one lives, stops are not taken: the exchange runs to its end.
    class Unstoppable {
    public:
        explicit Unstoppable(LineGuard& line) : m_line(line) { ++m_line.m_unstoppable; }
        ~Unstoppable() { --m_line.m_unstoppable; }
        Unstoppable(const Unstoppable&) = delete;
        Unstoppable& operator=(const Unstoppable&) = delete;

    private:
        LineGuard& m_line;
    };
    bool IsUnstoppable() const { return m_unstoppable > 0; }

    // The program is going away: the running exchange ends at once, in the middle of a block or of a
    // wait, without draining and without a message; what waits is dropped and nothing new is taken.
    void Abort();
    bool Aborting() const { return m_aborting; }

    // Between the exchanges of one command (the reads of a tick): what was asked meanwhile runs now, so a
    // command waits for the exchange that runs, not for the whole command. Requests with the key `skip`
    // (another tick) stay waiting.
    void RunWaiting(const QString& skip = {});
    // Drops what waits; returns how many were dropped.
    int DropWaiting();

    // The program ends: what waits is dropped and nothing new is taken.
    void Close();
    bool Closed() const { return m_closed; }
    int Waiting() const { return static_cast<int>(m_waiting.size()); }

private:
    // What was asked meanwhile runs, in order; a stop asked for one exchange ends with it.
    void RunQueue();
    void Ended();

    struct Request {
        std::function<void()> exchange;
        QString key;
    };

    int m_depth = 0;
    bool m_pumping = false;
    bool m_stop = false;
    bool m_drain = true;
    bool m_closed = false;
    bool m_aborting = false;
    int m_unstoppable = 0;
    double m_away = 0.0;
    double m_lastPump = -1e9;
    std::deque<Request> m_waiting;
    std::function<double()> m_now;
    Pump m_pump;
    BusyChanged m_busyChanged;
    Waker m_waker;
    Fiber m_fiber;
    // The event loop level the fiber was resumed at: a box the exchange opens runs a deeper one.
    int m_resumeLevel = 0;
};

}  // namespace tk
