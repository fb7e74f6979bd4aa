#include "Signal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tk::emu {
namespace {

// Streams of the random numbers, so that noise, carrier flutter and bursts never share a draw.
enum Stream : std::uint64_t { NOISE = 1, FLUTTER = 2, MODULATION = 3, BURST = 4 };

struct Carrier {
    double center;   // grid position
    double levelDb;  // peak level above 0 dBuV
    double width;    // 3 dB width in grid positions
    bool modulated;  // a modulated carrier looks noisy across its width
    double swellDb;  // slow amplitude modulation: the carrier swells and fades by this much
};

// A fixed scene, so that the picture stays familiar from run to run; the seed varies only the noise.
constexpr std::array<Carrier, 5> FIXED_CARRIERS{{
    {520.0, 66.0, 10.0, false, 0.0},
    {1180.0, 46.0, 90.0, true, 0.0},
    {1900.0, 36.0, 6.0, false, 0.0},
    {2450.0, 55.0, 14.0, false, 4.0},
    {3550.0, 29.0, 5.0, false, 0.0},
}};

constexpr double FLOOR_DB = 14.0;      // noise floor at the right edge, about raw 45..50
constexpr double FLOOR_TILT_DB = 3.0;  // the floor rises towards the left edge
constexpr int NOISE_SAMPLES = 4;
constexpr double DRIFT_LEVEL_DB = 52.0;
constexpr double DRIFT_WIDTH = 8.0;
constexpr double DRIFT_CENTER = 3000.0;
constexpr double DRIFT_SWING = 220.0;
constexpr double DRIFT_PERIOD_SWEEPS = 450.0;  // 45 s at ten sweeps a second
constexpr double BURST_CENTER = 2150.0;
constexpr double BURST_LEVEL_DB = 60.0;
constexpr double BURST_WIDTH = 40.0;
constexpr std::int64_t BURST_FRAME_SWEEPS = 25;  // one burst of BURST_LENGTH sweeps in each frame
constexpr std::int64_t BURST_LENGTH = 3;
constexpr double SWELL_PERIOD_SWEEPS = 30.0;
// Beyond this many widths a carrier adds nothing visible.
constexpr double CARRIER_REACH = 6.0;
// A Gaussian filter response: -12.04 dB at one full 3 dB width from the centre.
constexpr double GAUSS_DB_PER_WIDTH2 = 12.0412;

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double PowerOf(double db) {
    return std::pow(10.0, db / 10.0);
}

double CarrierPower(double x, double center, double levelDb, double width) {
    const double d = (x - center) / width;
    if (std::abs(d) > CARRIER_REACH) return 0.0;
    return PowerOf(levelDb - GAUSS_DB_PER_WIDTH2 * d * d);
}

}  // namespace

double SignalGenerator::uniform(std::uint64_t stream, std::int64_t a, std::int64_t b) const {
    std::uint64_t h = SplitMix(m_seed ^ (stream * 0xD6E8FEB86659FD93ull));
    h = SplitMix(h ^ static_cast<std::uint64_t>(a));
    h = SplitMix(h ^ static_cast<std::uint64_t>(b));
    // 53 random bits, shifted away from 0 so that a logarithm of it is always finite.
    return (static_cast<double>(h >> 11) + 1.0) / 9007199254740992.0;
}

bool SignalGenerator::burstOn(std::int64_t sweep) const {
    const std::int64_t frame =
        sweep >= 0 ? sweep / BURST_FRAME_SWEEPS : -1 - (-1 - sweep) / BURST_FRAME_SWEEPS;
    const auto onset =
        static_cast<std::int64_t>(uniform(BURST, frame, 0) * (BURST_FRAME_SWEEPS - BURST_LENGTH));
    const std::int64_t inFrame = sweep - frame * BURST_FRAME_SWEEPS;
    return inFrame >= onset && inFrame < onset + BURST_LENGTH;
}

double SignalGenerator::driftCenter(std::int64_t sweep) const {
    return DRIFT_CENTER +
           DRIFT_SWING * std::sin(2.0 * std::numbers::pi * static_cast<double>(sweep) / DRIFT_PERIOD_SWEEPS);
}

double SignalGenerator::levelDb(std::int64_t sweep, int x) const {
    const double pos = x;
    // Thermal noise, smoothed a little as by a video filter: each point shows the mean power of a few
    // exponentially distributed samples, a band some 6 dB wide around the floor.
    const double floorDb = FLOOR_DB + FLOOR_TILT_DB * (1.0 - pos / SWEEP_GRID_POINTS);
    double samples = 0.0;
    for (int k = 0; k < NOISE_SAMPLES; ++k) samples -= std::log(uniform(NOISE, sweep, x * NOISE_SAMPLES + k));
    double power = PowerOf(floorDb) * samples / NOISE_SAMPLES;

    for (std::size_t i = 0; i < FIXED_CARRIERS.size(); ++i) {
        const Carrier& c = FIXED_CARRIERS[i];
        if (std::abs(pos - c.center) > CARRIER_REACH * c.width) continue;
        // Each carrier flutters by a fraction of a dB from sweep to sweep.
        double level = c.levelDb + (uniform(FLUTTER, sweep, static_cast<std::int64_t>(i)) - 0.5);
        level +=
            c.swellDb * std::sin(2.0 * std::numbers::pi * static_cast<double>(sweep) / SWELL_PERIOD_SWEEPS);
        double p = CarrierPower(pos, c.center, level, c.width);
        if (c.modulated) p *= -std::log(uniform(MODULATION, sweep, x));
        power += p;
    }
    if (m_steady) return 10.0 * std::log10(power);
    const double drift = driftCenter(sweep);
    power += CarrierPower(pos, drift, DRIFT_LEVEL_DB + (uniform(FLUTTER, sweep, 10) - 0.5), DRIFT_WIDTH);
    if (burstOn(sweep)) power += CarrierPower(pos, BURST_CENTER, BURST_LEVEL_DB, BURST_WIDTH);
    return 10.0 * std::log10(power);
}

std::uint8_t SignalGenerator::rawLevel(std::int64_t sweep, int x, double lossDb) const {
    const double raw = std::round((levelDb(sweep, x) - lossDb) * RAW_UNITS_PER_DB);
    return static_cast<std::uint8_t>(std::clamp(raw, 0.0, 255.0));
}

void SignalGenerator::sweep(std::int64_t number, int resolution, std::vector<std::uint8_t>& out,
                            double lossDb) const {
    const int points = SWEEP_GRID_POINTS / resolution;
    out.resize(static_cast<std::size_t>(points));
    const double lossPerPoint = points > 1 ? lossDb / (points - 1) : 0.0;
    for (int i = 0; i < points; ++i)
        out[static_cast<std::size_t>(i)] = rawLevel(number, i * resolution, lossPerPoint * i);
}

}  // namespace tk::emu
