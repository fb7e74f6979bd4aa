// Writing the printed page as a PDF for a resolution-1 measurement with every trace and boundary printed.
// It should stay well under 200 ms per page.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cmath>

#include "PrintOut.h"
#include "PrintPage.h"

namespace {

void BM_PrintPdfPage(benchmark::State& state) {
    tk::MeasurementModel model;
    tk::SetModelDefaults(model, QStringLiteral("06.12.2026"));
    model.settings.resolution = 1;
    for (int i = 0; i < tk::TRACE_SIZE; ++i) {
        const auto v = static_cast<std::int16_t>(120 + 60 * std::sin(i / 37.0));
        model.traceActual[static_cast<std::size_t>(i)] = v;
        model.traceAverage[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v - 20);
        model.tracePeak[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v + 20);
        model.traceComparison[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v + 5);
    }
    for (tk::BoundaryLine* line : {&model.boundaryActual, &model.boundaryAverage, &model.boundaryPeak}) {
        for (int k = 0; k < 10; ++k) {
            line->freqMHz[static_cast<std::size_t>(k)] = 50.0f + 100.0f * static_cast<float>(k);
            line->levelDbm[static_cast<std::size_t>(k)] = -60.0f + static_cast<float>(k % 3) * 5.0f;
            line->logSegment[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(k % 2);
        }
    }
    model.printActual = model.printAverage = model.printPeak = model.printComparison = true;
    model.printBoundaryActual = model.printBoundaryAverage = model.printBoundaryPeak = true;
    model.printBlackWhite = false;

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("page.pdf"));
    for (auto _ : state) benchmark::DoNotOptimize(tk::WritePdfPage(model, name, QStringLiteral("date")));
}
BENCHMARK(BM_PrintPdfPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
