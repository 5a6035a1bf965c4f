#include "dmx/OutputPort.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace tinctara {
namespace {

// Channel 2 holds 0x22 in card memory, 22 in the byte frame and 2200 in the
// wide frame, with the card at 0x120.
struct ChannelTwo {
    std::unique_ptr<ShowModel> model = std::make_unique<ShowModel>();
    testing::RecordingPortBus bus{0x120};
    ChannelTwo()
    {
        model->CardBaseAddress = 0x120;
        model->DmxFrame[1] = 22;
        model->DmxFrameWide[1] = 2200;
        bus.cardMemory[0x3FF + 2] = 0x22;
    }
};

// The table of ports: what each kind's tick builds, whether the search can
// find it, and where the monitor reads a level back.
TEST(OutputPort, EveryKindHasItsPort)
{
    struct Case {
        InterfaceKind kind;
        FrameShape shape;
        bool searched;
        bool playsOnTheWall;
        int readBack;  // of channel 2: 0x22 card memory, 22 byte frame, 2200 wide frame
    } cases[] = {
        {Interface::NoInterface, FrameShape::None, false, true, 0},
        {Interface::IsaCard7301AB, FrameShape::CardMemory, true, false, 0x22},
        {Interface::IsaCard7301C, FrameShape::CardMemory, true, false, 0x22},
        {Interface::UsbInterface, FrameShape::Bytes, true, false, 22},
        {Interface::PcmciaCard8301, FrameShape::Wide, false, false, 2200},
        {Interface::PciCard7304, FrameShape::Wide, false, false, 2200},
        {Interface::SacnNetwork, FrameShape::Bytes, true, false, 22},
        {Interface::ArtNetNetwork, FrameShape::Bytes, true, false, 22},
        {static_cast<InterfaceKind>(9), FrameShape::None, false, false, 0},  // no kind the program knows
    };
    ChannelTwo levels;
    auto& [model, bus] = levels;
    for (const Case& c : cases) {
        const OutputPort& port = portFor(c.kind);
        EXPECT_EQ(port.shape(), c.shape) << c.kind;
        EXPECT_EQ(port.searched(), c.searched) << c.kind;
        EXPECT_EQ(port.playsOnTheWall(), c.playsOnTheWall) << c.kind;
        if (c.shape != FrameShape::None) {
            EXPECT_EQ(port.readBack(*model, bus, 2), c.readBack) << c.kind;
        }
    }
    model->CardBaseAddress = 0xFF;
    EXPECT_FALSE(portFor(Interface::IsaCard7301C).ready(*model)) << "no card base: the wall alone";
}

// What the windows ask of a kind: the options' timing block and frame
// length, the interface dialog's search, and CLR ALL's zeroing.
TEST(OutputPort, WhatTheWindowsAskOfAKind)
{
    struct Case {
        InterfaceKind kind;
        bool timingBlock;
        bool searchedWhenChosen;
        double frameLength;  // break 100 µs, inter-slot 4 µs, 24 channels; -1: none
        int clearedAt;       // 0 none, 1 card memory, 2 byte frame, 3 wide frame
    } cases[] = {
        {Interface::NoInterface, false, false, -1, 0},
        {Interface::IsaCard7301AB, true, true, 100 + 8 + 48 * 24, 1},
        {Interface::IsaCard7301C, false, true, 50 * 24 + 128, 1},
        {Interface::UsbInterface, false, false, 50 * 512 + 128, 2},
        {Interface::PcmciaCard8301, false, false, 50 * 512 + 128, 3},
        {Interface::PciCard7304, false, false, 50 * 512 + 128, 3},
        {Interface::SacnNetwork, false, true, 50 * 512 + 128, 0},
        {Interface::ArtNetNetwork, false, true, 50 * 512 + 128, 0},
        {static_cast<InterfaceKind>(9), false, false, -1, 0},
    };
    for (const Case& c : cases) {
        const OutputPort& port = portFor(c.kind);
        EXPECT_EQ(port.takesTimingBlock(), c.timingBlock) << c.kind;
        EXPECT_EQ(port.searchedWhenChosen(), c.searchedWhenChosen) << c.kind;
        EXPECT_EQ(port.frameLength(100, 4, 24).value_or(-1), c.frameLength) << c.kind;

        ChannelTwo levels;
        auto& [model, bus] = levels;
        port.clearChannel(*model, bus, 2);
        EXPECT_EQ(bus.cardMemory[0x3FF + 2] == 0, c.clearedAt == 1) << c.kind;
        EXPECT_EQ(model->DmxFrame[1] == 0, c.clearedAt == 2) << c.kind;
        EXPECT_EQ(model->DmxFrameWide[1] == 0, c.clearedAt == 3) << c.kind;
    }
    ChannelTwo unknownBase;
    unknownBase.model->CardBaseAddress = 0xFF;
    portFor(Interface::IsaCard7301AB).clearChannel(*unknownBase.model, unknownBase.bus, 2);
    EXPECT_EQ(unknownBase.bus.cardMemory[0x3FF + 2], 0x22) << "no card base: nothing written";
}

}  // namespace
}  // namespace tinctara
