#pragma once

#include "dmx/DmxSender.h"
#include "dmx/NetworkOutput.h"
#include "files/MessageFile.h"
#include "model/ShowModel.h"
#include "platform/Clock.h"
#include "platform/DmxLibraries.h"
#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <array>
#include <cstdint>
#include <string>

namespace tinctara {

// The hardware side of the interface search: ports for the ISA cards, the USB
// library, the clock for the wait after a card start and the folder the
// firmware files lie in; for the network kinds their sender and the settings
// store that holds their settings.
struct InterfaceHardware {
    PortIo& ports;
    UsbDmxLibrary& usb;
    Clock& clock;
    std::string programFolder;
    NetworkOutput* network = nullptr;
    SettingsStore* settings = nullptr;
    // The thread that sends the frames: told of every open, and kept off the
    // devices while they are opened or closed.
    DmxSender* sender = nullptr;
};

// Which interface kinds were found, their status texts and the procedures that
// open and close one kind. The init command of the DMX menu, which searches
// every kind, is the main window's.
class InterfaceRegistry {
public:
    // Without hardware: every search finds nothing.
    InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                      const MessageTable& messages);
    InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                      const MessageTable& messages, InterfaceHardware hardware);

    // Searches for and initialises one interface kind.
    void OpenPort(InterfaceKind type);
    // Closes one kind and clears its present flag.
    void ClosePort(InterfaceKind type);
    // Stops output, closes the kind, forgets the card and sets `type` to 0.
    void ReportFailure(InterfaceKind& type);
    // Waits until the time of day moves on to its next second.
    void delay();

    // Status text of a kind; an out-of-range kind has none.
    const std::string& statusText(InterfaceKind type) const;
    bool isPresent(InterfaceKind type) const { return InterfacePresent[type] > 0; }
    // True when the USB interface that answered the open is a USBLNK2.
    bool usbIsLink2() const { return UsbOpenResult >= 10 && UsbOpenResult <= 13; }
    // True when the last type-1 card identified itself as a 7301A or 7301B-LC.
    bool cardIs7301A() const { return CardIdentByte == 0x80; }

    const MessageTable& messages() const { return messages_; }
    const std::string& programFolder() const { return hardware_.programFolder; }

    // The search for one kind, reached through the kind's OutputPort.
    void refuseNoInterface();
    void openIsaCard7301AB(InterfaceKind type);
    void openIsaCard7301C(InterfaceKind type);
    void openUsb(InterfaceKind type);
    void openNetwork(InterfaceKind type);

    PerKind<std::string> InterfaceStatusText;
    PerKind<std::int16_t> InterfacePresent;
    InterfaceKind ActiveInterface = InterfaceKind::NoInterface;
    std::int16_t CardIdentByte = 0;
    std::int16_t UsbOpenResult = 0;

private:
    void setStatusLine(const std::string& text);
    // Firmware upload, run strobe, wait and identity read; false when the card
    // went away during the upload.
    bool startCard(const char* firmware, InterfaceKind cardType);
    void cardFound(InterfaceKind type, const std::string& text);
    std::int32_t usbCommand(std::int32_t command);
    std::unique_lock<std::mutex> lockDevices();
    void opened();

    ShowModel& model_;
    ShowView& view_;
    UserInteraction& user_;
    OutputTimer& timer_;
    const MessageTable& messages_;
    InterfaceHardware hardware_;
};

}  // namespace tinctara
