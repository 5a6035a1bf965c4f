#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::EngineHarness;

TEST(WallBuilder, NumbersCellsRowByRowAndPatchesFourChannelsPerElement)
{
    EngineHarness show;
    show.buildWall(3, 2);

    ASSERT_EQ(show.model.ElementCount, 6);
    ASSERT_EQ(show.view.cells.size(), 6u);
    const std::vector<std::string> captions{"1", "2", "3", "4", "5", "6"};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(show.view.cells[i].caption, captions[i]);
        EXPECT_EQ(show.view.cells[i].index, static_cast<int>(i));
    }
    // element 4 starts the second row at the left edge
    EXPECT_EQ(show.view.cells[3].left, 0);
    EXPECT_GT(show.view.cells[3].top, 0);
    EXPECT_EQ(show.model.ElementPositions[3].column, 1);
    EXPECT_EQ(show.model.ElementPositions[3].row, 2);
    EXPECT_EQ(show.model.ElementPositions[5].column, 3);

    const int element5[] = {17, 18, 19, 20};
    for (int plane = Red; plane <= White; ++plane)
        EXPECT_EQ(show.model.patch(5, plane), element5[plane - 1]);
}

TEST(WallBuilder, DefaultPatchOfTheLargestWalls)
{
    EngineHarness five;
    five.buildWall(5, 5);
    EXPECT_EQ(five.model.patch(25, White), 100);

    EngineHarness eleven;
    eleven.buildWall(11, 11);
    EXPECT_EQ(eleven.model.ElementCount, 121);
    EXPECT_EQ(eleven.model.patch(121, White), 484);
}

TEST(WallBuilder, AutomaticChannelCountQueuesTheTimingBlock)
{
    EngineHarness show;
    show.buildWall(11, 11);
    EXPECT_EQ(show.model.ChannelCount, 484);
    EXPECT_EQ(show.model.DmxTiming[3], 228);
    EXPECT_EQ(show.model.DmxTiming[4], 2);  // 483 / 256 = 1.89 rounds to 2
    EXPECT_EQ(show.model.TimingBlockPending, 1);
    EXPECT_TRUE(show.user.messages.empty());

    EngineHarness small;
    small.buildWall(4, 8);  // 128 channels: 127 / 256 rounds to 0
    EXPECT_EQ(small.model.DmxTiming[3], 128);
    EXPECT_EQ(small.model.DmxTiming[4], 0);
}

TEST(WallBuilder, WarnsWhenElementsExceedTheChannelCountWithoutAutomaticCount)
{
    struct Case {
        int columns, rows;
        const char* message;  // nullptr: no message
    } cases[] = {
        {6, 5, nullptr},
        {101, 1, "ACHTUNG! Sie haben 101 die jeweils 4 und insgesamt 404 Kanäle belegen."},
        {10, 11, "ACHTUNG! Sie haben 110 die jeweils 4 und insgesamt 440 Kanäle belegen."},
    };
    for (const auto& c : cases) {
        EngineHarness show;
        show.model.clearState(StateFlag::AutoChannelCount);
        show.buildWall(c.columns, c.rows);
        EXPECT_EQ(show.model.ChannelCount, 100);
        EXPECT_EQ(show.model.TimingBlockPending, 0);
        if (c.message) {
            ASSERT_EQ(show.user.messages.size(), 1u) << c.columns << "x" << c.rows;
            EXPECT_EQ(show.user.messages[0].text, c.message);
            EXPECT_EQ(show.user.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_TRUE(show.user.messages.empty()) << c.columns << "x" << c.rows;
        }
    }
}

TEST(WallBuilder, DocumentMarksOnlyForANewWall)
{
    EngineHarness fresh;
    fresh.buildWall(2, 2);
    EXPECT_EQ(fresh.model.DocumentFlags, DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged |
                                             DocumentFlag::SceneNew | DocumentFlag::SequenceChanged);
    EXPECT_TRUE(fresh.model.hasState(StateFlag::WallPresent));

    EngineHarness loaded;
    loaded.model.WallColumns = 2;
    loaded.model.WallRows = 2;
    BuildWall(loaded.model, loaded.view, loaded.user, WallBuildKind::FromConfiguration);
    EXPECT_EQ(loaded.model.DocumentFlags, 0);
    EXPECT_TRUE(loaded.model.hasState(StateFlag::WallPresent));
}

TEST(WallBuilder, GeometryZoomAndWindowPlacement)
{
    EngineHarness show;
    show.model.WallZoom = 0;
    show.buildWall(10, 5);
    EXPECT_EQ(show.model.WallZoom, 80);
    // cell: 600 cm at 80 % -> 750 twips wide, 1500 high
    EXPECT_DOUBLE_EQ(show.view.cells[1].left, 750);
    EXPECT_DOUBLE_EQ(show.view.cells[0].width, 750);
    EXPECT_DOUBLE_EQ(show.view.cells[0].height, 1500);
    EXPECT_DOUBLE_EQ(show.view.wallSize.first, 600.0 * 110 * 10 / 80);
    EXPECT_DOUBLE_EQ(show.view.wallSize.second, 1200.0 * 109 * 5 / 80);

    EngineHarness silent;
    silent.model.setState(StateFlag::SilentFileOp);
    silent.buildWall(2, 2);
    EXPECT_EQ(silent.view.wallPlacedFromPositions, 1);
    EXPECT_EQ(silent.view.wallSize.first, 0);
}

TEST(WallBuilder, RebuildRemovesOldCellsAndKeepsColoursAndCorrection)
{
    EngineHarness show;
    show.buildWall(4, 4);
    show.setElement(3, 10, 20, 30, 40);
    show.model.correction(3, Blue) = 7;
    show.model.SelectionFlags[2] = 1;
    show.model.patch(3, Red) = 300;

    show.buildWall(2, 2);
    EXPECT_EQ(show.view.wallRemovals, 1);
    EXPECT_EQ(show.view.cells.size(), 4u);
    EXPECT_EQ(show.model.ElementCount, 4);
    EXPECT_EQ(show.model.colour(Blue, 3), 30);
    EXPECT_EQ(show.model.correction(3, Blue), 7);
    EXPECT_EQ(show.model.SelectionFlags[2], 1);
    EXPECT_EQ(show.model.patch(3, Red), 9);  // the default patch again
}

TEST(WallBuilder, NeverBuildsMoreThanTheLargestWall)
{
    // A caller that lets 20 x 20 through still gets no element beyond 121.
    EngineHarness show;
    show.buildWall(20, 20);
    EXPECT_EQ(show.model.ElementCount, MaxWallElements);
    EXPECT_EQ(show.view.cells.size(), 121u);
}

}  // namespace
}  // namespace tinctara
