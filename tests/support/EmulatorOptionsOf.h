#pragma once

#include <QStringList>
#include <QtGlobal>

#include "EmulatorOptions.h"

namespace tk::test {

// The emulator's options from its command-line form; a test with options the emulator refuses stops at once.
inline EmulatorOptions EmulatorOptionsOf(const QStringList& args) {
    QString error;
    const auto options = ParseEmulatorOptions(args, &error);
    if (!options) qFatal("bad emulator options in test: %s", qPrintable(error));
    return *options;
}

}  // namespace tk::test
