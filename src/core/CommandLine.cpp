#include "CommandLine.h"

#include <QRegularExpression>

namespace tk {

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine result;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(QStringLiteral("--"))) {
            rest.append(arg);
            continue;
        }
        QString name = arg;
        std::optional<QString> value;
        const qsizetype eq = arg.indexOf(u'=');
        if (eq > 0 &&
            (arg.left(eq) == QStringLiteral("--home") || arg.left(eq) == QStringLiteral("--port") ||
             arg.left(eq) == QStringLiteral("--report") || arg.left(eq) == QStringLiteral("--remote") ||
             arg.left(eq).startsWith(QStringLiteral("--report-")) ||
             arg.left(eq) == QStringLiteral("--remote-allow") ||
             arg.left(eq) == QStringLiteral("--remote-dir") || arg.left(eq) == QStringLiteral("--record") ||
             arg.left(eq) == QStringLiteral("--record-traces"))) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
        }
        auto nextValue = [&]() -> std::optional<QString> {
            if (value) return value;
            if (i + 1 < arguments.size()) return arguments[++i];
            result.errors.append(QStringLiteral("%1 needs a value").arg(name));
            return std::nullopt;
        };
        if (name == QStringLiteral("--home")) {
            if (auto v = nextValue()) result.home = *v;
        } else if (name == QStringLiteral("--port")) {
            if (auto v = nextValue()) {
                static const QRegularExpression re(QStringLiteral("^COM([1-4])=(.+)$"),
                                                   QRegularExpression::CaseInsensitiveOption);
                const auto m = re.match(*v);
                if (m.hasMatch())
                    result.portOverrides.insert(m.captured(1).toInt(), m.captured(2));
                else
                    result.errors.append(QStringLiteral("--port expects COMn=DEVICE with n from 1 to 4"));
            }
        } else if (name == QStringLiteral("--report")) {
            if (auto v = nextValue()) result.reportFile = *v;
        } else if (name == QStringLiteral("--record")) {
            if (auto v = nextValue()) result.recordFile = *v;
        } else if (name == QStringLiteral("--record-traces")) {
            if (auto v = nextValue()) {
                static const QStringList traces{QStringLiteral("actual"), QStringLiteral("peak"),
                                                QStringLiteral("average")};
                std::array<bool, 3> chosen{};
                bool known = true;
                for (const QString& t : v->split(u',', Qt::SkipEmptyParts)) {
                    const qsizetype at = traces.indexOf(t.trimmed().toLower());
                    known = known && at >= 0;
                    if (at >= 0) chosen[std::size_t(at)] = true;
                }
                if (known && chosen != std::array<bool, 3>{})
                    result.recordTraces = chosen;
                else
                    result.errors.append(
                        QStringLiteral("--record-traces expects actual, peak or average, comma-separated"));
            }
        } else if (name == QStringLiteral("--report-pdf")) {
            if (auto v = nextValue()) result.reportPdf = *v;
        } else if (name == QStringLiteral("--report-title")) {
            if (auto v = nextValue()) result.reportTitle = *v;
        } else if (name == QStringLiteral("--report-eut")) {
            if (auto v = nextValue()) result.reportEut = *v;
        } else if (name == QStringLiteral("--report-operator")) {
            if (auto v = nextValue()) result.reportOperator = *v;
        } else if (name == QStringLiteral("--remote")) {
            result.remote = true;
            // The value may be left out: what follows is taken only when it reads as [ADDRESS:]PORT.
            static const QRegularExpression endpoint(QStringLiteral("^(?:(.+):)?([0-9]+)$"));
            if (!value && i + 1 < arguments.size() && endpoint.match(arguments[i + 1]).hasMatch())
                value = arguments[++i];
            if (value) {
                const auto m = endpoint.match(*value);
                bool ok = false;
                const int port = m.captured(2).toInt(&ok);
                if (!m.hasMatch() || !ok || port > 65535) {
                    result.errors.append(QStringLiteral("--remote expects [ADDRESS:]PORT with a port up to 65535"));
                } else {
                    result.remotePort = port;
                    if (!m.captured(1).isEmpty()) result.remoteAddress = m.captured(1);
                }
            }
        } else if (name == QStringLiteral("--remote-allow")) {
            if (auto v = nextValue()) result.remoteAllow += v->split(u',', Qt::SkipEmptyParts);
        } else if (name == QStringLiteral("--remote-dir")) {
            if (auto v = nextValue()) result.remoteDir = *v;
        } else if (name == QStringLiteral("--headless")) {
            result.headless = true;
        } else if (name == QStringLiteral("--emulator")) {
            result.emulator = true;
        } else if (name.startsWith(QStringLiteral("--emu-"))) {
            result.emulatorOptions.append(arg);
        } else if (name == QStringLiteral("--help")) {
            result.help = true;
        } else if (name == QStringLiteral("--version")) {
            result.version = true;
        } else if (name == QStringLiteral("--help-path")) {
            result.helpPath = true;
        } else {
            result.errors.append(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    result.scriptName = rest.join(u' ');
    // A run without windows has nothing to do but its script, and nobody to show a report to otherwise.
    // A server without windows serves instead.
    if (result.headless && result.scriptName.isEmpty() && !result.remote)
        result.errors.append(QStringLiteral("--headless needs a script file or --remote"));
    if ((!result.remoteAllow.isEmpty() || !result.remoteDir.isEmpty()) && !result.remote)
        result.errors.append(QStringLiteral("--remote-allow and --remote-dir are only for --remote"));
    if ((!result.reportFile.isEmpty() || !result.reportPdf.isEmpty()) && !result.headless)
        result.errors.append(QStringLiteral("--report and --report-pdf are only for --headless runs"));
    return result;
}

QString CommandLineUsage() {
    return QStringLiteral(
        "Usage: tk820-2 [options] [script file]\n"
        "  --home DIR           keep the parameter file and the port map in DIR\n"
        "  --port COMn=DEVICE   use DEVICE for COMn (n = 1..4), e.g. --port COM2=/dev/ttyUSB0\n"
        "  --emulator           attach the built-in interface emulator as COM2\n"
        "  --emu-...            options of the built-in emulator (see tk820-emu --help)\n"
        "  --headless           run the script without windows and end with it; messages go to\n"
        "                       standard error and are confirmed at once. With --emulator the run\n"
        "                       goes in simulated time. Exit status: 0 every stored measurement\n"
        "                       stayed under its switched-on boundaries, 1 a trace reached one,\n"
        "                       2 the run stopped on an error or never started\n"
        "  --report FILE.json   with --headless: the files each step stored and, per trace with a\n"
        "                       switched-on boundary, the smallest margin to it and its frequency\n"
        "  --report-pdf FILE.pdf  with --headless: a test report of the stored measurements (verdict,\n"
        "                       summary, a page per measurement, file hashes); its title page takes\n"
        "                       --report-title TEXT, --report-eut TEXT and --report-operator TEXT\n"
        "  --record FILE.tkrec  record every read of the shown traces into FILE.tkrec (SQLite; a\n"
        "                       recording that exists is appended to)\n"
        "  --record-traces LIST record these traces (actual,peak,average) rather than the shown ones\n"
        "  --remote [ADDRESS:]PORT  serve SCPI commands on a TCP port (default 127.0.0.1:5025);\n"
        "                       with --headless and no script: until SYST:EXIT or SIGTERM\n"
        "  --remote-allow CIDR[,CIDR...]  who may connect; needed to listen on an address other\n"
        "                       than loopback\n"
        "  --remote-dir DIR     take the file names of MMEM commands inside DIR (default: the\n"
        "                       working directory)\n"
        "  --help               show this text\n"
        "  --version            show the program version\n"
        "  --help-path          show where the help files are found\n"
        "A script file named on the command line is loaded and started at program start.\n");
}

}  // namespace tk
