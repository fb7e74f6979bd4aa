#include "Acquisition.h"

#include <algorithm>
#include <cmath>

namespace tk::emu {

Acquisition::Acquisition(std::uint64_t seed, double startTime, double sweepPeriod, int resolution,
                         double lossDb, bool steadyScene)
    : m_signal(seed, steadyScene),
      m_period(sweepPeriod),
      m_nextSweepEnd(startTime + sweepPeriod),
      m_resolution(resolution),
      m_lossDb(lossDb) {
    // The interface has a sweep in memory from the moment it is switched on.
    m_signal.sweep(m_sweep, m_resolution, m_actual, m_lossDb);
    restartCalculation();
}

void Acquisition::advanceTo(double t) {
    if (m_sleeping || t < m_nextSweepEnd) return;
    const auto due = static_cast<std::int64_t>(std::floor((t - m_nextSweepEnd) / m_period)) + 1;
    const std::int64_t skipped = std::max<std::int64_t>(0, due - MAX_CATCH_UP_SWEEPS);
    m_sweep += skipped;
    for (std::int64_t i = skipped; i < due; ++i) takeSweep(++m_sweep);
    m_nextSweepEnd += static_cast<double>(due) * m_period;
}

void Acquisition::takeSweep(std::int64_t number) {
    m_signal.sweep(number, m_resolution, m_actual, m_lossDb);
    if (!m_calculating) return;
    ++m_calculated;
    const float weight = 1.0f / static_cast<float>(std::min(m_calculated, AVERAGE_DEPTH));
    for (std::size_t i = 0; i < m_actual.size(); ++i) {
        m_peak[i] = std::max(m_peak[i], m_actual[i]);
        m_average[i] += (static_cast<float>(m_actual[i]) - m_average[i]) * weight;
    }
}

void Acquisition::restartCalculation() {
    m_peak = m_actual;
    m_average.assign(m_actual.begin(), m_actual.end());
    m_calculated = 1;
}

void Acquisition::setResolution(int resolution, double t) {
    advanceTo(t);
    m_resolution = resolution;
    m_signal.sweep(m_sweep, m_resolution, m_actual, m_lossDb);
    restartCalculation();
}

void Acquisition::setSleeping(bool sleeping, double t) {
    advanceTo(t);
    // A module that wakes up starts its next sweep now; the time it slept is not made up.
    if (m_sleeping && !sleeping) m_nextSweepEnd = t + m_period;
    m_sleeping = sleeping;
}

void Acquisition::setLossDb(double lossDb, double t) {
    advanceTo(t);
    m_lossDb = lossDb;
}

void Acquisition::setCalculating(bool calculating, double t) {
    advanceTo(t);
    m_calculating = calculating;
}

QByteArray Acquisition::trace(TraceKind kind) const {
    QByteArray out(static_cast<qsizetype>(m_actual.size()), '\0');
    for (std::size_t i = 0; i < m_actual.size(); ++i) {
        std::uint8_t v = m_actual[i];
        if (kind == TraceKind::Peak) v = m_peak[i];
        if (kind == TraceKind::Average)
            v = static_cast<std::uint8_t>(std::clamp(std::lround(m_average[i]), 0L, 255L));
        out[static_cast<qsizetype>(i)] = static_cast<char>(v);
    }
    return out;
}

}  // namespace tk::emu
