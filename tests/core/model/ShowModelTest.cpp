#include "model/ShowModel.h"
#include "model/ShowOperations.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace tinctara {
namespace {

using testing::RecordingView;
using testing::ScriptedUser;

TEST(ShowModel, StartUpInitialisation)
{
    auto model = std::make_unique<ShowModel>();
    model->ElementColours.fill(9);
    model->TestLevels.fill(9);
    model->StepCount = 7;
    initialiseAtStartUp(*model);

    EXPECT_EQ(model->holdTime(1), 1);
    EXPECT_EQ(model->blendTime(1), 50);
    EXPECT_EQ(model->holdTime(255), 1);
    EXPECT_EQ(model->blendTime(255), 50);
    EXPECT_EQ(model->TestLevels[511], 0);
    EXPECT_EQ(model->ElementColours[4 * 255 - 1], 0);
    EXPECT_EQ(model->StepCount, 0);
    EXPECT_EQ(model->ChannelCount, 100);
    EXPECT_TRUE(model->hasState(StateFlag::AutoLoad));
    EXPECT_TRUE(model->hasState(StateFlag::AutoChannelCount));
    EXPECT_EQ(model->ColourNames[0], "Farbe1              ");
    EXPECT_EQ(model->ColourNames[19], "Farbe20             ");
}

TEST(ShowModel, TablesArePlaneMajorAndOneBased)
{
    // The layouts are those of the files and the memory card images.
    EXPECT_EQ(ShowModel::colourIndex(White, 1), 3 * 255);
    EXPECT_EQ(ShowModel::colourIndex(Red, 255), 254);
    EXPECT_EQ(ShowModel::patchIndex(1, Green), 250);
    EXPECT_EQ(ShowModel::sequenceIndex(2, 1, Red), 1);
    EXPECT_EQ(ShowModel::sequenceIndex(1, 2, Red), 255);
    EXPECT_EQ(ShowModel::sequenceIndex(1, 1, Green), 255 * 250);
    EXPECT_EQ(ShowModel::sequenceIndex(255, 250, White), 255 * 250 * 4 - 1);
    EXPECT_EQ(ShowModel::userColourIndex(1, Blue), 40);
    EXPECT_EQ(ShowModel::selectionMemoryIndex(2, 13), 27);
    EXPECT_EQ(ShowModel::windowPositionIndex(7, 2), 16);
}

TEST(ShowElementColour, WhiteIsAddedToEachPrimaryAndCapped)
{
    auto model = std::make_unique<ShowModel>();
    RecordingView view;
    model->ElementCount = 3;
    model->colour(Red, 1) = 200;
    model->colour(White, 1) = 100;
    model->colour(Green, 2) = 10;
    model->colour(Blue, 2) = 250;
    model->colour(White, 2) = 5;

    ShowAllElementColours(*model, view);

    EXPECT_EQ(view.elementColours.at(0), (Rgb{255, 100, 100}));
    EXPECT_EQ(view.elementColours.at(1), (Rgb{5, 15, 255}));
    EXPECT_EQ(view.elementColours.at(2), (Rgb{0, 0, 0}));
    EXPECT_EQ(view.repaintedElements, (std::vector<int>{0, 1, 2}));

    RecordingView empty;
    model->ElementCount = 0;
    ShowAllElementColours(*model, empty);
    EXPECT_TRUE(empty.repaintedElements.empty());
}

TEST(TestModeOff, RestoresTheTestWindowAndClearsTheFlag)
{
    ShowModel model;
    RecordingView view;
    model.setState(StateFlag::TestMode | StateFlag::SequencePlaying);
    TestModeOff(model, view);
    EXPECT_FALSE(model.hasState(StateFlag::TestMode));
    EXPECT_TRUE(model.hasState(StateFlag::SequencePlaying));
    ASSERT_EQ(view.testLooks.size(), 1u);
    EXPECT_EQ(view.testLooks[0].status, "Testmodus aus. DMX-Werte entsprechen den Ausgabewerten.");
    EXPECT_FALSE(view.testLooks[0].testModeBackground);
    EXPECT_EQ(view.testLooks[0].buttonCaption, "Testmode starten");
}

TEST(ChildWindows, OnlyOpenWindowsAreDisabledAndEnabled)
{
    ShowModel model;
    RecordingView view;
    model.setState(StateFlag::ColourWindowOpen | StateFlag::DmxTestWindowOpen | StateFlag::WallWindowOpen);
    DisableChildWindows(model, view);
    EnableChildWindows(model, view);
    const std::vector<std::pair<ChildWindow, bool>> expected{{ChildWindow::Colour, false},
                                                             {ChildWindow::DmxTest, false},
                                                             {ChildWindow::Colour, true},
                                                             {ChildWindow::DmxTest, true}};
    EXPECT_EQ(view.childWindowCalls, expected);
}

TEST(BusyPointer, SwitchesTheWholeApplication)
{
    ScriptedUser user;
    ShowBusy(user);
    ShowIdle(user);
    EXPECT_EQ(user.busyPointer, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tinctara
