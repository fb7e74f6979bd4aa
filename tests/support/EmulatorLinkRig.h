#pragma once

#include <QStringList>

#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "LinkRig.h"

namespace tk::test {

// The link layer over the in-process emulated interface; args are the emulator's options.
struct EmulatorLinkRig : BasicLinkRig<EmulatorPort> {
    explicit EmulatorLinkRig(const QStringList& args = {}) : BasicLinkRig(EmulatorOptionsOf(args)) {}
};

}  // namespace tk::test
