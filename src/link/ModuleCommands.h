#pragma once

#include "AnalyzerLink.h"

namespace tk {

// The "&Measurement" menu entries that switch the port and the interface's module states.
class ModuleCommands {
public:
    explicit ModuleCommands(AnalyzerLink& link) : m_link(link) {}

    // "M&odule online": opens the port (and wakes the interface) when unchecked, closes it when checked.
    void ToggleOnline(bool currentlyChecked);
    // "Mod&ule sleeping": only with the port open.
    void ToggleSleeping();
    // "Module &calculating": only with the port open.
    void ToggleCalculating();

private:
    AnalyzerLink& m_link;
};

// "&Erase display": clears the measured traces and, with the port open, restarts the interface's sweep by
// sending the resolution command again.
void EraseDisplay(AnalyzerLink& link);

// "&Exit": parameter file, then the interface back to 500 points, 2400 baud and sleeping. Returns whether the
// program may end (false when the parameter file could not be opened).
bool RunShutdown(AnalyzerLink& link, const QString& parameterPath);

}  // namespace tk
