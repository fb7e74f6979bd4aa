// The waterfall's cost per read at its heaviest: a 4000-point row added to a full history of 600 rows and
// the whole window (rows, time labels, legend, controls) painted at 1600 x 900.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>

#include "BenchSupport.h"
#include "MeasurementModel.h"
#include "WaterfallWindow.h"

namespace {

void FillTrace(tk::TraceArray& trace, int read) {
    unsigned state = 12345u + static_cast<unsigned>(read) * 7919u;
    const double drift = 500.0 + 3000.0 * (read % 400) / 400.0;
    for (std::size_t i = 0; i <= 4000; ++i) {
        state = state * 1103515245u + 12345u;
        const double x = static_cast<double>(i);
        const double carrier = 150.0 * std::exp(-std::pow((x - drift) / 20.0, 2));
        trace[i] =
            static_cast<std::int16_t>(20 + static_cast<int>((state >> 16) % 24) + static_cast<int>(carrier));
    }
}

void BM_AddRowAndPaint(benchmark::State& state) {
    tk::MeasurementModel model;
    model.settings.resolution = 1;
    tk::bench::PrintingDialogs dialogs;
    tk::WaterfallWindow window(model, dialogs, [](int) {});
    window.resize(1600, 900);
    window.show();
    QCoreApplication::processEvents();
    int read = 0;
    for (; read < 600; ++read) {
        FillTrace(model.traceActual, read);
        window.ActualTraceRead(read);
    }
    for (auto _ : state) {
        state.PauseTiming();
        FillTrace(model.traceActual, ++read);
        state.ResumeTiming();
        window.ActualTraceRead(read);
        window.repaint();
    }
}
BENCHMARK(BM_AddRowAndPaint)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
