// A 40-block trace (4080 bytes) from the emulated interface with pacing on, timed on the real clock from the
// request to the last byte read, against its line time of 4080 x 10 bits at the rate. The figure of merit
// is the counter "over_line_pct": how much longer than the bare line time the transfer took (it includes the
// request's own byte time and the interface's 2 ms latency, about 0.6 % at 115200 baud).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <thread>

#include "EmulatorOptions.h"
#include "EmulatorPort.h"
#include "PtyServer.h"
#include "QtSerialPort.h"
#include "Units.h"

namespace {

constexpr int TRACE_BYTES = 40 * 102;

// Reads until n bytes came, polling as the link layer does; false when they did not come in time.
bool Receive(tk::SerialPort& port, int n, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    int got = 0;
    while (got < n && timer.elapsed() < timeoutMs) {
        if (port.bytesWaiting() == 0) port.waitForData(10);
        got += static_cast<int>(port.read(n - got).size());
    }
    return got == n;
}

// 4000 points: "b", "c", each acknowledged.
bool SetFullResolution(tk::SerialPort& port) {
    for (const char c : {'b', 'c'}) {
        port.clearBuffers();
        port.write(QByteArray(1, c));
        if (!Receive(port, 1, 1000)) return false;
    }
    return true;
}

void TimeTraces(benchmark::State& state, tk::SerialPort& port, int rate) {
    if (!SetFullResolution(port)) {
        state.SkipWithError("the interface does not answer");
        return;
    }
    const double lineSeconds = TRACE_BYTES * 10.0 / rate;
    double total = 0.0;
    for (auto _ : state) {
        port.clearBuffers();
        QElapsedTimer timer;
        timer.start();
        port.write("a");
        if (!Receive(port, TRACE_BYTES, 30000)) {
            state.SkipWithError("trace incomplete");
            return;
        }
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["line_ms"] = lineSeconds * 1000.0;
    state.counters["transfer_ms"] = mean * 1000.0;
    state.counters["over_line_pct"] = (mean - lineSeconds) / lineSeconds * 100.0;
}

tk::EmulatorOptions AtRate(int baudIndex) {
    tk::EmulatorOptions options;
    options.baudIndex = baudIndex;
    return options;
}

void BM_TraceInProcess(benchmark::State& state) {
    const int baudIndex = static_cast<int>(state.range(0));
    tk::SystemClock clock;
    tk::EmulatorPort port(clock, AtRate(baudIndex));
    port.setLineSettings(*tk::LineSettingsOfIndex(baudIndex));
    port.open(QStringLiteral("emulator"));
    TimeTraces(state, port, *tk::BaudRateOfIndex(baudIndex));
}

void BM_TraceOnPseudoTerminal(benchmark::State& state) {
    const int baudIndex = static_cast<int>(state.range(0));
    tk::SystemClock clock;
    tk::emu::PtyServer server(tk::ToDeviceConfig(AtRate(baudIndex)), clock);
    QString error;
    if (!server.open(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    std::thread serving([&server] { server.serve(); });
    {
        tk::QtSerialPort port;
        port.setLineSettings(*tk::LineSettingsOfIndex(baudIndex));
        if (port.open(server.slavePath()))
            TimeTraces(state, port, *tk::BaudRateOfIndex(baudIndex));
        else
            state.SkipWithError("cannot open the pseudo-terminal");
    }
    server.stop();
    serving.join();
}

// 115200 baud: 354 ms of line time; 9600 baud: 4.25 s.
BENCHMARK(BM_TraceInProcess)->Arg(5)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceInProcess)->Arg(2)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceOnPseudoTerminal)->Arg(5)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceOnPseudoTerminal)->Arg(2)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the serial port wants an application object
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
