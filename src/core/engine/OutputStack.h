#pragma once

#include "dmx/DmxSender.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/LoadedLibraries.h"
#include "dmx/NetworkOutput.h"
#include "engine/OutputEngine.h"
#include "net/UdpSocket.h"
#include "platform/SystemGridClock.h"

#include <string>

namespace tinctara {

// What the output side is built over: the show and how it reaches the user,
// the process's port bus, the clocks and the program folder whose libraries
// are loaded by name.
struct OutputStackSetup {
    ShowModel& model;
    ShowView& view;
    UserInteraction& user;
    const MessageTable& messages;
    PortIo& ports;
    Clock& clock;
    std::string programFolder;
    // Where the network kinds keep their settings; none: they cannot open.
    SettingsStore* networkSettings = nullptr;
    // The clock of the sender's grid; none: no thread, each frame leaves at
    // the end of its tick (tinctara-cli without --realtime).
    GridClock* gridClock = nullptr;
    // How long before a grid point the sender asks for the tick whose frame
    // leaves at it; 0: right after the point before.
    std::int64_t tickLeadNanoseconds = DmxSender::DefaultLeadNanoseconds;
};

// The whole output side, assembled once in the order it must live in: the
// devices (libraries, socket, network output), the sender whose thread ends
// before they go, the engine, and the registry that opens and closes the
// interfaces. The program and every command of tinctara-cli use it.
class OutputStack {
public:
    explicit OutputStack(OutputStackSetup setup);
    ~OutputStack();
    OutputStack(const OutputStack&) = delete;
    OutputStack& operator=(const OutputStack&) = delete;

    LoadedUsbDmxLibrary& usb() { return usb_; }
    LoadedDmxCardLibrary& cardLibrary() { return cardLibrary_; }
    NetworkOutput& network() { return network_; }
    // The socket the network output sends from (the input leaves its datagrams alone).
    const UdpSocket& networkSocket() const { return socket_; }
    // The output timer (AutoXmit) and the one place frames leave.
    DmxSender& sender() { return sender_; }
    // The sender's requests for a tick: an eventfd to watch or wait on.
    EventFdTickRequests& tickRequests() { return tickRequests_; }
    OutputEngine& engine() { return engine_; }
    InterfaceRegistry& interfaces() { return interfaces_; }

private:
    LoadedUsbDmxLibrary usb_;
    LoadedDmxCardLibrary cardLibrary_;
    UdpSocket socket_;
    NetworkOutput network_{socket_};  // an open sACN stream is ended when it goes
    EventFdTickRequests tickRequests_;
    DmxSender sender_;
    OutputEngine engine_;
    InterfaceRegistry interfaces_;
};

}  // namespace tinctara
