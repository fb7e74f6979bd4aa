#pragma once

#include <cstdint>
#include <vector>

namespace tk::emu {

// Points on the analyzer's sweep grid (0..3999); a sweep at resolution r samples every r-th of them.
constexpr int SWEEP_GRID_POINTS = 4000;
// Raw level units per dB (one raw unit is 80/255 dB; raw 0 is 0 dBuV, -107 dBm).
constexpr double RAW_UNITS_PER_DB = 255.0 / 80.0;

// The spectrum the emulated analyzer sees: a noise floor that falls gently towards higher frequencies, a
// handful of carriers of different strength and width, one that drifts slowly across the screen and one
// that comes and goes in short bursts. Every sweep is a pure function of the seed and the sweep number, so
// a run can be repeated exactly however the sweeps are computed. A steady scene leaves out the drifting
// carrier and the burst, for measurements that compare sweeps taken far apart.
class SignalGenerator {
public:
    explicit SignalGenerator(std::uint64_t seed, bool steady = false) : m_seed(seed), m_steady(steady) {}

    // Level in dB above 0 dBuV at grid position x during the sweep with the given number.
    double levelDb(std::int64_t sweep, int x) const;
    // Raw level byte, 0..255, of the level lessened by lossDb.
    std::uint8_t rawLevel(std::int64_t sweep, int x, double lossDb = 0.0) const;
    // The SWEEP_GRID_POINTS / resolution points of one sweep (point i lies at x = i * resolution), seen
    // through a lossy cable whose loss grows linearly from 0 dB at the first point to lossDb at the last.
    void sweep(std::int64_t number, int resolution, std::vector<std::uint8_t>& out,
               double lossDb = 0.0) const;

    // Whether the intermittent burst is on in the given sweep.
    bool burstOn(std::int64_t sweep) const;
    // Where the drifting carrier stands in the given sweep.
    double driftCenter(std::int64_t sweep) const;

    // A uniform number in (0, 1], fixed by the seed, a stream number and two coordinates.
    double uniform(std::uint64_t stream, std::int64_t a, std::int64_t b) const;

private:
    std::uint64_t m_seed;
    bool m_steady;
};

}  // namespace tk::emu
