#pragma once

#include "CliPlatform.h"
#include "SharedPortBus.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/LoadedLibraries.h"
#include "engine/OutputEngine.h"
#include "platform/SystemClock.h"

#include <memory>

namespace tinctara::cli {

class PortBusFolder;
class Session;

// The output side of render and merger, assembled as the program assembles
// it: the process's port bus, the libraries loaded by name, the network
// output, the sender thread, the interface registry and the output engine.
// Its interface is what the two commands need, so that the core's own
// assembly can take its place.
class CliOutput {
public:
    // render: the devices of the program folder `home` (the port bus as its
    // hardware.ini says), the network settings kept in `networkSettings`;
    // with `realtime` the sender's grid paces the ticks.
    CliOutput(Session& session, const std::string& home, SettingsStore& networkSettings, bool realtime);
    // merger: an emulated 7301B at 0x120 alone on the port bus, no sender.
    CliOutput(Session& session, const std::string& home);
    ~CliOutput();

    // Opens the interface as start-up does with its type stored; false, and
    // its status text on `err`, when the search for it found nothing.
    bool open(InterfaceKind interfaceType, std::ostream& err);
    InterfaceRegistry& interfaces() { return interfaces_; }
    PortIo& ports() { return ports_; }

    // render's ticks. With realtime the first grid point sends nothing
    // (nothing was built yet) and asks for tick 1, and each tick's frame
    // leaves at the next grid point; otherwise it is sent at once.
    void startGrid();
    void tick();
    void stopSending();
    // What the device holds now: the card memory of an ISA card, or the last
    // frame the USB interface or the library card was sent.
    std::array<int, DmxChannels> deviceLevels(InterfaceKind interfaceType);

private:
    struct Sending;
    CliOutput(Session& session, const std::string& home, SettingsStore* networkSettings, bool realtime);

    Session& session_;
    bool realtime_;
    std::unique_ptr<PortBusFolder> busFolder_;
    SharedPortBus ports_;
    LoadedUsbDmxLibrary usb_;
    SystemClock clock_;
    CliSystemInfo system_;
    std::unique_ptr<Sending> sending_;  // render's alone
    InterfaceRegistry interfaces_;
    std::unique_ptr<OutputEngine> engine_;
};

}  // namespace tinctara::cli
