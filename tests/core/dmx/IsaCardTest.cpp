#include "dmx/DmxRunControl.h"
#include "dmx/IsaCard.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using Access = testing::RecordingPortBus::Access;
using testing::EngineHarness;
using testing::RecordingPortBus;

TEST(IsaCard, AddressIsSplitIntoLowAndHighPortWrites)
{
    RecordingPortBus bus(0x100);
    WriteCardByte(bus, 0x100, 0x1FF, 9);
    WriteCardByte(bus, 0x100, 0x5FF, 10);
    const std::vector<Access> expected{{true, 0x100, 255}, {true, 0x101, 1}, {true, 0x102, 9},
                                       {true, 0x100, 255}, {true, 0x101, 5}, {true, 0x102, 10}};
    EXPECT_EQ(bus.accesses, expected);
    EXPECT_EQ(ReadCardByte(bus, 0x100, 0x1FF), 9);
    EXPECT_EQ(cardAddressOfChannel(1), 0x400);
    EXPECT_EQ(cardAddressOfChannel(512), 0x5FF);
}

TEST(IsaCard, StrobesByCardType)
{
    struct Case {
        int type;
        bool run;
        Access access;
    } cases[] = {
        {Interface::IsaCard7301AB, true, {false, 0x163, 0}},
        {Interface::IsaCard7301AB, false, {true, 0x160, 0}},
        {Interface::IsaCard7301C, true, {true, 0x163, 0}},
        {Interface::IsaCard7301C, false, {false, 0x160, 0}},
    };
    for (const auto& c : cases) {
        RecordingPortBus bus(0x160);
        if (c.run)
            CardRunStrobe(bus, 0x160, c.type);
        else
            CardHaltStrobe(bus, 0x160, c.type);
        ASSERT_EQ(bus.accesses.size(), 1u);
        EXPECT_EQ(bus.accesses[0], c.access) << "type " << c.type << (c.run ? " run" : " halt");
    }
    RecordingPortBus bus(0x160);
    CardRunStrobe(bus, 0x160, Interface::UsbInterface);
    EXPECT_TRUE(bus.accesses.empty());
}

TEST(DmxRunControl, StartAndStopActOnlyOnAKnownCard)
{
    EngineHarness show;
    show.model.InterfaceType = Interface::IsaCard7301AB;
    show.model.CardBaseAddress = 255;
    DmxStart(show.model, show.view, show.timer, show.bus);
    DmxStop(show.model, show.view, show.timer, show.bus);
    EXPECT_TRUE(show.bus.accesses.empty());
    EXPECT_TRUE(show.view.titles.empty());
    EXPECT_TRUE(show.timer.history.empty());

    show.model.CardBaseAddress = 0x120;
    DmxStop(show.model, show.view, show.timer, show.bus);
    EXPECT_FALSE(show.timer.enabled);
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped: DMX STOP");
    EXPECT_EQ(show.view.dmxChecks.back(), std::make_pair(false, true));
    EXPECT_EQ(show.bus.accesses.back(), (Access{true, 0x120, 0}));

    DmxStart(show.model, show.view, show.timer, show.bus);
    EXPECT_TRUE(show.timer.enabled);
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....running. DMX started. Interface = ");
    EXPECT_EQ(show.view.dmxChecks.back(), std::make_pair(true, false));
    EXPECT_EQ(show.bus.accesses.back(), (Access{false, 0x123, 0}));
}

}  // namespace
}  // namespace tinctara
