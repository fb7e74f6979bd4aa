#include "EmulatorOptions.h"

#include "Units.h"

namespace tk {
namespace {

constexpr QStringView PREFIX = u"--emu-";

std::optional<qint64> Number(const QString& text, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < min || v > max) return std::nullopt;
    return v;
}

}  // namespace

bool IsEmulatorArgument(const QString& argument) {
    return argument.startsWith(PREFIX);
}

std::optional<EmulatorOptions> ParseEmulatorOptions(const QStringList& args, QString* error) {
    EmulatorOptions options;
    const auto fail = [&](const QString& text) -> std::optional<EmulatorOptions> {
        if (error) *error = text;
        return std::nullopt;
    };
    for (const QString& arg : args) {
        if (!IsEmulatorArgument(arg)) continue;
        const qsizetype eq = arg.indexOf(u'=');
        if (eq < 0) return fail(QStringLiteral("%1: a value is needed (%1=...)").arg(arg));
        const QString name = arg.mid(PREFIX.size(), eq - PREFIX.size());
        const QString value = arg.mid(eq + 1);
        const auto bad = [&] {
            return fail(QStringLiteral("%1: bad value \"%2\"").arg(arg.left(eq), value));
        };

        if (name == u"seed") {
            bool ok = false;
            const qulonglong v = value.toULongLong(&ok);
            if (!ok) return bad();
            options.seed = v;
        } else if (name == u"pacing") {
            if (value == u"on")
                options.pacing = true;
            else if (value == u"off")
                options.pacing = false;
            else
                return bad();
        } else if (name == u"latency-ms") {
            const auto v = Number(value, 0, 60000);
            if (!v) return bad();
            options.latencyMs = static_cast<int>(*v);
        } else if (name == u"sweep-ms") {
            const auto v = Number(value, 1, 60000);
            if (!v) return bad();
            options.sweepMs = static_cast<int>(*v);
        } else if (name == u"baud") {
            // A rate (2400 ... 115200) or, as before, its index 1..5.
            const auto v = Number(value, 1, 115200);
            if (!v) return bad();
            int index = *v <= 5 ? static_cast<int>(*v) : 0;
            for (int i = 1; i <= 5 && index == 0; ++i)
                if (BaudRateOfIndex(i) == *v) index = i;
            if (index == 0) return bad();
            options.baudIndex = index;
        } else if (name == u"scene") {
            if (value == u"live")
                options.steady = false;
            else if (value == u"steady")
                options.steady = true;
            else
                return bad();
        } else if (name == u"loss") {
            const auto v = ParseLossDb(value);
            if (!v) return bad();
            options.lossDb = *v;
        } else if (name == u"fault") {
            QString why;
            if (!emu::AddFault(value, options.faults, &why))
                return fail(QStringLiteral("--emu-fault: %1").arg(why));
        } else {
            return fail(QStringLiteral("unknown option %1").arg(arg.left(eq)));
        }
    }
    return options;
}

emu::DeviceConfig ToDeviceConfig(const EmulatorOptions& options) {
    emu::DeviceConfig config;
    config.seed = options.seed;
    config.pacing = options.pacing;
    config.latency = options.latencyMs / 1000.0;
    config.sweepPeriod = options.sweepMs / 1000.0;
    config.baudIndex = options.baudIndex;
    config.lossDb = options.lossDb;
    config.steadyScene = options.steady;
    config.faults = options.faults;
    return config;
}

std::optional<double> ParseLossDb(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !(v >= -100.0 && v <= 100.0)) return std::nullopt;
    return v;
}

QString EmulatorOptionsUsage() {
    return QStringLiteral(
               "Emulated interface:\n"
               "  --emu-seed=N              seed of the random noise and bursts (default 1)\n"
               "  --emu-pacing=on|off       bytes take their time on the line, 10 bits each (default on)\n"
               "  --emu-latency-ms=N        delay before a command is answered (default 2)\n"
               "  --emu-sweep-ms=N          duration of one analyzer sweep (default 100)\n"
               "  --emu-baud=N              the interface's rate at start: 2400, 9600, 19200, 38400 or\n"
               "                            115200, or its index 1..5 (default 2400)\n"
               "  --emu-scene=live|steady   steady leaves out the drifting carrier and the burst, for\n"
               "                            comparison measurements and corrections (default live)\n"
               "  --emu-loss=DB             a lossy cable before the analyzer: the level falls linearly\n"
               "                            from 0 dB at the first sweep point to DB at the last\n"
               "                            (default 0)\n"
               "  --emu-fault=NAME[:ARG]    misbehave on purpose; repeatable. NAME[:ARG] is one of:\n") +
           emu::FaultsUsage();
}

}  // namespace tk
