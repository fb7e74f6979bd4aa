#include "Emissions.h"

#include <algorithm>
#include <cmath>

#include "GraphDrawing.h"
#include "LogFrequency.h"
#include "Units.h"

namespace tk {

std::vector<PeakRow> ViolatingEmissions(const MeasurementModel& model, BoundaryTrace trace) {
    // A low prominence: what reaches the boundary counts even where it stands on a broad hump.
    std::vector<PeakRow> rows = PeakTable(model, trace, PeakOptions{PEAK_COUNT_MAX, 1.0, 3});
    std::erase_if(rows, [](const PeakRow& r) { return !r.reached; });
    return rows;
}

std::vector<PeakRow> EmissionTracker::Update(BoundaryTrace trace, const std::vector<PeakRow>& violating,
                                             double nowSeconds, double holdOffSeconds, double toleranceMHz) {
    // Emissions gone longer than the hold-off would capture as new ones anyway: they need not be kept.
    std::erase_if(m_known, [&](const Known& k) {
        return k.trace == trace && !k.present && nowSeconds - k.lastCapture >= holdOffSeconds;
    });
    std::vector<bool> seen(m_known.size(), false);
    std::vector<PeakRow> captured;
    for (const PeakRow& row : violating) {
        Known* match = nullptr;
        for (std::size_t i = 0; i < m_known.size(); ++i) {
            Known& k = m_known[i];
            if (k.trace != trace || seen[i] || std::fabs(k.frequencyMHz - row.frequencyMHz) > toleranceMHz)
                continue;
            if (!match || std::fabs(k.frequencyMHz - row.frequencyMHz) <
                              std::fabs(match->frequencyMHz - row.frequencyMHz))
                match = &k;
        }
        if (!match) {
            m_known.push_back({trace, row.frequencyMHz, nowSeconds, true});
            seen.push_back(true);
            captured.push_back(row);
            continue;
        }
        seen[static_cast<std::size_t>(match - m_known.data())] = true;
        match->frequencyMHz = row.frequencyMHz;
        if (!match->present && nowSeconds - match->lastCapture >= holdOffSeconds) {
            match->lastCapture = nowSeconds;
            captured.push_back(row);
        }
        match->present = true;
    }
    for (std::size_t i = 0; i < m_known.size(); ++i)
        if (m_known[i].trace == trace && !seen[i]) m_known[i].present = false;
    return captured;
}

QString CaptureLegend(const MeasurementSettings& settings, BoundaryTrace trace, const PeakRow& emission,
                      const QString& timeText) {
    const QString unit = UnitText(settings, settings.levelUnit);
    const auto level = [&](double v) { return QString::number(v, 'f', 1) + u' ' + unit; };
    return QStringLiteral("%1  %2  %3 MHz\n%4  boundary %5  margin %6 dB")
        .arg(timeText.trimmed(), TraceTitle(trace), QString::number(double(emission.frequencyMHz), 'f', 3),
             level(emission.level),
             emission.boundaryLevel ? level(*emission.boundaryLevel) : QStringLiteral("-"),
             emission.marginDb ? QString::number(*emission.marginDb, 'f', 1) : QStringLiteral("-"));
}

void DrawCaptureAnnotation(const MeasurementModel& model, Canvas& canvas, BoundaryTrace trace,
                           const PeakRow& emission, const QString& timeText) {
    const MeasurementSettings& s = model.settings;
    const int lo = model.graphLevelMin;
    const int hi = model.graphLevelMax;
    const double d = LabelUnitHeight(lo, hi);
    const int colour = TraceColour(trace);
    canvas.setPenColour(colour);
    ViewCanvas plot(model, canvas);
    DrawTrace(*plot, TraceOf(model, trace), 1, LastPlotIndex(s.resolution), s.resolution, NoiseFloor(s, lo),
              lo);
    const double x = static_cast<double>(emission.index) * s.resolution;
    canvas.setLineStyle(LineStyle::Dashed);
    (*plot).line(x, lo, x, hi);
    canvas.setLineStyle(LineStyle::Solid);
    // Two lines under the unit's label, at the plot's left.
    const QStringList lines = CaptureLegend(s, trace, emission, timeText).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        canvas.text(40.0, hi - (4.0 + 12.0 * double(i)) * d, lines[i]);
}

}  // namespace tk
