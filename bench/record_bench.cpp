// Recordings on this machine's disk: appending one 4000-point read with its commit, the size of 24 hours at
// the default intervals (actual every 4 s, peak and average every 60 s), and seeking to a moment of such a
// recording. The levels are the emulator's scene at resolution 1, so they compress as a live run's would.
// The replay window on that day: opening it, going to a random moment (graph, waterfall of 600 rows and peak
// table made anew), and one step of playing, which at 100x has 40 ms of wall time per actual read.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "Recording.h"
#include "ReplayWindow.h"
#include "ScriptedDialogs.h"
#include "Signal.h"

namespace {

constexpr qint64 START_MS = 1'796'000'000'000;
constexpr int DAY_S = 24 * 3600;

tk::RecordedRead SweepRead(tk::RecordedTrace trace, std::int64_t sweep, qint64 utcMs) {
    static const tk::emu::SignalGenerator scene(7);
    static std::vector<std::uint8_t> raw;
    scene.sweep(sweep, 1, raw);
    tk::MeasurementModel m;
    m.settings.resolution = 1;
    for (std::size_t i = 0; i < raw.size(); ++i)
        m.traceActual[i + 1] = m.tracePeak[i + 1] = m.traceAverage[i + 1] = raw[i];
    return tk::ReadOfModel(m, trace, utcMs, 3600);
}

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

void BM_AppendRead(benchmark::State& state) {
    const QString file = Folder().filePath(QStringLiteral("append.tkrec"));
    tk::Recorder recorder;
    QString error;
    if (!recorder.Open(file, tk::RECORDING_SIZE_LIMIT, &error)) state.SkipWithError(qPrintable(error));
    std::int64_t sweep = 0;
    std::vector<tk::RecordedRead> reads;
    for (int i = 0; i < 64; ++i)
        reads.push_back(SweepRead(tk::RecordedTrace::Actual, i, START_MS + i * 4000));
    for (auto _ : state) {
        if (!recorder.Append(reads[std::size_t(sweep++ % 64)], &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["bytes/read"] = double(QFileInfo(file).size()) / double(std::max<std::int64_t>(sweep, 1));
}
BENCHMARK(BM_AppendRead)->Unit(benchmark::kMillisecond);

// 24 hours at the default intervals, written once; then seeking to a random moment reads the reads of the
// 4 s around it.
const QString& DayFile() {
    static const QString file = [] {
        const QString name = Folder().filePath(QStringLiteral("day.tkrec"));
        tk::Recorder recorder;
        QString error;
        recorder.Open(name, tk::RECORDING_SIZE_LIMIT, &error);
        for (int s = 0; s < DAY_S; s += 4) {
            const qint64 at = START_MS + qint64(s) * 1000;
            recorder.Append(SweepRead(tk::RecordedTrace::Actual, s / 4, at), &error);
            if (s % 60 == 0) {
                recorder.Append(SweepRead(tk::RecordedTrace::Peak, s / 4, at), &error);
                recorder.Append(SweepRead(tk::RecordedTrace::Average, s / 4, at), &error);
            }
        }
        recorder.Close();
        std::printf("24 hours: %lld reads, %.1f MB\n", static_cast<long long>(recorder.written()),
                    double(QFileInfo(name).size()) / 1e6);
        return name;
    }();
    return file;
}

void BM_SeekInADay(benchmark::State& state) {
    tk::RecordingReader reader;
    QString error;
    if (!reader.Open(DayFile(), &error)) state.SkipWithError(qPrintable(error));
    std::mt19937 random(1);
    std::size_t found = 0;
    for (auto _ : state) {
        const qint64 at = START_MS + qint64(random() % DAY_S) * 1000;
        found += reader.Reads(at, at + 3999, &error).size();
    }
    state.counters["reads/seek"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_SeekInADay)->Unit(benchmark::kMillisecond);

std::unique_ptr<tk::ReplayWindow> DayWindow() {
    static tk::test::ScriptedDialogs dialogs;
    static const tk::MeasurementModel model;
    auto replay = std::make_unique<tk::Replay>();
    QString error;
    if (!replay->Open(DayFile(), &error)) return nullptr;
    auto window = std::make_unique<tk::ReplayWindow>(std::move(replay), model, dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(1600, 1000);
    window->show();
    return window;
}

void BM_ReplayOpenDay(benchmark::State& state) {
    for (auto _ : state) {
        const auto window = DayWindow();
        if (!window) state.SkipWithError("the day cannot be opened");
    }
}
BENCHMARK(BM_ReplayOpenDay)->Unit(benchmark::kMillisecond);

void BM_ReplayGoToAnyMoment(benchmark::State& state) {
    const auto window = DayWindow();
    std::mt19937 random(2);
    for (auto _ : state) {
        window->GoTo(int(random() % std::uint32_t(window->replay().size())));
        QCoreApplication::processEvents();  // the pictures are painted
    }
    state.counters["rows"] = window->waterfall().rowCount();
}
BENCHMARK(BM_ReplayGoToAnyMoment)->Unit(benchmark::kMillisecond);

// Playing at 100x: each step the next read, drawn and painted.
void BM_ReplayPlayStep(benchmark::State& state) {
    const auto window = DayWindow();
    window->GoTo(window->replay().size() / 2);
    for (auto _ : state) {
        window->Step(1);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ReplayPlayStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);  // the SQLite driver is a plugin; the replay window is painted offscreen
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
