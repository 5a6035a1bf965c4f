#include "dmx/InterfaceRegistry.h"

#include "dmx/IsaCard.h"
#include "dmx/OutputPort.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace tinctara {

namespace {


// Stand-ins for a registry built without hardware.
class NoPorts : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t) override { return 0xFF; }
    void writePort(std::uint32_t, std::uint8_t) override {}
};
class NoUsb : public UsbDmxLibrary {
public:
    std::int32_t hardCommand(std::int32_t, std::int32_t, std::uint8_t*) override { return 0; }
};
class NoClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return ++seconds_; }
    std::int64_t monotonicMilliseconds() override { return 0; }

private:
    std::int64_t seconds_ = 0;
};

InterfaceHardware noHardware()
{
    static NoPorts ports;
    static NoUsb usb;
    static NoClock clock;
    return {ports, usb, clock, "."};
}

std::string hexAddress(int base)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(base));
    return text;
}

constexpr std::uint8_t Ident7301A = 0x80;
constexpr std::uint8_t Ident7301B = 1;
constexpr std::uint8_t Ident7301C = 5;
// The wait ends with the next second of the time of day; should the clock
// stand still it ends after this long.
constexpr std::int64_t LongestDelayMilliseconds = 1100;

}  // namespace

InterfaceRegistry::InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                                     const MessageTable& messages)
    : InterfaceRegistry(model, view, user, timer, messages, noHardware())
{
}

InterfaceRegistry::InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                                     const MessageTable& messages, InterfaceHardware hardware)
    : model_(model), view_(view), user_(user), timer_(timer), messages_(messages), hardware_(std::move(hardware))
{
}

const std::string& InterfaceRegistry::statusText(InterfaceKind type) const { return InterfaceStatusText[type]; }

void InterfaceRegistry::setStatusLine(const std::string& text) { view_.setTitle(model_.OsName + text); }

std::unique_lock<std::mutex> InterfaceRegistry::lockDevices()
{
    return hardware_.sender ? hardware_.sender->lockDevices() : std::unique_lock<std::mutex>();
}

void InterfaceRegistry::opened()
{
    if (hardware_.sender)
        hardware_.sender->deviceOpened();
}

std::int32_t InterfaceRegistry::usbCommand(std::int32_t command)
{
    const auto lock = lockDevices();
    std::uint8_t zero = 0;
    return hardware_.usb.hardCommand(command, 0, &zero);
}

void InterfaceRegistry::OpenPort(InterfaceKind type)
{
    setStatusLine(": QOR DMX TINCTARA: ..... searching interface ...");
    ClosePort(type);
    portFor(type).open(*this, type);
}

void InterfaceRegistry::refuseNoInterface()
{
    user_.messageBox("INTERFACE SELECT ERROR", messages_[96], MessageButtons::Ok, MessageIcon::Stop);
}

bool InterfaceRegistry::startCard(const char* firmware, InterfaceKind cardType)
{
    LoadCardFirmware(model_, hardware_.ports, user_, hardware_.programFolder, firmware);
    // The upload probes again; a card that no longer answers gets no strobe
    // (at base 0 the strobes would reach the machine's own low ports).
    if (model_.CardBaseAddress <= 255)
        return false;
    const auto base = static_cast<std::uint16_t>(model_.CardBaseAddress);
    CardRunStrobe(hardware_.ports, base, cardType);
    delay();
    CardIdentByte = ReadCardByte(hardware_.ports, base, IsaCardMemory::IdentityByte);
    return true;
}

void InterfaceRegistry::cardFound(InterfaceKind type, const std::string& text)
{
    InterfaceStatusText[type] = text;
    opened();
    timer_.setEnabled(true);
    InterfacePresent[type] = 1;
}

void InterfaceRegistry::openIsaCard7301AB(InterfaceKind type)
{
    InterfaceStatusText[Interface::IsaCard7301AB] = "7301B DMX Interface not found";
    model_.CardBaseAddress = static_cast<std::int16_t>(FindCard(hardware_.ports));
    if (model_.CardBaseAddress == 0 || !startCard("FWISA12A.BIN", Interface::IsaCard7301AB)) {
        ReportFailure(type);
        return;
    }
    if (CardIdentByte == Ident7301A) {
        cardFound(type, "7301A / 7301B-LC card found at address " + hexAddress(model_.CardBaseAddress) + "h");
        return;
    }
    if (CardIdentByte == Ident7301B) {
        if (!startCard("FWISA16B.BIN", Interface::IsaCard7301AB) || CardIdentByte != Ident7301B) {
            ReportFailure(type);
            return;
        }
        InterfaceStatusText[Interface::IsaCard7301AB] =
            "TINCTARA: KELVARTECH 7301B card found at address" + hexAddress(model_.CardBaseAddress) + "h";
        model_.TimingBlockPending = 1;
        static constexpr std::int16_t defaultBlock[] = {60, 0, 0, 0, 1, 0, 0, 0, 0};
        std::copy(std::begin(defaultBlock), std::end(defaultBlock), model_.DmxTiming.begin());
        cardFound(type, InterfaceStatusText[Interface::IsaCard7301AB]);
        return;
    }
    ReportFailure(type);
}

void InterfaceRegistry::openIsaCard7301C(InterfaceKind type)
{
    InterfaceStatusText[Interface::IsaCard7301C] = "7301C DMX Interface not found";
    model_.CardBaseAddress = static_cast<std::int16_t>(FindCard(hardware_.ports));
    if (model_.CardBaseAddress == 0 || !startCard("FWISA17C.BIN", Interface::IsaCard7301C) ||
        CardIdentByte != Ident7301C) {
        ReportFailure(type);
        return;
    }
    cardFound(type, "TINCTARA: KELVARTECH 7301C card found at address" + hexAddress(model_.CardBaseAddress) + "h");
}

void InterfaceRegistry::openUsb(InterfaceKind type)
{
    usbCommand(2);
    // The result is kept in 16 bits, as the program always has; a value that
    // does not fit is no interface.
    const std::int32_t result = usbCommand(1);
    UsbOpenResult = result >= -32768 && result <= 32767 ? static_cast<std::int16_t>(result) : 0;
    InterfaceStatusText[Interface::UsbInterface] = "USB DMX Interface not found";
    if (UsbOpenResult >= 1 && UsbOpenResult <= 3) {
        InterfacePresent[Interface::UsbInterface] = 1;
        InterfaceStatusText[Interface::UsbInterface] = "TINCTARA: SUNLITE USBDMX1 Interface opened succesfully";
    } else if (usbIsLink2()) {
        InterfacePresent[Interface::UsbInterface] = 1;
        InterfaceStatusText[Interface::UsbInterface] = "TINCTARA: KELVARTECH USBLNK2 Interface opened succesfully";
    } else {
        ReportFailure(type);
        return;
    }
    std::fill_n(model_.DmxFrame.begin(), DmxChannels, 0);
    usbCommand(3);
    opened();
    timer_.setEnabled(true);
}

void InterfaceRegistry::openNetwork(InterfaceKind type)
{
    const bool sacn = type == Interface::SacnNetwork;
    const std::string kind = sacn ? "sACN (E1.31)" : "Art-Net";
    InterfaceStatusText[type] = kind + " Interface not ready";
    if (!hardware_.network || !hardware_.settings) {
        ReportFailure(type);
        return;
    }
    // One sender serves both kinds: opening one ends the other.
    if (const InterfaceKind other = hardware_.network->openType(); other != Interface::NoInterface && other != type)
        InterfacePresent[other] = 0;
    NetworkDmxSettings settings = readNetworkSettings(*hardware_.settings, type);
    if (sacn)
        settings.cid = installationCid(*hardware_.settings);
    std::string error;
    bool open = false;
    {
        const auto lock = lockDevices();
        open = hardware_.network->open(type, settings, error);
    }
    if (!open) {
        const InterfaceKind failed = type;
        ReportFailure(type);
        InterfaceStatusText[failed] += ": " + error;
        return;
    }
    std::string universe = std::to_string(settings.universe);
    if (!sacn) {
        const ArtNetAddress parts = splitPortAddress(settings.universe);
        universe =
            std::to_string(parts.net) + ":" + std::to_string(parts.subNet) + ":" + std::to_string(parts.universe);
    }
    InterfaceStatusText[type] = "TINCTARA: " + kind + (sacn ? " Universe " : " Port-Address ") + universe + " -> " +
                                ipv4Text(hardware_.network->destination()) + " opened";
    InterfacePresent[type] = 1;
    opened();
    timer_.setEnabled(true);
}

void InterfaceRegistry::ClosePort(InterfaceKind type)
{
    if (type == Interface::UsbInterface && InterfacePresent[Interface::UsbInterface] > 0)
        usbCommand(2);
    if (hardware_.network && hardware_.network->openType() == type) {
        const auto lock = lockDevices();
        hardware_.network->close();
    }
    InterfacePresent[type] = 0;
    setStatusLine(":  QOR DMX TINCTARA");
}

void InterfaceRegistry::ReportFailure(InterfaceKind& type)
{
    timer_.setEnabled(false);
    ClosePort(type);
    if (type == Interface::IsaCard7301AB || type == Interface::IsaCard7301C)
        model_.CardBaseAddress = 0;
    type = Interface::NoInterface;
    setStatusLine(": QOR DMX TINCTARA:  Interface Initialization failed");
}

void InterfaceRegistry::delay()
{
    Clock& clock = hardware_.clock;
    const std::int64_t second = clock.timeOfDaySeconds();
    const std::int64_t started = clock.monotonicMilliseconds();
    while (clock.timeOfDaySeconds() == second) {
        if (clock.monotonicMilliseconds() - started > LongestDelayMilliseconds)
            return;
        std::this_thread::yield();
    }
}

}  // namespace tinctara
