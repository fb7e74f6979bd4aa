// A three-step script started from the program's command line, run against tk820-emu on one pseudo-terminal,
// with a second pseudo-terminal as the serial control port. Each step sends its control bytes and waits its
// minutes; the first two name a measurement file, stored when the next step comes. The run checks that the
// control bytes arrive in order and that both measurement files load back with traces in them.
//
//   script_on_pty [--minutes N] [--keep]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "MeasurementFile.h"
#include "MeasurementModel.h"
#include "ParameterFile.h"
#include "ScriptFile.h"
#include "StartUp.h"

using namespace tk;

namespace {

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

ScriptStep ControlStep(int minutes, const QString& measurement, const QString& bytes) {
    ScriptStep step;
    step.delayMinutes = static_cast<std::int16_t>(minutes);
    step.measurementFile.set(measurement.isEmpty() ? QStringLiteral("-") : measurement);
    step.serialOutput.set(bytes);
    step.controlPort = 1;
    step.controlBaud = 9600;
    step.controlParity.set(QStringLiteral("N"));
    step.controlDataBits = 8;
    step.controlStopBits = 1;
    return step;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The measurement file loads and holds a trace read from the interface.
bool LoadsBack(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    MeasurementModel model;
    if (ReadMeasurement(f.readAll(), model) != LoadResult::Loaded) return false;
    return std::any_of(model.traceActual.begin(), model.traceActual.end(),
                       [](std::int16_t v) { return v != 0; });
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int minutes = 1;
    const qsizetype m = args.indexOf(QStringLiteral("--minutes"));
    if (m > 0 && m + 1 < args.size()) minutes = std::max(1, args[m + 1].toInt());
    QTemporaryDir dir;
    dir.setAutoRemove(!args.contains(QStringLiteral("--keep")));
    Say(QStringLiteral("folder: ") + dir.path());

    // A parameter file, so that the first start asks nothing, and the script.
    QFile par(dir.filePath(QString::fromLatin1(PARAMETER_FILE_NAME)));
    if (!par.open(QIODevice::WriteOnly) || !WriteParameterFile(par, ParameterFields{})) return 2;
    par.close();
    const QString m1 = dir.filePath(QStringLiteral("step0.mes"));
    const QString m2 = dir.filePath(QStringLiteral("step1.mes"));
    ScriptTable table;
    table[0] = ControlStep(minutes, m1, QStringLiteral("1,2,3"));
    table[1] = ControlStep(minutes, m2, QStringLiteral("4,5,6"));
    table[2] = ControlStep(minutes, QString(), QStringLiteral("&H07,8,9"));
    const QString script = dir.filePath(QStringLiteral("campaign.scp"));
    if (!WriteBytes(script, ScriptBytes(table))) return 2;

    QProcess emulator;
    emulator.start(QStringLiteral(TK_EMU), {});
    if (!emulator.waitForStarted() || !emulator.waitForReadyRead(10000)) return 2;
    const QString interface = QString::fromLocal8Bit(emulator.readLine()).trimmed();
    Say(QStringLiteral("interface: ") + interface);

    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) return 2;
    Say(QStringLiteral("control port: ") + QString::fromLocal8Bit(name));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(TK_APP), {QStringLiteral("--home"), dir.path(), QStringLiteral("--port"),
                                           QStringLiteral("COM2=") + interface, QStringLiteral("--port"),
                                           QStringLiteral("COM1=") + QString::fromLocal8Bit(name), script});
    if (!program.waitForStarted()) return 2;

    const QByteArray expected("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9);
    QByteArray received;
    QStringList events;
    bool m1Seen = false, m2Seen = false;
    const qint64 limit = (3LL * minutes * 60 + 60) * 1000;
    while (clock.elapsed() < limit && (received.size() < expected.size() || !m1Seen || !m2Seen)) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 200) > 0 && (p.revents & POLLIN)) {
            char buf[64];
            const ssize_t n = read(master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                received.append(buf[i]);
                events << QStringLiteral("%1 s: control byte %2")
                              .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                              .arg(static_cast<unsigned char>(buf[i]));
            }
        }
        for (auto [seen, path] : {std::pair{&m1Seen, m1}, std::pair{&m2Seen, m2}})
            if (!*seen && QFile::exists(path)) {
                *seen = true;
                events << QStringLiteral("%1 s: stored %2")
                              .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                              .arg(QDir(dir.path()).relativeFilePath(path));
            }
        if (program.state() != QProcess::Running) break;
    }
    QCoreApplication::processEvents();
    for (const QString& e : events) Say(e);
    program.kill();
    program.waitForFinished();
    emulator.terminate();
    emulator.waitForFinished();
    close(master);
    close(slave);

    const bool bytesOk = received == expected;
    const bool m1Ok = LoadsBack(m1), m2Ok = LoadsBack(m2);
    Say(QStringLiteral("control bytes in order: %1").arg(bytesOk ? "yes" : "NO"));
    Say(QStringLiteral("step0.mes loads back with traces: %1").arg(m1Ok ? "yes" : "NO"));
    Say(QStringLiteral("step1.mes loads back with traces: %1").arg(m2Ok ? "yes" : "NO"));
    return bytesOk && m1Ok && m2Ok ? 0 : 1;
}
