#include "model/Selection.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::EngineHarness;

struct SelectionHarness : EngineHarness {
    explicit SelectionHarness(int columns = 4, int rows = 4) { buildWall(columns, rows); }
    std::string status() const { return view.wallStatus.empty() ? std::string() : view.wallStatus.back(); }
    Selection selection{model, view, user};
};

TEST(Selection, StatusTextsOfEachOperation)
{
    SelectionHarness h;
    h.selection.selectSingle(4);
    EXPECT_EQ(h.status(), " Es wurde Element Nr 5 ausgewählt. ");
    EXPECT_TRUE(h.view.selectedLook.at(4));
    h.selection.addToSelection(6);
    EXPECT_EQ(h.status(), " Es wurden 2 Elemente ausgewählt");
    h.selection.addToSelection(9);
    h.selection.deselect(6);
    EXPECT_EQ(h.status(), " Es wurden 2 Elemente ausgewählt");
    EXPECT_FALSE(h.view.selectedLook.at(6));
    h.selection.deselect(4);
    EXPECT_EQ(h.status(), " Es wurde Element Nr 10 ausgewählt. ");  // names the one still selected
    h.selection.deselect(9);
    EXPECT_EQ(h.status(), " Es wurden 0 Elemente ausgewählt");
    h.selection.deselect(9);  // not selected: the count stays
    EXPECT_EQ(h.model.SelectionCount, 0);
    EXPECT_EQ(h.selection.firstSelected(), 0);
}

TEST(Selection, SelectAllAndInvert)
{
    SelectionHarness h(3, 2);
    h.selection.selectSingle(1);
    h.selection.selectAll();
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(h.status(), " Es wurden 6 Elemente ausgewählt");
    h.selection.deselect(0);
    h.selection.deselect(4);
    h.selection.invert();
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 5}));
    EXPECT_EQ(h.model.SelectionCount, 2);
    EXPECT_EQ(h.selection.firstSelected(), 1);
}

TEST(Selection, DeselectedCellGetsItsDisplayColourBack)
{
    SelectionHarness h;
    h.setElement(3, 200, 0, 0, 100);
    h.selection.selectSingle(2);
    h.selection.deselect(2);
    EXPECT_EQ(h.view.elementColours.at(2), (Rgb{255, 100, 100}));
    EXPECT_FALSE(h.view.selectedLook.at(2));
}

TEST(Selection, FunctionKeyMemories)
{
    SelectionHarness h;
    h.model.SelectionMemory[ShowModel::selectionMemoryIndex(200, 1)] = 1;  // a slot beyond the wall
    h.selection.selectSingle(0);
    h.selection.addToSelection(5);
    EXPECT_TRUE(h.selection.functionKey(113, true));  // Shift+F2
    EXPECT_EQ(h.status(), "Selectionen gemerkt .");
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
    EXPECT_EQ(h.model.SelectionMemory[ShowModel::selectionMemoryIndex(200, 1)], 0);

    h.selection.clear();
    h.selection.selectSingle(9);
    h.selection.addToSelection(10);
    EXPECT_TRUE(h.selection.functionKey(123, true));  // Shift+F12 keeps another one
    h.selection.clear();
    h.selection.selectSingle(15);

    EXPECT_TRUE(h.selection.functionKey(113, false));  // F2
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 6}));
    EXPECT_EQ(h.model.SelectionCount, 2);
    EXPECT_EQ(h.status(), " Es wurden 2 Elemente ausgewählt");
    EXPECT_TRUE(h.selection.functionKey(123, false));  // F12
    EXPECT_EQ(h.selected(), (std::vector<int>{10, 11}));
    EXPECT_EQ(h.model.SelectionCount, 2);

    const auto before = h.model.SelectionFlags;
    for (int key : {112, 124, 65})  // F1, F13, a letter
        EXPECT_FALSE(h.selection.functionKey(key, true)) << key;
    EXPECT_EQ(h.model.SelectionFlags, before);
}

TEST(Selection, RecallLeavesSlotsBeyondTheWallAlone)
{
    SelectionHarness h(2, 2);
    h.model.SelectionMemory[ShowModel::selectionMemoryIndex(2, 3)] = 1;
    h.model.SelectionMemory[ShowModel::selectionMemoryIndex(9, 3)] = 1;  // from a larger wall
    h.selection.functionKey(115, false);                                 // F4
    EXPECT_EQ(h.selected(), (std::vector<int>{2}));
    EXPECT_TRUE(h.user.messages.empty());
}

TEST(Selection, DeselectingACellThatDoesNotExistAsksToRetry)
{
    SelectionHarness h(2, 2);
    h.user.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};
    h.selection.deselect(7);
    ASSERT_EQ(h.user.messages.size(), 2u);
    EXPECT_EQ(h.user.messages[0].text, "Fehler beim Makieren.");
    EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(h.model.SelectionCount, 1);  // Retry sets the count to 1
}

TEST(Selection, ReMarkGivesSelectedCellsTheirLookAgain)
{
    SelectionHarness h;
    h.selection.selectSingle(3);
    h.view.selectedLook.clear();
    h.selection.reMark();
    EXPECT_EQ(h.view.selectedLook, (std::map<int, bool>{{3, true}}));
}

}  // namespace
}  // namespace tinctara
