#include "engine/FrameBuilder.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::channelsEqual;
using testing::EngineHarness;

TEST(FrameBuilder, CorrectionLowersLevelsAndClampsAtZero)
{
    struct Case {
        int level, correction, sent;
    } cases[] = {{100, 30, 70}, {100, 120, 0}, {255, 255, 0}, {0, 0, 0}, {255, 0, 255}};
    for (const auto& c : cases) {
        EngineHarness show;
        show.buildWall(1, 1);
        show.model.colour(Red, 1) = static_cast<std::uint8_t>(c.level);
        show.model.correction(1, Red) = static_cast<std::uint8_t>(c.correction);
        ByteFrameDestination frame(show.model.DmxFrame);
        MitKarteHold(show.model, frame);
        EXPECT_EQ(show.model.DmxFrame[0], c.sent) << c.level << " - " << c.correction;
    }
}

TEST(FrameBuilder, LaterElementPlaneWinsASharedChannel)
{
    EngineHarness show;
    show.buildWall(4, 2);
    show.setElement(3, 11, 0, 0, 0);
    show.setElement(7, 0, 0, 0, 77);
    show.model.patch(3, Red) = 5;
    show.model.patch(7, White) = 5;
    ByteFrameDestination frame(show.model.DmxFrame);
    MitKarteHold(show.model, frame);
    EXPECT_EQ(show.model.DmxFrame[4], 77);

    // within one element: white beats blue beats green beats red
    show.setElement(1, 1, 2, 3, 4);
    for (int plane = Red; plane <= White; ++plane)
        show.model.patch(1, plane) = 200;
    show.model.patch(1, White) = 201;
    MitKarteHold(show.model, frame);
    EXPECT_EQ(show.model.DmxFrame[199], 3);
    EXPECT_EQ(show.model.DmxFrame[200], 4);
}

TEST(FrameBuilder, UnpatchedChannelsKeepTheirLastLevel)
{
    EngineHarness show;
    show.buildWall(2, 1);  // channels 1..8
    show.model.TestLevels[199] = 255;
    show.model.TestLevels[0] = 9;
    ByteFrameDestination frame(show.model.DmxFrame);
    BuildTestFrame(show.model, frame);
    MitKarteHold(show.model, frame);
    EXPECT_EQ(show.model.DmxFrame[199], 255);
    EXPECT_EQ(show.model.DmxFrame[0], 0);
}

TEST(FrameBuilder, PatchOutsideTheChannelRangeIsSkipped)
{
    EngineHarness show;
    show.buildWall(1, 1);
    show.setElement(1, 50, 60, 70, 80);
    show.model.patch(1, Red) = 0;
    show.model.patch(1, Green) = 513;
    show.model.patch(1, Blue) = 65535;
    show.model.patch(1, White) = 512;
    show.model.DmxFrame.fill(1);
    show.model.DmxFrameWide.fill(1);

    ByteFrameDestination bytes(show.model.DmxFrame);
    WideFrameDestination wide(show.model.DmxFrameWide);
    MitKarteHold(show.model, bytes);
    MitKarteHold(show.model, wide);
    EXPECT_EQ(show.model.DmxFrame[511], 80);
    EXPECT_EQ(show.model.DmxFrame[512], 1);  // index 512 is never written
    EXPECT_EQ(show.model.DmxFrameWide[511], 80u);
    EXPECT_EQ(show.model.DmxFrameWide[512], 1u);
    EXPECT_TRUE(channelsEqual(show.model.DmxFrame, 1, {1, 1, 1, 1}));
}

TEST(FrameBuilder, IsaCardLevelsGoToCardMemoryOneWritePerLevel)
{
    EngineHarness show;
    show.buildWall(1, 1);
    show.setElement(1, 10, 20, 30, 40);
    show.model.patch(1, Red) = 1;
    show.model.patch(1, White) = 512;
    show.model.CardBaseAddress = 0x120;
    IsaCardDestination card(show.bus, show.model.CardBaseAddress);
    MitKarteHold(show.model, card);

    const std::vector<std::pair<std::uint16_t, std::uint8_t>> expected{
        {1024, 10}, {0x3FF + 2, 20}, {0x3FF + 3, 30}, {1535, 40}};
    EXPECT_EQ(show.bus.cardWrites(), expected);
    // address low byte, high byte, data: three port writes per level
    ASSERT_EQ(show.bus.accesses.size(), 12u);
    EXPECT_EQ(show.bus.accesses[9], (testing::RecordingPortBus::Access{true, 0x120, 0xFF}));
    EXPECT_EQ(show.bus.accesses[10], (testing::RecordingPortBus::Access{true, 0x121, 5}));
    EXPECT_EQ(show.bus.accesses[11], (testing::RecordingPortBus::Access{true, 0x122, 40}));
}

TEST(FrameBuilder, TestFrameWritesAll512CardAddresses)
{
    EngineHarness show;
    show.model.CardBaseAddress = 0x120;
    for (int i = 0; i < DmxChannels; ++i)
        show.model.TestLevels[i] = static_cast<std::uint8_t>(i * 7);
    IsaCardDestination card(show.bus, show.model.CardBaseAddress);
    BuildTestFrame(show.model, card);
    const auto writes = show.bus.cardWrites();
    ASSERT_EQ(writes.size(), 512u);
    for (int i = 0; i < DmxChannels; ++i) {
        EXPECT_EQ(writes[i].first, 1024 + i);
        EXPECT_EQ(writes[i].second, static_cast<std::uint8_t>(i * 7));
    }
}

TEST(FrameBuilder, BlendRoundsHalvesToEvenAndShowsEachElement)
{
    EngineHarness show;
    show.buildWall(2, 1);
    show.model.BlendLevels[ShowModel::blendIndex(1, Red)] = 127.0f;
    show.model.BlendIncrements[ShowModel::blendIndex(1, Red)] = 0.5f;
    show.model.BlendLevels[ShowModel::blendIndex(2, Red)] = 126.0f;
    show.model.BlendIncrements[ShowModel::blendIndex(2, Red)] = 0.5f;
    ByteFrameDestination frame(show.model.DmxFrame);
    MitKarteBlend(show.model, show.view, frame);

    EXPECT_EQ(show.model.colour(Red, 1), 128);
    EXPECT_EQ(show.model.colour(Red, 2), 126);
    EXPECT_EQ(show.model.DmxFrame[0], 128);
    EXPECT_EQ(show.model.DmxFrame[4], 126);
    EXPECT_EQ(show.view.repaintedElements, (std::vector<int>{0, 1}));
}

TEST(FrameBuilder, NoElementsNoWrites)
{
    EngineHarness show;
    show.model.CardBaseAddress = 0x120;
    IsaCardDestination card(show.bus, show.model.CardBaseAddress);
    MitKarteHold(show.model, card);
    MitKarteBlend(show.model, show.view, card);
    EXPECT_TRUE(show.bus.accesses.empty());
    EXPECT_TRUE(show.view.repaintedElements.empty());
}

}  // namespace
}  // namespace tinctara
