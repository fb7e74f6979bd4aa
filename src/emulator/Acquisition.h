#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "Signal.h"

namespace tk::emu {

enum class TraceKind { Actual, Peak, Average };

// The three traces the interface keeps of the analyzer's sweep. Sweeps run one per period of the clock while
// the module is online; a sleeping module keeps its last sweep. While calculating is on, every sweep raises
// the peak-hold trace and moves the average trace; a change of resolution starts both afresh.
class Acquisition {
public:
    static constexpr int AVERAGE_DEPTH = 16;        // sweeps in the running average once it has settled
    static constexpr int MAX_CATCH_UP_SWEEPS = 64;  // after a long quiet spell only the last sweeps count

    Acquisition(std::uint64_t seed, double startTime, double sweepPeriod, int resolution = 8,
                double lossDb = 0.0, bool steadyScene = false);

    // Runs the sweeps that have ended by time t.
    void advanceTo(double t);

    // 1, 2, 4 or 8; peak and average restart from the sweep taken now.
    void setResolution(int resolution, double t);
    void setSleeping(bool sleeping, double t);
    void setCalculating(bool calculating, double t);
    // The loss of a cable between the signal and the analyzer, growing linearly from 0 dB at the first
    // point of a sweep to lossDb at the last; it holds from the next sweep on.
    void setLossDb(double lossDb, double t);
    double lossDb() const { return m_lossDb; }

    int resolution() const { return m_resolution; }
    bool sleeping() const { return m_sleeping; }
    bool calculating() const { return m_calculating; }
    // Sweeps run since the start, counting those skipped in a catch-up.
    std::int64_t sweepNumber() const { return m_sweep; }
    // Sweeps taken into peak and average since their last restart.
    int calculatedSweeps() const { return m_calculated; }

    // The 4000 / resolution raw levels of a trace.
    QByteArray trace(TraceKind kind) const;
    const SignalGenerator& signal() const { return m_signal; }

private:
    void takeSweep(std::int64_t number);
    void restartCalculation();

    SignalGenerator m_signal;
    double m_period;
    double m_nextSweepEnd;
    std::int64_t m_sweep = 0;
    int m_resolution;
    bool m_sleeping = false;
    bool m_calculating = true;
    int m_calculated = 0;
    double m_lossDb = 0.0;
    std::vector<std::uint8_t> m_actual;
    std::vector<std::uint8_t> m_peak;
    std::vector<float> m_average;
};

}  // namespace tk::emu
