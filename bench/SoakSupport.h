#pragma once

// What the day-long soaks share: the faults switched on once an hour, and the samples of memory and handles.

#include <malloc.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "EmulatorPort.h"
#include "MeasurementModel.h"

namespace tk::bench {

// Blocks freed into glibc's per-thread cache still count as in use in mallinfo2, and the cache fills slowly
// with every new block size a run meets: a soak starts itself again without that cache, so that heap in use
// is what the program holds. Returns only in the process that runs without the cache.
inline void RestartWithoutMallocCache(char* argv[]) {
    if (std::getenv("GLIBC_TUNABLES")) return;
    setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0", 1);
    execv("/proc/self/exe", argv);
}

inline long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

inline long HeapInUseBytes() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long>(m.uordblks + m.hblkhd);  // small blocks and those given their own mapping
}

inline int OpenHandles() {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

// Faults that strike a running measurement, switched on one per hour in this order for two minutes each.
inline constexpr const char* HOURLY_FAULTS[] = {
    "silent",       "wrong-ack:a",       "answer-from:3", "skip-block",    "noise:20",  "stall:3",
    "stall:3:5000", "vanish-in-trace:2", "partial-block", "answer-from:5", "silent:s", "wrong-ack:m"};
inline constexpr double FAULT_SECONDS = 120.0;

// Switches on the fault of the given hour (counted from 0) on the emulated interface.
inline void InjectHourlyFault(EmulatorPort& port, int hour) {
    emu::Faults faults;
    emu::AddFault(QString::fromLatin1(HOURLY_FAULTS[static_cast<std::size_t>(hour) % std::size(HOURLY_FAULTS)]),
                  faults, nullptr);
    port.setFaults(faults);
}

// Ten steps five minutes apart, each loading the settings file, storing a measurement in its own file in
// folder and sending serial control output on COM1 and parallel output on LPT1.
inline void FillSoakScript(ScriptTable& table, const QString& settings, const QString& folder) {
    for (int i = 0; i < 10; ++i) {
        ScriptStep& s = table[static_cast<std::size_t>(i)];
        s.delayMinutes = 5;
        s.settingsFile.set(settings);
        s.measurementFile.set(QDir(folder).filePath(QStringLiteral("m%1.mes").arg(i)));
        s.serialOutput.set(QStringLiteral("1,2,3"));
        s.parallelOutput.set(QStringLiteral("4,5"));
        s.controlPort = 1;
        s.controlBaud = 9600;
        s.controlParity.set(QStringLiteral("N"));
        s.controlDataBits = 8;
        s.controlStopBits = 1;
    }
}

// Resident memory, heap in use and open handles, taken once a simulated hour.
struct HourlySamples {
    std::vector<long> resident, heap;
    std::vector<int> handles;

    void take() {
        resident.push_back(ResidentKb());
        heap.push_back(HeapInUseBytes());
        handles.push_back(OpenHandles());
    }
    static void PrintSeries(const char* what, const std::vector<long>& v) {
        std::printf("%s: hour 1 %ld, hour %zu %ld (%+.2f %%), max %ld\nby hour:", what, v.front(), v.size(),
                    v.back(), 100.0 * static_cast<double>(v.back() - v.front()) / static_cast<double>(v.front()),
                    *std::max_element(v.begin(), v.end()));
        for (long x : v) std::printf(" %ld", x);
        std::printf("\n");
    }
    // Resident memory is printed, not judged: it counts the library code the first fault runs through.
    // Heap in use at the last hour must be within 1 % of the first, and the handles the same.
    bool printAndJudge() const {
        if (heap.empty()) return false;
        PrintSeries("resident memory kB", resident);
        PrintSeries("heap in use bytes", heap);
        std::printf("open handles: hour 1 %d, hour %zu %d, max %d\n", handles.front(), handles.size(),
                    handles.back(), *std::max_element(handles.begin(), handles.end()));
        return handles.back() == handles.front() && std::abs(heap.back() - heap.front()) <= heap.front() / 100;
    }
};

}  // namespace tk::bench
