#include "CliOutput.h"

#include "CliOptions.h"
#include "CliSession.h"
#include "tinctara_portio.h"
#include "dmx/IsaCard.h"
#include "net/UdpSocket.h"
#include "platform/SystemGridClock.h"

#include <algorithm>
#include <filesystem>
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

struct CliOutput::Sending {
    Sending(const std::string& home, UsbDmxLibrary& usb, bool realtime)
        : cardLibrary(libraryFolders(home)), networkOutput(socket),
          sender(SenderDevices{usb, cardLibrary, &networkOutput}, realtime ? &gridClock : nullptr, &tickRequests)
    {
    }

    LoadedDmxCardLibrary cardLibrary;
    UdpSocket socket;
    NetworkOutput networkOutput;
    // The program's sender: with --realtime its grid paces the ticks as in the
    // program; otherwise each frame is sent as soon as its tick is done.
    SystemGridClock gridClock;
    EventFdTickRequests tickRequests;
    DmxSender sender;
};

CliOutput::CliOutput(Session& session, const std::string& home, SettingsStore& networkSettings, bool realtime)
    : CliOutput(session, home, &networkSettings, realtime)
{
}

CliOutput::CliOutput(Session& session, const std::string& home) : CliOutput(session, home, nullptr, false) {}

// Without network settings (merger) only what the play unit needs.
CliOutput::CliOutput(Session& session, const std::string& home, SettingsStore* networkSettings, bool realtime)
    : session_(session), realtime_(realtime), busFolder_(setUpPortBus(home, networkSettings == nullptr)),
      usb_(libraryFolders(home)), sending_(networkSettings ? std::make_unique<Sending>(home, usb_, realtime) : nullptr),
      interfaces_(session.model, session.view, session.user, session.timer, session.messageTable,
                  sending_ ? InterfaceHardware{ports_, usb_, clock_, system_, home, &sending_->networkOutput,
                                               networkSettings, &sending_->sender}
                           : InterfaceHardware{ports_, usb_, clock_, system_, home})
{
    if (sending_)
        engine_ = std::make_unique<OutputEngine>(
            session.model, session.view, session.timer,
            OutputDevices{ports_, usb_, sending_->cardLibrary, &sending_->networkOutput, &sending_->sender});
}

CliOutput::~CliOutput() = default;

bool CliOutput::open(InterfaceKind interfaceType, std::ostream& err)
{
    session_.model.InterfaceType = interfaceType;
    if (interfaceType == Interface::NoInterface)
        return true;
    interfaces_.OpenPort(interfaceType);
    const bool searched = interfaceType == Interface::IsaCard7301AB || interfaceType == Interface::IsaCard7301C ||
                          interfaceType == Interface::UsbInterface || interfaceType == Interface::SacnNetwork ||
                          interfaceType == Interface::ArtNetNetwork;
    if (searched && !interfaces_.isPresent(interfaceType)) {
        err << ErrorPrefix << interfaces_.statusText(interfaceType) << '\n';
        return false;
    }
    return true;
}

void CliOutput::startGrid()
{
    sending_->sender.setEnabled(true);
    sending_->tickRequests.wait();
}

void CliOutput::tick()
{
    if (realtime_) {
        engine_->RequestedTick();
        sending_->tickRequests.wait();
    } else {
        engine_->AutoXmit();
        sending_->sender.sendNow();
    }
}

void CliOutput::stopSending() { sending_->sender.setEnabled(false); }

std::array<int, DmxChannels> CliOutput::deviceLevels(InterfaceKind interfaceType)
{
    const auto lock = sending_->sender.lockDevices();
    std::array<int, DmxChannels> levels{};
    if (interfaceType == Interface::IsaCard7301AB) {
        const auto base = static_cast<std::uint16_t>(session_.model.CardBaseAddress);
        std::array<unsigned char, DmxChannels> memory{};
        if (VirtualIsaCardMemory(base, IsaCardMemory::FirstChannel, memory.data(), DmxChannels) == DmxChannels)
            std::copy(memory.begin(), memory.end(), levels.begin());
        else  // real ports: read back as the monitor does
            for (int channel = 1; channel <= DmxChannels; ++channel)
                levels[channel - 1] = ReadCardByte(ports_, base, cardAddressOfChannel(channel));
    } else if (interfaceType == Interface::UsbInterface) {
        using Frame = std::int32_t (*)(std::uint8_t*, std::int32_t);
        std::array<std::uint8_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(usb_.library().symbol("VirtualUsbFrame")))
            read(frame.data(), DmxChannels);
        std::copy(frame.begin(), frame.end(), levels.begin());
    } else {
        using Frame = std::int32_t (*)(std::int32_t, std::uint32_t*, std::int32_t, std::int32_t*);
        std::array<std::uint32_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(sending_->cardLibrary.library().symbol("VirtualCardLibraryFrame")))
            read(1, frame.data(), DmxChannels, nullptr);
        std::transform(frame.begin(), frame.end(), levels.begin(), [](std::uint32_t v) { return static_cast<int>(v); });
    }
    return levels;
}

}  // namespace tinctara::cli
