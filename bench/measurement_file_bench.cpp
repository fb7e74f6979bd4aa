// Loading and storing a measurement file at resolution 1 (32,411 bytes), through the file operations the
// menus and script steps use: a script step that stores every few seconds must not stall the tick.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "FileOperations.h"
#include "MeasurementFile.h"

namespace {

class SilentDialogs final : public tk::UserDialogs {
public:
    void message(const QString&, const QString&, tk::MessageIcon) override { ++count; }
    std::optional<QString> openFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const tk::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int count = 0;
};

tk::MeasurementModel BusyModel() {
    tk::MeasurementModel m;
    m.settings.resolution = 1;
    for (std::size_t i = 0; i < m.traceActual.size(); ++i) {
        m.traceActual[i] = static_cast<std::int16_t>(i % 256);
        m.traceAverage[i] = static_cast<std::int16_t>((i * 7) % 256);
        m.tracePeak[i] = static_cast<std::int16_t>((i * 13) % 256);
        m.traceComparison[i] = static_cast<std::int16_t>((i * 3) % 256);
    }
    return m;
}

void BM_StoreMeasurement(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.mes"));
    const tk::MeasurementModel model = BusyModel();
    SilentDialogs dialogs;
    for (auto _ : state) benchmark::DoNotOptimize(tk::SaveMeasurementFile(path, model, dialogs));
    if (dialogs.count != 0) state.SkipWithError("the save failed");
    state.SetBytesProcessed(state.iterations() * tk::MeasurementFileSize(1));
}

void BM_LoadMeasurement(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.mes"));
    SilentDialogs dialogs;
    tk::SaveMeasurementFile(path, BusyModel(), dialogs);
    tk::MeasurementModel model;
    for (auto _ : state) benchmark::DoNotOptimize(tk::LoadMeasurementFile(path, model, dialogs));
    if (dialogs.count != 0 || model.settings.resolution != 1) state.SkipWithError("the load failed");
    state.SetBytesProcessed(state.iterations() * tk::MeasurementFileSize(1));
}

BENCHMARK(BM_StoreMeasurement)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadMeasurement)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
