// A full redraw after a trace read, at its heaviest: three traces and the comparison curve at 4000 points,
// three boundaries of logarithmic segments, both cursor lines and every label, into a 1600 x 900 picture.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "ImageCanvas.h"
#include "MeasurementModel.h"
#include "SpectrumGraph.h"

namespace {

// A noisy spectrum with a few carriers, different for each trace.
void FillTrace(tk::TraceArray& trace, int seed) {
    unsigned state = 12345u + static_cast<unsigned>(seed) * 7919u;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const int noise = static_cast<int>((state >> 16) % 24);
        const double carrier = 180.0 * std::exp(-std::pow((static_cast<double>(i % 800) - 400.0) / 30.0, 2));
        trace[i] = static_cast<std::int16_t>(20 + seed * 5 + noise + static_cast<int>(carrier));
    }
}

void FillBoundary(tk::BoundaryLine& b, float level) {
    for (std::size_t i = 0; i < 10; ++i) {
        b.freqMHz[i] = 10.0f + 110.0f * static_cast<float>(i);
        b.levelDbm[i] = level - 3.0f * static_cast<float>(i % 3);
        b.logSegment[i] = 1;
    }
}

std::unique_ptr<tk::MeasurementModel> BusyModel() {
    auto model = std::make_unique<tk::MeasurementModel>();
    model->graphOpen = true;
    model->settings.resolution = 1;
    model->settings.limitActual = model->settings.limitAverage = model->settings.limitPeak = true;
    model->showComparison = true;
    FillTrace(model->traceActual, 0);
    FillTrace(model->traceAverage, 1);
    FillTrace(model->tracePeak, 2);
    FillTrace(model->traceComparison, 3);
    FillBoundary(model->boundaryActual, -30.0f);
    FillBoundary(model->boundaryAverage, -40.0f);
    FillBoundary(model->boundaryPeak, -20.0f);
    model->levelWindowOpen = true;
    model->levelCursorX = 1200;
    model->limitListOpen = true;
    model->limitCursorX = 2800;
    return model;
}

void BM_RedrawGraph(benchmark::State& state) {
    auto model = BusyModel();
    tk::ImageCanvas canvas(QSize(1600, 900));
    tk::GraphHooks hooks;
    hooks.portOpen = [] { return true; };
    for (auto _ : state) {
        tk::RedrawGraph(*model, canvas, hooks);
        // Taking the picture finishes the painting, as showing it in the window does.
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}
BENCHMARK(BM_RedrawGraph)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    // Fonts need a platform; none is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
