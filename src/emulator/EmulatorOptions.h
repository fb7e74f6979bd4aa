#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "DeviceModel.h"
#include "Faults.h"

namespace tk {

// How the emulated interface behaves in a run, from "--emu-..." arguments.
struct EmulatorOptions {
    std::uint64_t seed = 1;  // --emu-seed=N: the random noise and bursts
    bool pacing = true;      // --emu-pacing=on|off: bytes take their line time
    int latencyMs = 2;       // --emu-latency-ms=N: from a command's arrival to the start of its answer
    int sweepMs = 100;       // --emu-sweep-ms=N: one analyzer sweep per this many milliseconds
    int baudIndex = 1;       // --emu-baud=N: the interface's rate at start, 1..5 = 2400..115200
    bool steady = false;     // --emu-scene=live|steady: steady has no drifting carrier and no burst
    double lossDb = 0.0;     // --emu-loss=DB: cable loss, 0 dB at the first sweep point, DB at the last
    emu::Faults faults;      // --emu-fault=NAME[:ARG], repeatable
};

// Whether an argument is one of ours ("--emu-" followed by anything).
bool IsEmulatorArgument(const QString& argument);

// Reads the "--emu-..." arguments; other arguments are passed over. Nothing, with the reason in *error,
// when an option or its value is not understood.
std::optional<EmulatorOptions> ParseEmulatorOptions(const QStringList& args, QString* error);

// The interface's configuration for the options.
emu::DeviceConfig ToDeviceConfig(const EmulatorOptions& options);

// A loss in dB as the options and the "loss DB" line take it: a number from -100 to 100.
std::optional<double> ParseLossDb(const QString& text);

// The options and faults, one per line, for a --help text.
QString EmulatorOptionsUsage();

}  // namespace tk
