// Measured run: a looping ten-step script for 24 hours of simulated time, with every shown trace read on
// every tick from the in-process emulated interface, the settings and measurement files read and written,
// the serial control output on a pseudo-terminal opened again by every step and the parallel output to a
// file. Every hour one fault of the emulated interface is switched on for two minutes, in turn, and put right
// again; a closed link is then connected again as the user would. Heap in use and open handles are sampled
// every simulated hour and must stay flat.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <optional>

#include "AnalyzerLink.h"
#include "BenchSupport.h"
#include "SoakSupport.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "FileIO.h"
#include "MeasurementCycle.h"
#include "ParallelPort.h"
#include "QtSerialPort.h"
#include "ScriptRunner.h"
#include "TraceReader.h"

using namespace tk::bench;

namespace {

class SoakActions final : public tk::ScriptActions {
public:
    SoakActions(tk::MeasurementModel& model, tk::AnalyzerLink& link) : m_model(model), m_link(link) {}
    tk::FileLoad LoadSettings(const QString& path) override { return Read(path); }
    tk::FileLoad LoadBoundaries(const QString& path) override { return Read(path); }
    tk::FileLoad LoadCalibration(const QString& path) override { return Read(path); }
    tk::FileSave SaveMeasurement(const QString& path) override {
        const QByteArray bytes(reinterpret_cast<const char*>(m_model.traceActual.data()),
                               static_cast<qsizetype>(sizeof m_model.traceActual));
        ++saves;
        return tk::WriteFileAtomically(path, bytes) ? tk::FileSave::Ok : tk::FileSave::WriteFailed;
    }
    void Print(const QString&, const QString&) override {}
    void ConnectInterface() override { m_link.ConnectInterface(); }
    bool LinkOpen() override { return m_link.IsOpen(); }
    void SetAutoMeasurementChecked(bool) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    int saves = 0;

private:
    static tk::FileLoad Read(const QString& path) {
        return tk::ReadFileBytes(path, 10000) ? tk::FileLoad::Ok : tk::FileLoad::CannotOpen;
    }
    tk::MeasurementModel& m_model;
    tk::AnalyzerLink& m_link;
};

class SoakCycleView final : public tk::CycleView {
public:
    explicit SoakCycleView(tk::ScriptRunner*& runner) : m_runner(runner) {}
    void SetStatusText(const QString& t) override { status = t; }
    void SetAutoMeasurementChecked(bool) override {}
    void RedrawGraph() override {}
    bool IsScriptStepDue() override { return m_runner->IsScriptStepDue(); }
    void RunScriptStep() override {
        ++steps;
        m_runner->RunScriptStep();
    }
    QString status;
    int steps = 0;

private:
    tk::ScriptRunner*& m_runner;
};

}  // namespace

int main(int argc, char* argv[]) {
    tk::bench::RestartWithoutMallocCache(argv);
    QCoreApplication app(argc, argv);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("a.set"));
    tk::WriteFileAtomically(settings, QByteArray(201, 'x'));

    tk::test::FakeClock clock(10 * 3600.0);
    tk::EmulatorOptions options;
    options.sweepMs = 1000;
    tk::EmulatorPort port(clock, options);
    tk::bench::PrintingDialogs dialogs;
    tk::bench::CountingView view;
    tk::PortMap map;
    map.set(1, QString::fromLatin1(ptsname(master)));
    map.setParallel(1, dir.filePath(QStringLiteral("lpt1")));
    tk::MeasurementModel model;
    model.settings.baudIndex = 5;
    model.fastMode = true;
    tk::AnalyzerLink link(model, port, clock, dialogs, view, map);
    tk::TraceReader reader(link);
    SoakActions actions(model, link);
    tk::QtSerialPort control;
    tk::DeviceParallelPort parallel;
    tk::ScriptRunner runner(model, clock, dialogs, actions, control, parallel, map);
    tk::ScriptRunner* runnerPtr = &runner;
    SoakCycleView cycleView(runnerPtr);
    tk::MeasurementCycle cycle(model, reader, clock, cycleView);

    FillSoakScript(model.scriptTable, settings, dir.path());

    const double start = clock.seconds();
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = tk::bench::CpuSeconds();
    long ticks = 0, loops = 0, drained = 0, reconnects = 0;
    int faultsInjected = 0;
    std::optional<double> faultEnds;
    HourlySamples samples;
    double nextSample = start + 3600;
    runner.StartScript();
    while (clock.seconds() < start + 24 * 3600.0) {
        clock.advance(0.1);
        cycle.Tick();
        ++ticks;
        char buf[256];
        for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;) drained += n;
        if (!model.scriptRunning && model.scriptStepIndex == tk::SCRIPT_END_POSITION) {
            ++loops;
            runner.StartScript();
        }
        if (faultEnds && clock.seconds() >= *faultEnds) {
            port.clearFaults();
            faultEnds.reset();
            if (!link.IsOpen()) {
                link.ConnectInterface();
                ++reconnects;
            }
        }
        if (clock.seconds() >= nextSample) {
            // The emulated interface keeps every byte it received for tests to look at; that record is the
            // far end's, not the program's, and is dropped before each sample.
            port.forgetReceived();
            samples.take();
            nextSample += 3600;
            tk::bench::InjectHourlyFault(port, faultsInjected++);
            faultEnds = clock.seconds() + FAULT_SECONDS;
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const long parallelBytes = QFileInfo(dir.filePath(QStringLiteral("lpt1"))).size();
    std::printf("simulated 24 h: %ld ticks, %d steps, %ld completed loops, %d measurements stored\n", ticks,
                cycleView.steps + static_cast<int>(loops), loops, actions.saves);
    std::printf("control bytes: serial %ld, parallel %ld; messages %d; wall %.1f s, cpu %.1f s\n", drained,
                parallelBytes, dialogs.count, wall, tk::bench::CpuSeconds() - cpu0);
    std::printf("faults injected %d, reconnections %ld\n", faultsInjected, reconnects);
    const bool flat = samples.printAndJudge();
    std::printf("%s\n", flat ? "flat" : "GROWING");
    return flat ? 0 : 1;
}
