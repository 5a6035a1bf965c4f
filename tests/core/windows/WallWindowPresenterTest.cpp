#include "support/EngineHarness.h"
#include "windows/WallWindowPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

struct WallHarness : testing::EngineHarness {
    WallHarness() { buildWall(4, 4); }
    void click(int element, bool ctrl = false) { wall.lblWand_MouseDown(element - 1, MouseButton::Left, ctrl); }
    Selection selection{model, view, user};
    WallWindowPresenter wall{model, view, user, selection};
};

TEST(WallWindow, PlainClickLeavesOnlyTheClickedElement)
{
    WallHarness h;
    h.click(1);
    h.click(2, true);
    h.click(5);
    EXPECT_EQ(h.selected(), (std::vector<int>{5}));
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurde Element Nr 5 ausgewählt. ");
}

TEST(WallWindow, CtrlClickRules)
{
    WallHarness h;
    h.click(3, true);  // count 0: selects alone
    EXPECT_EQ(h.selected(), (std::vector<int>{3}));
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurde Element Nr 3 ausgewählt. ");
    h.click(3, true);
    EXPECT_TRUE(h.selected().empty());
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurden 0 Elemente ausgewählt");

    h.click(7, true);
    h.click(9, true);
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurden 2 Elemente ausgewählt");
    h.click(7, true);
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurde Element Nr 9 ausgewählt. ");
}

TEST(WallWindow, RightClickRemembersTheElementAndPopsUpTheEditMenu)
{
    WallHarness h;
    h.click(2);
    h.wall.lblWand_MouseDown(10, MouseButton::Right, false);
    EXPECT_EQ(h.model.ContextElement, 11);
    EXPECT_EQ(h.view.editMenuPopUps, 1);
    EXPECT_EQ(h.selected(), (std::vector<int>{2}));
}

TEST(WallWindow, ClicksWithoutAWallOrOutsideItAreIgnored)
{
    WallHarness h;
    h.wall.lblWand_MouseDown(16, MouseButton::Left, false);
    h.wall.lblWand_MouseDown(-1, MouseButton::Right, false);
    h.model.clearState(StateFlag::WallPresent);
    h.click(1);
    EXPECT_TRUE(h.selected().empty());
    EXPECT_EQ(h.view.editMenuPopUps, 0);
}

TEST(WallWindow, OneSelectedElementBringsUpAnOpenPatchWindow)
{
    WallHarness h;
    h.click(4);
    EXPECT_EQ(h.view.patchWindowRaises, 0);
    h.model.setState(StateFlag::PatchWindowOpen);
    h.click(6);
    EXPECT_EQ(h.view.patchWindowRaises, 1);
    EXPECT_EQ(h.view.wallStatus.back(), "Zeige Patchdaten des ausgewälten Elements");
    h.click(7, true);  // two selected: no patch window
    EXPECT_EQ(h.view.patchWindowRaises, 1);
}

TEST(WallWindow, DoubleClickAsksWhatToDo)
{
    WallHarness h;
    h.click(2);
    h.wall.lblWand_DblClick(1);
    EXPECT_EQ(h.view.wallStatus.back(), " Wassollas?");
    EXPECT_EQ(h.selected(), (std::vector<int>{2}));
}

TEST(WallWindow, GeometryGoesIntoTheWindowTable)
{
    WallHarness h;
    h.wall.Form_Load();
    EXPECT_TRUE(h.model.hasState(StateFlag::WallWindowOpen));
    h.wall.Form_Resize({1, 2, 3000, 4000, 0});
    EXPECT_EQ(h.model.windowPosition(WindowNumber::Wall, 3), 3000);
    EXPECT_EQ(h.model.windowPosition(WindowNumber::Wall, 1), 0);  // a resize keeps the position
    h.model.setState(StateFlag::SilentFileOp);
    h.wall.Form_Resize({1, 2, 10, 10, 0});
    EXPECT_EQ(h.model.windowPosition(WindowNumber::Wall, 3), 3000);
    h.model.clearState(StateFlag::SilentFileOp);
    h.wall.Form_Unload({150, 250, 5000, 6000, 0});
    const WindowPlacement stored = h.wall.storedPlacement();
    EXPECT_EQ(stored.left, 150);
    EXPECT_EQ(stored.top, 250);
    EXPECT_EQ(stored.width, 5000);
    EXPECT_EQ(stored.height, 6000);
    EXPECT_FALSE(h.model.hasState(StateFlag::WallWindowOpen));
}

TEST(WallWindow, FunctionKeysReachTheSelection)
{
    WallHarness h;
    h.click(2);
    EXPECT_TRUE(h.wall.Form_KeyDown(114, true));  // Shift+F3
    h.click(9);
    EXPECT_TRUE(h.wall.Form_KeyDown(114, false));
    EXPECT_EQ(h.selected(), (std::vector<int>{2}));
    EXPECT_FALSE(h.wall.Form_KeyDown(112, false));
}

}  // namespace
TEST(WallWindow, ArrowKeysMoveTheFocusCellWithinTheWall)
{
    constexpr int Left = 37, Up = 38, Right = 39, Down = 40, Tab = 9;
    struct Case {
        int element;
        int key;
        int expected;  // element that has the focus afterwards, 0: not the wall's key
    } cases[] = {
        {6, Left, 5},  {6, Right, 7},  {6, Up, 2},     {6, Down, 10}, {5, Left, 5},
        {8, Right, 8}, {3, Up, 3},     {15, Down, 15},  // edges keep the focus
        {4, Right, 4}, {13, Left, 13}, {16, Down, 16}, {1, Up, 1},    {6, Tab, 0},
    };
    for (const Case& c : cases) {
        WallHarness h;
        EXPECT_EQ(h.wall.lblWand_KeyDown(c.element - 1, c.key, false) + 1, c.expected)
            << "element " << c.element << " key " << c.key;
        EXPECT_TRUE(h.selected().empty());
    }
}

TEST(WallWindow, SpaceSelectsAsAClickAndCtrlSpaceAsACtrlClick)
{
    constexpr int Space = 32;
    WallHarness h;
    h.click(1);
    EXPECT_EQ(h.wall.lblWand_KeyDown(2, Space, true), 2);
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(h.view.wallStatus.back(), " Es wurden 2 Elemente ausgewählt");
    h.wall.lblWand_KeyDown(2, Space, true);  // a second Ctrl+Space takes it away again
    EXPECT_EQ(h.selected(), (std::vector<int>{1}));
    h.wall.lblWand_KeyDown(9, Space, false);
    EXPECT_EQ(h.selected(), (std::vector<int>{10}));

    h.model.clearState(StateFlag::WallPresent);
    EXPECT_EQ(h.wall.lblWand_KeyDown(9, Space, false), -1);
    EXPECT_EQ(h.wall.lblWand_KeyDown(20, 37, false), -1);
}

}  // namespace tinctara
