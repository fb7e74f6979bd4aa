// The peak table's cost per read at its heaviest: a 4000-point sweep of noise with carriers, its boundary on,
// 50 peaks. Peak finding alone, the table's rows, and the window's refresh with the markers on the graph.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>

#include "BenchSupport.h"
#include "Clock.h"
#include "ImageCanvas.h"
#include "PeakCapture.h"
#include "PeakTable.h"
#include "PeakTableWindow.h"

namespace {

// Noise of about 8 dB over the floor and a carrier every 160 points, shifted by the seed.
void FillTrace(tk::TraceArray& trace, int seed) {
    unsigned state = 4711u + static_cast<unsigned>(seed) * 7919u;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const int noise = static_cast<int>((state >> 16) % 26);
        const double d = static_cast<double>((i + static_cast<std::size_t>(seed) * 7) % 160) - 80.0;
        trace[i] = static_cast<std::int16_t>(30 + noise + static_cast<int>(120.0 * std::exp(-d * d / 50.0)));
    }
}

std::unique_ptr<tk::MeasurementModel> SweepModel() {
    auto m = std::make_unique<tk::MeasurementModel>();
    m->settings.resolution = 1;
    m->settings.centerFreq = 15.0f;
    m->settings.scanWidth = 3.0f;
    m->settings.limitActual = true;
    for (std::size_t i = 0; i < 10; ++i) {
        m->boundaryActual.freqMHz[i] = 0.15f + 3.3f * static_cast<float>(i);
        m->boundaryActual.levelDbm[i] = -50.0f - static_cast<float>(i);
        m->boundaryActual.logSegment[i] = 1;
    }
    FillTrace(m->traceActual, 0);
    return m;
}

void BM_FindPeaks4000(benchmark::State& state) {
    const auto m = SweepModel();
    const std::span<const std::int16_t> levels(m->traceActual.data(), 4000);
    for (auto _ : state) benchmark::DoNotOptimize(tk::FindPeaks(levels, 0.0, tk::PeakOptions{}));
}
BENCHMARK(BM_FindPeaks4000)->Unit(benchmark::kMicrosecond);

void BM_PeakTable50(benchmark::State& state) {
    const auto m = SweepModel();
    for (auto _ : state)
        benchmark::DoNotOptimize(tk::PeakTable(*m, tk::BoundaryTrace::Actual, tk::PeakOptions{50, 6.0, 3}));
}
BENCHMARK(BM_PeakTable50)->Unit(benchmark::kMicrosecond);

// What a read adds when the table is open: its refresh from a new sweep and the markers on the graph.
void BM_TableRefreshPerRead(benchmark::State& state) {
    auto m = SweepModel();
    tk::TraceArray other;
    FillTrace(other, 1);
    tk::SystemClock clock;
    tk::bench::PrintingDialogs dialogs;
    tk::PeakCapture capture(*m, clock, {});
    tk::PeakTableSettings settings;
    settings.options.count = tk::PEAK_COUNT_MAX;
    tk::PeakTableWindow window(*m, settings, capture, dialogs, {});
    window.resize(560, 420);
    window.show();
    tk::ImageCanvas canvas(QSize(1600, 900));
    canvas.setScale(-310, 255, 4200, -20);
    for (auto _ : state) {
        std::swap(m->traceActual, other);  // every read brings a new sweep
        window.Refresh();
        tk::DrawPeakMarkers(*m, canvas, settings.trace, window.rows());
        benchmark::DoNotOptimize(canvas.image());
    }
}
BENCHMARK(BM_TableRefreshPerRead)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
