#pragma once

#include <QString>
#include <optional>

#include "AnalyzerLink.h"
#include "PortMap.h"

namespace tk {

// What the search shows in the serial setup window while it runs.
class AutoConfigureView {
public:
    virtual ~AutoConfigureView() = default;
    // The option com(portNumber) becomes the selected one.
    virtual void SelectPort(int portNumber) = 0;
    // The option baud(baudIndex) becomes the selected one.
    virtual void SelectBaud(int baudIndex) = 0;
    virtual void DeselectPort(int portNumber) = 0;
    virtual void DeselectBaud(int baudIndex) = 0;
    // The port and rate now being asked; shown while the search blocks everything else.
    virtual void ShowProgress(int portNumber, int baudRate) = 0;
    // Called once, before the closing message, so the window can drop its busy pointer.
    virtual void SearchEnded() = 0;
    // The user closed the search's window: the search ends before its next attempt, without a message.
    virtual bool SearchCancelled() const { return false; }
};

// Where an answering interface was found.
struct AutoConfigureResult {
    int portNumber = 0;
    int baudIndex = 0;
    bool operator==(const AutoConfigureResult&) const = default;
};

// The search of COM1..COM4 at each of the five rates for an interface that answers "i" with "I". It leaves
// portNumber, baudIndex and the interface's state alone: the window shows what was found and the user
// confirms it. The port is closed afterwards, set to the rate last tried.
class AutoConfigure {
public:
    AutoConfigure(AnalyzerLink& link, const PortMap& portMap, AutoConfigureView& view);

    std::optional<AutoConfigureResult> Run();

    // "2400,n,8,1" .. "115200,n,8,1" for the rates 1..5 of the search.
    static QString SearchLineSettings(int baudIndex);
    // "Analyzer connected Com:  2 Baud: 19200".
    static QString FoundMessage(int portNumber, int baudRate);

private:
    bool Cancelled();
    // Sends "i" up to four times under the retransmission rule of the command exchange; the byte that
    // came back, or nothing when the interface stayed silent.
    std::optional<char> AskForInterface();

    AnalyzerLink& m_link;
    const PortMap& m_portMap;
    AutoConfigureView& m_view;
};

}  // namespace tk
