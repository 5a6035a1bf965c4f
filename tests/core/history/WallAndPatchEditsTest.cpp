#include "core/files/FileHarness.h"
#include "core/history/DocumentFiles.h"
#include "dmx/InterfaceRegistry.h"
#include "files/MessageFile.h"
#include "history/ShowEdits.h"
#include "support/MainWindowFakes.h"
#include "text/Text.h"
#include "windows/MainWindowPresenter.h"
#include "windows/NewWallPresenter.h"
#include "windows/PatchWindowPresenter.h"

#include <gtest/gtest.h>

#include <functional>

namespace tinctara {
namespace {

using history::DocumentKind;
using testing::allFiles;
using testing::FakeMainWindowCommands;
using testing::FileHarness;

class QuietPatchView : public PatchWindowView {
public:
    void setField(int, std::string_view) override {}
    void setFieldClash(int, bool) override {}
    void setStatus(std::string_view) override {}
    void focusField(int) override {}
    void closeWindow() override {}
};

class QuietNewWallView : public NewWallView {
public:
    void setCaption(std::string_view) override {}
    void setField(int, std::string_view) override {}
    void setStatus(std::string_view) override {}
    void focusField(int) override {}
    void closeDialog() override { ++closes; }
    int closes = 0;
};

constexpr std::uint16_t ChangedMarks = DocumentFlag::ConfigChanged | DocumentFlag::SceneChanged |
                                       DocumentFlag::SequenceChanged | DocumentFlag::ColourTableChanged;

// A 4 x 3 wall with colours, corrections and a sequence of two steps, every
// document saved; the show's one history and the windows that record into it.
struct EditsHarness : FileHarness {
    EditsHarness()
    {
        model.WallName = fixedLength("Probe", WallNameLength);
        buildWall(4, 3);
        model.ChannelCount = 512;
        for (int element = 1; element <= 12; ++element)
            for (int plane = Red; plane <= White; ++plane) {
                model.correction(element, plane) = static_cast<std::uint8_t>(200 + element);
                model.colour(plane, element) = static_cast<std::uint8_t>(element * 10 + plane);
                for (int step = 1; step <= 2; ++step)
                    model.stepColour(step, element, plane) = static_cast<std::uint8_t>(step * 50 + element);
            }
        model.StepCount = 2;
        model.CurrentStep = 2;
        model.setState(StateFlag::SequencePresent);
        view.sequencerFields[1] = "7";
        saveConfiguration(path("show.CFG"));
        saveScene(path("show.CSC"));
        saveSequence(path("show.CSQ"));
        saveColourTable(path("show.CCT"));
        model.DocumentFlags &= static_cast<std::uint16_t>(~ChangedMarks);
        patch.recordEdits(&edits);
        newWall.recordEdits(&edits);
    }

    // The user enters a patch window field, types a text and leaves it.
    void enter(int index, const std::string& text)
    {
        patch.txtElement_GotFocus(index);
        patch.txtElement_Change(index, text);
        patch.txtElement_KeyUp(index, 48);
        patch.txtElement_LostFocus(index);
    }
    void showInPatchWindow(int element)
    {
        patch.Form_Load();
        enter(0, std::to_string(element));
    }
    std::uint16_t marks() const { return model.DocumentFlags & ChangedMarks; }

    ShowEdits edits{model};
    Selection selection{model, view, user};
    QuietPatchView patchView;
    PatchWindowPresenter patch{{model, view, user, selection}, patchView};
    QuietNewWallView newWallView;
    FakeMainWindowCommands mainWindow;
    NewWallPresenter newWall{{model, view, user, mainWindow}, newWallView};
};

TEST(PatchWindowEdits, EachChangedFieldIsOneEntryThatUndoesToTheSavedFile)
{
    struct Case {
        const char* caption;
        std::function<void(EditsHarness&)> edit;
    };
    const Case cases[] = {
        {"Patch Element 4", [](EditsHarness& h) { h.enter(2, "480"); }},
        {"Korrektur Element 4", [](EditsHarness& h) { h.enter(8, "17"); }},
        // An emptied correction field stores 0.
        {"Korrektur Element 4", [](EditsHarness& h) { h.enter(5, ""); }},
        {"Korrektur auf alle Elemente",
         [](EditsHarness& h) {
             h.patch.txtElement_Change(6, "3");
             h.patch.cmdColorCorrektion_Click();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EditsHarness h;
        h.showInPatchWindow(4);
        const auto before = allFiles(h);
        c.edit(h);
        const auto after = allFiles(h);
        ASSERT_NE(after, before);
        EXPECT_EQ(h.edits.history().undoCount(), 1u);
        EXPECT_EQ(h.edits.history().undoCaption(), std::string("Rückgängig: ") + c.caption);
        EXPECT_EQ(h.marks(), DocumentFlag::ConfigChanged);

        ASSERT_TRUE(h.edits.undo());
        EXPECT_EQ(allFiles(h), before);
        EXPECT_EQ(h.marks(), 0);
        ASSERT_TRUE(h.edits.redo());
        EXPECT_EQ(allFiles(h), after);
        EXPECT_EQ(h.marks(), DocumentFlag::ConfigChanged);
    }
}

TEST(PatchWindowEdits, RefusedOrUnchangedValuesLeaveNoEntry)
{
    for (const auto& [field, text] :
         std::vector<std::pair<int, std::string>>{{1, "0"}, {1, "513"}, {1, "13"}, {5, "256"}, {5, "-1"}, {5, "204"}}) {
        SCOPED_TRACE(text);
        EditsHarness h;
        h.showInPatchWindow(4);
        h.enter(field, text);
        EXPECT_EQ(h.edits.history().undoCount(), 0u);
        EXPECT_FALSE(h.edits.history().editOpen());
    }
    // Two fields left one after the other: two entries, undone one at a time.
    EditsHarness h;
    h.showInPatchWindow(2);
    const auto before = allFiles(h);
    h.enter(1, "100");
    const auto between = allFiles(h);
    h.enter(7, "9");
    EXPECT_EQ(h.edits.history().undoCaption(), "Rückgängig: Korrektur Element 2");
    ASSERT_TRUE(h.edits.undo());
    EXPECT_EQ(allFiles(h), between);
    EXPECT_EQ(h.edits.history().undoCaption(), "Rückgängig: Patch Element 2");
    ASSERT_TRUE(h.edits.undo());
    EXPECT_EQ(allFiles(h), before);
}

// Columns and rows typed into the dialog, then OK.
void buildNewWall(EditsHarness& h, int columns, int rows)
{
    h.newWall.Form_Load();
    h.newWall.txtfeld_Change(1, std::to_string(columns));
    h.newWall.txtfeld_KeyUp(1, 48 + columns % 10);
    h.newWall.txtfeld_Change(2, std::to_string(rows));
    h.newWall.txtfeld_KeyUp(2, 48 + rows % 10);
    h.newWall.cmdOK_Click();
}

TEST(NewWallEdits, ANewWallIsOneEntryOverConfigurationSceneAndSequence)
{
    EditsHarness h;
    const auto before = allFiles(h);
    const auto positions = h.model.ElementPositions;
    const auto colours = h.model.ElementColours;
    buildNewWall(h, 2, 5);
    ASSERT_EQ(h.model.ElementCount, 10);
    const auto after = allFiles(h);
    for (const DocumentKind kind : {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence})
        EXPECT_NE(after[static_cast<std::size_t>(kind)], before[static_cast<std::size_t>(kind)]);
    EXPECT_EQ(h.edits.history().undoCount(), 1u);
    EXPECT_EQ(h.edits.history().undoCaption(), "Rückgängig: Neue Wand");
    EXPECT_EQ(h.edits.history().undoKinds(),
              (history::DocumentKinds{DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence}));

    EXPECT_EQ(h.model.ChannelCount, 40);
    ASSERT_TRUE(h.edits.undo());
    EXPECT_EQ(allFiles(h), before);
    EXPECT_EQ(h.model.DocumentFlags, 0);  // no exit question about a new wall that is gone
    EXPECT_EQ(h.model.ChannelCount, 48);
    // The old wall is back in the model: the view is rebuilt by whoever hears the restore.
    EXPECT_EQ(h.model.ElementCount, 12);
    EXPECT_EQ(h.model.WallColumns, 4);
    EXPECT_EQ(h.model.WallRows, 3);
    EXPECT_TRUE(h.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(h.model.ElementPositions, positions);
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_EQ(h.model.CurrentStep, 2);

    ASSERT_TRUE(h.edits.redo());
    EXPECT_EQ(allFiles(h), after);
    EXPECT_EQ(h.model.ElementCount, 10);
    EXPECT_EQ(h.model.ChannelCount, 40);
    EXPECT_EQ(h.marks(), DocumentFlag::ConfigChanged | DocumentFlag::SceneChanged | DocumentFlag::SequenceChanged);
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigNew));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneNew));
}

TEST(NewWallEdits, ARefusedOrCancelledDialogLeavesNoEntry)
{
    struct Case {
        const char* name;
        int columns;
        int rows;
        std::optional<tinctara::DocumentKind> cancelAt;
    };
    const Case cases[] = {
        {"no elements", 0, 5, std::nullopt},
        {"too many", 12, 11, std::nullopt},
        {"cancelled at the question", 2, 5, tinctara::DocumentKind::Scene},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditsHarness h;
        h.mainWindow.cancelAt = c.cancelAt;
        buildNewWall(h, c.columns, c.rows);
        EXPECT_EQ(h.model.ElementCount, 12);
        EXPECT_EQ(h.edits.history().undoCount(), 0u);
        EXPECT_FALSE(h.edits.history().editOpen());
        EXPECT_EQ(h.newWallView.closes, 0);
    }
}

// The main window's presenter over the harness's show, for "Wand löschen".
struct DeleteHarness : EditsHarness {
    DeleteHarness() { main.recordEdits(&edits); }
    testing::FakeMainWindow window;
    testing::FakeShowCommands commands;
    MessageTable messages;
    InterfaceRegistry interfaces{model, view, user, timer, messages};
    testing::FakeSettingsStore settings;
    testing::FakeSystemInfo system;
    MainWindowPresenter main{
        {model, view, user, timer, window, commands, interfaces, settings, system, messages, root.string()}};
};

TEST(DeleteWallEdits, DeletingTheWallIsUndoneWithoutTouchingTheMarks)
{
    DeleteHarness h;
    const auto before = allFiles(h);
    h.user.answers = {MessageAnswer::No};
    h.main.mnuWandLoeschen_Click();
    EXPECT_EQ(h.edits.history().undoCount(), 0u);

    h.user.answers = {MessageAnswer::Yes};
    h.main.mnuWandLoeschen_Click();
    ASSERT_EQ(h.model.ElementCount, 0);
    const auto after = allFiles(h);
    EXPECT_EQ(h.edits.history().undoCaption(), "Rückgängig: Wand gelöscht");
    EXPECT_EQ(h.marks(), 0);

    ASSERT_TRUE(h.edits.undo());
    EXPECT_EQ(allFiles(h), before);
    EXPECT_EQ(h.model.ElementCount, 12);
    EXPECT_TRUE(h.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(h.marks(), 0);
    ASSERT_TRUE(h.edits.redo());
    EXPECT_EQ(allFiles(h), after);
    EXPECT_FALSE(h.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(h.marks(), 0);
}

}  // namespace
}  // namespace tinctara
