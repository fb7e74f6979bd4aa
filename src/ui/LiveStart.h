#pragma once

#include <QString>

#include "CommandLine.h"
#include "UserDialogs.h"

namespace tk {

class MainWindow;

// The first seconds of a run on the built-in emulator: after the start-up the program goes online as
// "M&odule online" does and switches "&Fast-Mode" on, so that a live spectrum is on screen at once. A first
// start without a parameter file then says in the information window where the file comes from, instead
// of a box that waits for a click. Runs with real ports, and runs without windows, start as always.
//
// The window's messages go through this class, which hands everything on to the real dialogs except the
// first start's "Cannot open file" while it is kept back.
class LiveStart final : public UserDialogs {
public:
    LiveStart(UserDialogs& dialogs, const CommandLine& commandLine);

    // Whether this run starts live: on the emulator, with windows.
    bool live() const { return m_live; }

    // The window's start-up; when live, then online at the interface's rate (1..5 = 2400..115200 baud) and
    // fast mode, unless a start script has taken the line.
    void Load(MainWindow& window, const QString& commandLineScript, int interfaceBaudIndex);

    void message(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None) override;
    void notice(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None) override {
        m_dialogs.notice(text, title, icon);
    }
    std::optional<QString> openFileName(const FileDialogRequest& request) override {
        return m_dialogs.openFileName(request);
    }
    std::optional<QString> saveFileName(const FileDialogRequest& request) override {
        return m_dialogs.saveFileName(request);
    }
    std::optional<QString> folderName(const QString& title, const QString& initialFolder) override {
        return m_dialogs.folderName(title, initialFolder);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& proposal) override {
        return m_dialogs.inputBox(prompt, title, proposal);
    }

private:
    UserDialogs& m_dialogs;
    bool m_live = false;
    bool m_holdMissingFile = false;
    bool m_missingFileHeld = false;
};

// The information window's line on a first start of the demo.
inline constexpr char FIRST_START_NOTICE[] =
    "First start: there is no parameter file TK820-2.par yet; \"Data > Exit\" writes it.";

}  // namespace tk
