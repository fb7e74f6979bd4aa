#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace tk {

struct CommandLine {
    std::optional<QString> home;       // --home DIR
    QMap<int, QString> portOverrides;  // --port COMn=DEVICE
    bool emulator = false;             // --emulator
    QStringList emulatorOptions;       // --emu-... options, passed to the built-in interface emulator
    bool headless = false;             // --headless: run the script without windows on screen
    QString reportFile;                // --report FILE.json, with --headless
    QString reportPdf;                 // --report-pdf FILE.pdf, with --headless
    QString reportTitle, reportEut, reportOperator;  // --report-title, --report-eut, --report-operator
    QString recordFile;                // --record FILE.tkrec: every read into a recording
    // --record-traces actual,peak,average: the traces recorded (actual, peak, average); else those shown.
    std::optional<std::array<bool, 3>> recordTraces;
    bool help = false;
    bool version = false;
    bool helpPath = false;  // --help-path: where the help files are found
    // --remote [ADDRESS:]PORT: the SCPI server, on loopback port 5025 unless told otherwise.
    bool remote = false;
    QString remoteAddress = QStringLiteral("127.0.0.1");
    int remotePort = 5025;
    QStringList remoteAllow;  // --remote-allow CIDR[,CIDR...]
    QString remoteDir;        // --remote-dir DIR, where MMEM file names are taken; empty: the working directory
    QString scriptName;       // what remains of the command line, taken whole
    QStringList errors;
};

// Arguments that start with "--" are the program's own options; the others, joined by blanks, are the
// name of a script file to start.
CommandLine ParseCommandLine(const QStringList& arguments);

QString CommandLineUsage();

}  // namespace tk
