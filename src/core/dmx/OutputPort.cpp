#include "dmx/OutputPort.h"

#include "dmx/DmxRunControl.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/IsaCard.h"

#include <algorithm>
#include <array>

namespace tinctara {

namespace {

// No interface: a playing sequence advances on the wall display alone.
class NoInterfacePort final : public OutputPort {
public:
    void open(InterfaceRegistry& registry, InterfaceKind) const override { registry.refuseNoInterface(); }
    bool playsOnTheWall() const override { return true; }
};

// A kind the program does not know: nothing at all.
class UnknownPort final : public OutputPort {};

// ISA cards 7301A/B/B-LC and 7301C: the tick writes card memory through the
// ports and gives the run strobe; the card refreshes DMX from its memory.
class IsaCardPort : public OutputPort {
public:
    bool searched() const override { return true; }
    IsaCardPort() : OutputPort(FrameShape::CardMemory) {}
    bool ready(const ShowModel& model) const override { return model.CardBaseAddress >= 256; }
    bool afterFrame(ShowModel& model, ShowView& view, OutputTimer& timer, PortIo& ports) const override
    {
        DmxStart(model, view, timer, ports);
        return false;
    }
    int readBack(const ShowModel& model, PortIo& ports, int channel) const override
    {
        return ReadCardByte(ports, static_cast<std::uint16_t>(model.CardBaseAddress), cardAddressOfChannel(channel));
    }
    bool searchedWhenChosen() const override { return true; }
    void clearChannel(ShowModel& model, PortIo& ports, int channel) const override
    {
        if (model.CardBaseAddress > 255)
            WriteCardByte(ports, static_cast<std::uint16_t>(model.CardBaseAddress), cardAddressOfChannel(channel), 0);
    }
};

// The 7301A/B takes a changed timing block before the next frame.
class IsaCard7301ABPort final : public IsaCardPort {
public:
    void open(InterfaceRegistry& registry, InterfaceKind kind) const override { registry.openIsaCard7301AB(kind); }
    bool takesTimingBlock() const override { return true; }
    std::optional<double> frameLength(double breakLength, double interSlot, double channels) const override
    {
        return breakLength + 8 + (interSlot + 44) * channels;
    }
    void beforeFrame(ShowModel& model, PortIo& ports) const override
    {
        if (!model.TimingBlockPending)
            return;
        const auto base = static_cast<std::uint16_t>(model.CardBaseAddress);
        for (int i = 0; i < 10; ++i)
            WriteCardByte(ports, base, static_cast<std::uint16_t>(IsaCardMemory::TimingBlock + i),
                          static_cast<std::uint8_t>(model.DmxTiming[i] & 0xFF));
        const int channels = model.DmxTiming[4] * 256 + model.DmxTiming[3];
        model.ChannelCount = static_cast<std::int16_t>(std::clamp(channels, -32768, 32767));
        model.TimingBlockPending = 0;
    }
};

class IsaCard7301CPort final : public IsaCardPort {
public:
    void open(InterfaceRegistry& registry, InterfaceKind kind) const override { registry.openIsaCard7301C(kind); }
    std::optional<double> frameLength(double, double interSlot, double channels) const override
    {
        return (interSlot + 46) * channels + 128;
    }
};

// The kinds that always send all 512 channels.
std::optional<double> fullFrameLength(double interSlot) { return (interSlot + 46) * DmxChannels + 128; }

// Kinds sent the byte frame: the USB interface and the network kinds.
class ByteFramePort : public OutputPort {
public:
    std::optional<double> frameLength(double, double interSlot, double) const override
    {
        return fullFrameLength(interSlot);
    }
    bool searched() const override { return true; }
    ByteFramePort() : OutputPort(FrameShape::Bytes) {}
    int readBack(const ShowModel& model, PortIo&, int channel) const override { return model.DmxFrame[channel - 1]; }
};

// The USB library: command 5 with one zero byte, then command 4 with the frame.
class UsbPort final : public ByteFramePort {
public:
    void open(InterfaceRegistry& registry, InterfaceKind kind) const override { registry.openUsb(kind); }
    void clearChannel(ShowModel& model, PortIo&, int channel) const override { model.DmxFrame[channel - 1] = 0; }
    void transmit(OutgoingFrame& frame, const SenderDevices& devices) const override
    {
        std::uint8_t zero = 0;
        devices.usb.hardCommand(5, 0, &zero);
        devices.usb.hardCommand(4, DmxChannels, frame.bytes.data());
    }
};

// sACN and Art-Net: one datagram per frame through the network output.
class NetworkPort final : public ByteFramePort {
public:
    void open(InterfaceRegistry& registry, InterfaceKind kind) const override { registry.openNetwork(kind); }
    bool searchedWhenChosen() const override { return true; }
    void transmit(OutgoingFrame& frame, const SenderDevices& devices) const override
    {
        if (devices.network)
            devices.network->sendDmx(frame.bytes.data());
    }
};

// The PCMCIA and PCI cards of the card library: the wide frame, DMXSEND then DMXSEND2.
class CardLibraryPort final : public OutputPort {
public:
    CardLibraryPort() : OutputPort(FrameShape::Wide) {}
    std::optional<double> frameLength(double, double interSlot, double) const override
    {
        return fullFrameLength(interSlot);
    }
    void clearChannel(ShowModel& model, PortIo&, int channel) const override { model.DmxFrameWide[channel - 1] = 0; }
    int readBack(const ShowModel& model, PortIo&, int channel) const override
    {
        return static_cast<int>(model.DmxFrameWide[channel - 1]);
    }
    void transmit(OutgoingFrame& frame, const SenderDevices& devices) const override
    {
        devices.cardLibrary.dmxSend(frame.cardHandle, frame.wide.data());
        devices.cardLibrary.dmxSend2(frame.cardHandle, frame.wide.data());
    }
};

const NoInterfacePort noInterface;
const UnknownPort unknown;
const IsaCard7301ABPort isaCard7301AB;
const IsaCard7301CPort isaCard7301C;
const UsbPort usb;
const CardLibraryPort cardLibrary;
const NetworkPort network;

// By kind number.
const std::array<const OutputPort*, InterfaceKinds> Ports = {
    &noInterface, &isaCard7301AB, &isaCard7301C, &usb, &cardLibrary, &cardLibrary, &network, &network,
};

}  // namespace

const OutputPort& portFor(InterfaceKind kind)
{
    const auto number = static_cast<std::size_t>(kindNumber(kind));
    return number < Ports.size() ? *Ports[number] : unknown;
}

}  // namespace tinctara
