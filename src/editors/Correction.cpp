#include "Correction.h"

#include <algorithm>
#include <cstdlib>

#include "Calibration.h"
#include "CalibrationEditor.h"
#include "Format.h"
#include "Units.h"

namespace tk {
namespace {

constexpr int DIVISIONS = 10;
constexpr int REFINEMENT_PASSES = 3;
constexpr int SEARCH_PASSES = 6;
constexpr int STEPS_PER_PASS = 10;
// Each refinement point takes this share of the deviation still left at its frequency.
constexpr float REFINEMENT_SHARE = 0.8f;

int RoundIndex(double v) {
    return static_cast<int>(RoundHalfEven(v));
}

// The switches the command changes for its run and puts back at its end.
struct RememberedSwitches {
    VbBool autoMeasurement;
    VbBool fastMode;
    VbBool showActual;
    VbBool showPeak;
    VbBool showAverage;

    explicit RememberedSwitches(const MeasurementModel& m)
        : autoMeasurement(m.autoMeasurement),
          fastMode(m.fastMode),
          showActual(m.settings.showActual),
          showPeak(m.settings.showPeak),
          showAverage(m.settings.showAverage) {}

    void Restore(MeasurementModel& m) const {
        m.autoMeasurement = autoMeasurement;
        m.fastMode = fastMode;
        m.settings.showActual = showActual;
        m.settings.showPeak = showPeak;
        m.settings.showAverage = showAverage;
    }
};

class CorrectionRun {
public:
    CorrectionRun(AnalyzerLink& link, TraceReader& reader)
        : m_link(link),
          m_reader(reader),
          m_model(link.Model()),
          m_switches(m_model),
          m_curveBefore(m_model.calibrationCurve),
          m_calibrationBefore(m_model.settings.calibrationOn) {
        const MeasurementSettings& s = m_model.settings;
        m_freqStep = s.scanWidth / (4000.0f / static_cast<float>(s.resolution * 10));
        m_freqStart = s.centerFreq - 5.0f * s.scanWidth;
    }

    void Run() {
        MeasurementModel& m = m_model;
        m.moduleCalculating = true;
        m_link.View().SetCalculatingChecked(true);
        m_link.SendCommand("br");

        m.settings.showAverage = true;
        m.autoMeasurement = false;
        m.fastMode = false;
        m.settings.calibrationOn = false;
        m.settings.showActual = false;
        m.settings.showPeak = false;

        ClearMeasuredTraces(m);
        m_link.View().TracesErased();
        m_link.SendResolution();
        if (!ReadAverage()) return Abandon();

        FirstCurve();
        if (!ReadAverage()) return Abandon();
        for (int pass = 0; pass < REFINEMENT_PASSES; ++pass) {
            m_link.Pause();
            for (int j = 0; j < DIVISIONS; ++j)
                AddRefinementPoint(CorrectionDivision(j, m.settings.resolution));
            if (!SortAndRead()) return Abandon();
        }
        for (int step = 0; step < SEARCH_PASSES * STEPS_PER_PASS; ++step) {
            AddRefinementPoint(CorrectionSweep(m.settings.resolution));
            if (!SortAndRead()) return Abandon();
        }

        Scale();
        m_switches.Restore(m);
    }

private:
    float Frequency(int index) const { return m_freqStep * static_cast<float>(index) + m_freqStart; }

    void WritePoint(int position, float freq, float offset) {
        CalibrationCurve& c = m_model.calibrationCurve;
        c.freqMHz[static_cast<std::size_t>(position)] = freq;
        c.offsetDb[static_cast<std::size_t>(position)] = offset;
    }

    void FirstCurve() {
        MeasurementModel& m = m_model;
        const int resolution = m.settings.resolution;
        m.settings.calibrationOn = true;
        // Point 0 is (0 MHz, 0 dB), what the interpolation takes below the first point anyway: no point of
        // an earlier curve becomes part of this one.
        WritePoint(0, 0.0f, 0.0f);
        WritePoint(1, m_freqStart, DB_PER_RAW_SINGLE * static_cast<float>(Deviation(m, 0)));
        m_writePosition = 2;
        for (int j = 1; j <= 8; ++j) {
            const int largest = LargestDeviation(m, CorrectionDivision(j, resolution), m_remembered);
            WritePoint(m_writePosition++, Frequency(m_remembered),
                       DB_PER_RAW_SINGLE * static_cast<float>(largest));
        }
        const int e = CorrectionSweep(resolution).last;
        m_remembered = e;
        WritePoint(m_writePosition - 1, Frequency(e),
                   DB_PER_RAW_SINGLE * static_cast<float>(Deviation(m, e)));
        m.calibrationCurve.pointCount = 10;
        SortCurve(m.calibrationCurve);
    }

    void AddRefinementPoint(IndexRange range) {
        const int largest = LargestDeviation(m_model, range, m_remembered);
        const float f = Frequency(m_remembered);
        const float left = REFINEMENT_SHARE * DB_PER_RAW_SINGLE * static_cast<float>(largest);
        WritePoint(m_writePosition++, f, CorrectionAt(m_model, f) + left);
    }

    bool SortAndRead() {
        m_model.calibrationCurve.pointCount = static_cast<std::int16_t>(m_writePosition);
        SortCurve(m_model.calibrationCurve);
        return ReadAverage();
    }

    // False when the read left the link closed, or the program is going away: the trace then holds
    // nothing to build on.
    bool ReadAverage() {
        m_reader.ReadAverageTrace();
        m_link.View().RedrawGraph();
        return m_link.IsOpen() && !m_link.Aborted();
    }

    void Abandon() {
        m_model.calibrationCurve = m_curveBefore;
        m_model.settings.calibrationOn = m_calibrationBefore;
        m_switches.Restore(m_model);
    }

    void Scale() {
        MeasurementModel& m = m_model;
        const auto answer = m_link.Dialogs().inputBox(QStringLiteral("Reduce correction values to x%"),
                                                      QString(), QStringLiteral("100"));
        const float x = answer ? ToSingle(LeadingNumber(*answer)) : 0.0f;
        CalibrationCurve& c = m.calibrationCurve;
        if (!(x > 0.0f)) {
            c.pointCount = 0;
            m.settings.calibrationOn = false;
            return;
        }
        const float factor = x / 100.0f;
        for (int i = 0; i < c.pointCount; ++i) c.offsetDb[static_cast<std::size_t>(i)] *= factor;
    }

    AnalyzerLink& m_link;
    TraceReader& m_reader;
    MeasurementModel& m_model;
    const RememberedSwitches m_switches;
    const CalibrationCurve m_curveBefore;
    const VbBool m_calibrationBefore;
    float m_freqStep = 0.0f;
    float m_freqStart = 0.0f;
    int m_writePosition = 0;
    int m_remembered = 0;
};

}  // namespace

IndexRange CorrectionDivision(int j, int resolution) {
    const double width = 400.0 / resolution;
    return {RoundIndex(j * width), RoundIndex((j + 1) * width - 1.0)};
}

IndexRange CorrectionSweep(int resolution) {
    return {0, RoundIndex(4000.0 / resolution - 1.0)};
}

int Deviation(const MeasurementModel& model, int i) {
    if (i < 0 || i > TRACE_LAST_INDEX) return 0;
    const auto k = static_cast<std::size_t>(i);
    return int{model.traceComparison[k]} - int{model.traceAverage[k]};
}

int LargestDeviation(const MeasurementModel& model, IndexRange range, int& rememberedIndex) {
    int largest = 0;
    for (int i = std::max(range.first, 0); i <= std::min(range.last, TRACE_LAST_INDEX); ++i) {
        const int d = Deviation(model, i);
        if (std::abs(d) > std::abs(largest)) {
            largest = d;
            rememberedIndex = i;
        }
    }
    return largest;
}

void RunCorrection(AnalyzerLink& link, TraceReader& reader) {
    const MeasurementModel& m = link.Model();
    if (!link.IsOpen() || !m.showComparison) return;
    // A sweep of less than one point has nothing to compare.
    if (m.settings.resolution < 1 || m.settings.resolution > 4000) return;
    CorrectionRun(link, reader).Run();
}

}  // namespace tk
