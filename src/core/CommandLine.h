#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace tk {

struct CommandLine {
    std::optional<QString> home;       // --home DIR
    QMap<int, QString> portOverrides;  // --port COMn=DEVICE
    bool emulator = false;             // --emulator
    QStringList emulatorOptions;       // --emu-... options, passed to the built-in interface emulator
    bool headless = false;             // --headless: run the script without windows on screen
    QString reportFile;                // --report FILE.json, with --headless
    bool help = false;
    bool version = false;
    bool helpPath = false;  // --help-path: where the help files are found
    QString scriptName;     // what remains of the command line, taken whole
    QStringList errors;
};

// Arguments that start with "--" are the program's own options; the others, joined by blanks, are the
// name of a script file to start.
CommandLine ParseCommandLine(const QStringList& arguments);

QString CommandLineUsage();

}  // namespace tk
