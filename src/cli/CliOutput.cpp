#include "CliOutput.h"

#include "CliOptions.h"
#include "CliSession.h"
#include "tinctara_portio.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/IsaCard.h"
#include "dmx/NetworkOutput.h"
#include "dmx/OutputPort.h"

#include <algorithm>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

namespace tinctara::cli {

// The folder the port bus is set up from: its hardware.ini, and the battery
// file of the emulated memory card, which the bus creates there. A program
// folder the command must not write (an installed one below /usr, or one it
// cannot write) lends only its hardware.ini to a private folder that goes
// when the command ends; so does a folder without hardware.ini, which is no
// program folder yet (the command line never seeds one).
class PortBusFolder {
public:
    explicit PortBusFolder(const std::string& home)
    {
        std::error_code missing;
        if (home.rfind("/usr/", 0) != 0 && ::access(home.c_str(), W_OK) == 0 &&
            std::filesystem::is_regular_file(std::filesystem::path(home) / "hardware.ini", missing)) {
            path_ = home;
            return;
        }
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "tinctara-cli-XXXXXX").string();
        if (error || !::mkdtemp(pattern.data()))
            return;  // no folder: hardware.ini's defaults, no battery file
        path_ = private_ = pattern;
        std::filesystem::copy_file(std::filesystem::path(home) / "hardware.ini",
                                   std::filesystem::path(path_) / "hardware.ini", error);
    }
    ~PortBusFolder()
    {
        std::error_code ignored;
        if (!private_.empty())
            std::filesystem::remove_all(private_, ignored);
    }
    PortBusFolder(const PortBusFolder&) = delete;
    PortBusFolder& operator=(const PortBusFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_ = "/nonexistent";
    std::string private_;
};

namespace {

// The process's port bus is set up before anything opens it: as the program
// folder's hardware.ini says, or with the one card the play unit is sent from.
std::unique_ptr<PortBusFolder> setUpPortBus(const std::string& home, bool playUnitCardOnly)
{
    if (playUnitCardOnly) {
        PortIoConfigureVirtual("[isa]\ncard = 7301B 0x120\n");
        return nullptr;
    }
    auto folder = std::make_unique<PortBusFolder>(home);
    PortIoConfigure(folder->path().c_str(), nullptr);
    return folder;
}

}  // namespace

CliOutput::CliOutput(Session& session, const std::string& home, SettingsStore& networkSettings, bool realtime,
                     std::int64_t tickLeadNanoseconds)
    : CliOutput(session, home, &networkSettings, realtime, tickLeadNanoseconds)
{
}

CliOutput::CliOutput(Session& session, const std::string& home) : CliOutput(session, home, nullptr, false, 0) {}

// Without network settings (merger) the port bus holds only the play unit's card.
CliOutput::CliOutput(Session& session, const std::string& home, SettingsStore* networkSettings, bool realtime,
                     std::int64_t tickLeadNanoseconds)
    : session_(session), realtime_(realtime), busFolder_(setUpPortBus(home, networkSettings == nullptr)),
      // With --realtime the sender's grid paces the ticks as in the program;
      // otherwise each frame is sent as soon as its tick is done.
      stack_(OutputStackSetup{session.model, session.view, session.user, session.messageTable, ports_, clock_, home,
                              networkSettings, realtime ? &gridClock_ : nullptr, tickLeadNanoseconds})
{
}

CliOutput::~CliOutput() = default;

bool CliOutput::open(InterfaceKind interfaceType, std::ostream& err)
{
    session_.model.InterfaceType = interfaceType;
    if (interfaceType == Interface::NoInterface)
        return true;
    stack_.interfaces().OpenPort(interfaceType);
    if (portFor(interfaceType).searched() && !stack_.interfaces().isPresent(interfaceType)) {
        err << ErrorPrefix << stack_.interfaces().statusText(interfaceType) << '\n';
        return false;
    }
    return true;
}

void CliOutput::startGrid()
{
    stack_.sender().setEnabled(true);
    waitForTick();
}

void CliOutput::tick()
{
    if (realtime_) {
        stack_.engine().RequestedTick();
        waitForTick();
    } else {
        stack_.engine().AutoXmit();
        stack_.sender().sendNow();
    }
}

void CliOutput::tickChased(const std::function<void()>& serve)
{
    if (stack_.engine().takeTickRequest())
        serve();
    waitForTick();
}

bool CliOutput::seek(SequenceTimeline& timeline, std::int64_t tick)
{
    if (!stack_.engine().seekTo(timeline, tick))
        return false;
    stack_.sender().sendNow();
    return true;
}

void CliOutput::watch(int fd, std::function<void()> ready) { watched_.emplace_back(fd, std::move(ready)); }

void CliOutput::waitForTick()
{
    if (watched_.empty()) {
        stack_.tickRequests().wait();
        return;
    }
    std::vector<pollfd> waiting{{stack_.tickRequests().fd(), POLLIN, 0}};
    for (const auto& [fd, ready] : watched_)
        waiting.push_back({fd, POLLIN, 0});
    while (!stack_.tickRequests().take()) {
        if (::poll(waiting.data(), waiting.size(), -1) <= 0)
            continue;
        for (std::size_t index = 1; index < waiting.size(); ++index)
            if (waiting[index].revents & POLLIN)
                watched_[index - 1].second();
    }
}

void CliOutput::stopSending() { stack_.sender().setEnabled(false); }

void CliOutput::close(InterfaceKind interfaceType)
{
    stopSending();
    if (interfaceType != Interface::NoInterface)
        stack_.interfaces().ClosePort(interfaceType);
}

std::array<int, DmxChannels> CliOutput::deviceLevels(InterfaceKind interfaceType)
{
    const auto lock = stack_.sender().lockDevices();
    std::array<int, DmxChannels> levels{};
    switch (portFor(interfaceType).shape()) {
    case FrameShape::CardMemory: {
        const auto base = static_cast<std::uint16_t>(session_.model.CardBaseAddress);
        std::array<unsigned char, DmxChannels> memory{};
        if (VirtualIsaCardMemory(base, IsaCardMemory::FirstChannel, memory.data(), DmxChannels) == DmxChannels)
            std::copy(memory.begin(), memory.end(), levels.begin());
        else  // real ports: read back as the monitor does
            for (int channel = 1; channel <= DmxChannels; ++channel)
                levels[channel - 1] = ReadCardByte(ports_, base, cardAddressOfChannel(channel));
        break;
    }
    case FrameShape::Bytes: {
        using Frame = std::int32_t (*)(std::uint8_t*, std::int32_t);
        std::array<std::uint8_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(stack_.usb().library().symbol("VirtualUsbFrame")))
            read(frame.data(), DmxChannels);
        std::copy(frame.begin(), frame.end(), levels.begin());
        break;
    }
    case FrameShape::Wide: {
        using Frame = std::int32_t (*)(std::int32_t, std::uint32_t*, std::int32_t, std::int32_t*);
        std::array<std::uint32_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(stack_.cardLibrary().library().symbol("VirtualCardLibraryFrame")))
            read(1, frame.data(), DmxChannels, nullptr);
        std::transform(frame.begin(), frame.end(), levels.begin(), [](std::uint32_t v) { return static_cast<int>(v); });
        break;
    }
    case FrameShape::None:
        break;
    }
    return levels;
}

namespace {

const std::pair<const char*, InterfaceKind> InterfaceNames[] = {
    {"none", Interface::NoInterface},       {"isa", Interface::IsaCard7301AB}, {"usb", Interface::UsbInterface},
    {"library", Interface::PcmciaCard8301}, {"sacn", Interface::SacnNetwork},  {"artnet", Interface::ArtNetNetwork}};

InterfaceKind interfaceOf(const Options& parsed)
{
    const std::string* name = parsed.find("--interface");
    if (!name)
        return Interface::NoInterface;
    return namedIn("--interface", *name, InterfaceNames);
}

}  // namespace

std::vector<std::string> withInterfaceOptions(std::vector<std::string> valued)
{
    valued.insert(valued.end(), {"--interface", "--destination", "--universe"});
    return valued;
}

bool isNetwork(InterfaceKind interfaceType)
{
    return interfaceType == Interface::SacnNetwork || interfaceType == Interface::ArtNetNetwork;
}

InterfaceKind readInterfaceOptions(const Options& parsed, SettingsStore& networkSettings)
{
    const InterfaceKind interfaceType = interfaceOf(parsed);
    const std::string* destination = parsed.find("--destination");
    const std::string* universe = parsed.find("--universe");
    if (!destination && !universe)
        return interfaceType;
    if (!isNetwork(interfaceType))
        throw UsageError{"--destination and --universe go with --interface sacn or artnet"};
    NetworkDmxSettings values = readNetworkSettings(networkSettings, interfaceType);
    if (destination)
        values.destination = *destination;
    if (universe) {
        const auto value = wholeNumber(*universe);
        values.universe = value && *value >= -1 && *value <= 0xFFFF ? static_cast<int>(*value) : -1;
    }
    if (const std::string problem = checkNetworkSettings(interfaceType, values); !problem.empty())
        throw UsageError{problem};
    writeNetworkSettings(networkSettings, interfaceType, values);
    return interfaceType;
}

bool openInterface(InterfaceKind interfaceType, Session& session, CliOutput& output, std::ostream& err)
{
    if (!output.open(interfaceType, err))
        return false;
    if (interfaceType != Interface::NoInterface) {
        session.view.setTitle(session.model.OsName + ": " + output.interfaces().statusText(interfaceType));
        session.timer.setEnabled(true);
    }
    return true;
}

}  // namespace tinctara::cli
