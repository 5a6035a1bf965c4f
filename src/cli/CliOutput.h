#pragma once

#include "CliPlatform.h"
#include "SharedPortBus.h"
#include "engine/OutputStack.h"
#include "platform/SystemClock.h"
#include "platform/SystemGridClock.h"

#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace tinctara::cli {

class PortBusFolder;
class Session;
struct Options;

// The output side of render, play and merger: the process's port bus, set up for
// the command, under the output stack the program uses too.
class CliOutput {
public:
    // render and play: the devices of the program folder `home` (the port bus as its
    // hardware.ini says), the network settings kept in `networkSettings`;
    // with `realtime` the sender's grid paces the ticks, asking for each
    // `tickLeadNanoseconds` before the grid point its frame leaves at.
    CliOutput(Session& session, const std::string& home, SettingsStore& networkSettings, bool realtime,
              std::int64_t tickLeadNanoseconds = DmxSender::DefaultLeadNanoseconds);
    // merger: an emulated 7301B at 0x120 alone on the port bus, no sender.
    CliOutput(Session& session, const std::string& home);
    ~CliOutput();

    // Opens the interface as start-up does with its type stored; false, and
    // its status text on `err`, when the search for it found nothing.
    bool open(InterfaceKind interfaceType, std::ostream& err);
    InterfaceRegistry& interfaces() { return stack_.interfaces(); }
    OutputEngine& engine() { return stack_.engine(); }
    // The output tick's timer, as the sequencer switches it: the sender.
    OutputTimer& timer() { return stack_.sender(); }
    PortIo& ports() { return ports_; }
    const UdpSocket& networkSocket() const { return stack_.networkSocket(); }

    // The ticks of render and play. With realtime the first grid point sends nothing
    // (nothing was built yet); tick 1 is asked for the lead before the second,
    // and each tick's frame leaves at the grid point that follows its request
    // by the lead (with a lead of 0: a whole period); otherwise it is sent at once.
    void startGrid();
    void tick();
    // play's tick under timecode (realtime): the grid's request, when one
    // waits, served by `serve` (what the chaser says now) instead of by the
    // sequence's own tick.
    void tickChased(const std::function<void()>& serve);
    // Tick `tick` after PLAY of a sequence played from step 1, computed
    // without the ticks before it and sent at once; false (nothing done) when
    // the engine refuses the seek.
    bool seek(SequenceTimeline& timeline, std::int64_t tick);
    // A descriptor served while a realtime tick waits for the grid: `ready`
    // runs on this thread whenever it can be read (OSC, MIDI).
    void watch(int fd, std::function<void()> ready);
    void stopSending();
    // Stops sending and closes the interface as the program does when it
    // ends: a network stream with its stream-terminated packets.
    void close(InterfaceKind interfaceType);
    // What the device holds now: the card memory of an ISA card, or the last
    // frame the USB interface or the library card was sent.
    std::array<int, DmxChannels> deviceLevels(InterfaceKind interfaceType);

private:
    CliOutput(Session& session, const std::string& home, SettingsStore* networkSettings, bool realtime,
              std::int64_t tickLeadNanoseconds);

    Session& session_;
    bool realtime_;
    std::unique_ptr<PortBusFolder> busFolder_;
    SharedPortBus ports_;
    SystemClock clock_;
    SystemGridClock gridClock_;
    OutputStack stack_;
    std::vector<std::pair<int, std::function<void()>>> watched_;

    void waitForTick();
};

// --interface, --destination and --universe, as render and play take them.
std::vector<std::string> withInterfaceOptions(std::vector<std::string> valued);
bool isNetwork(InterfaceKind interfaceType);
// The interface named (none when not given); a network's --destination and
// --universe, checked as the settings dialog checks them, are stored in
// `networkSettings`, where the network output reads them.
InterfaceKind readInterfaceOptions(const Options& parsed, SettingsStore& networkSettings);
// Opens it as start-up does and switches the output tick on; false, said on
// `err`, when the search found nothing.
bool openInterface(InterfaceKind interfaceType, Session& session, CliOutput& output, std::ostream& err);

}  // namespace tinctara::cli
