#include "dmx/OutputPort.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace tinctara {
namespace {

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
    auto model = std::make_unique<ShowModel>();
    model->CardBaseAddress = 0x120;
    model->DmxFrame[1] = 22;
    model->DmxFrameWide[1] = 2200;
    testing::RecordingPortBus bus{0x120};
    bus.cardMemory[0x3FF + 2] = 0x22;
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

}  // namespace
}  // namespace tinctara
