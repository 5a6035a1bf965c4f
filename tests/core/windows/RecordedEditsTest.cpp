#include "core/files/FileHarness.h"
#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "support/SavedDocuments.h"
#include "support/ScriptedClock.h"
#include "windows/ClosedColourWindow.h"
#include "windows/SequencerPresenter.h"
#include "windows/ShowFileCommands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>

namespace tinctara {
namespace {

using history::DocumentKind;

// A saved 3 x 2 show with a two-step sequence and a colour table, the
// windows that record edits into one history, and the file commands that
// save through the real savers into a scratch folder.
struct EditsHarness : testing::EngineHarness {
    EditsHarness()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-edits-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        buildWall(3, 2);
        for (int element = 1; element <= 6; ++element)
            setElement(element, element, 2 * element, 0, 0);
        setStep(1, 1, 10, 0, 0, 0, 1, 5);
        setStep(2, 1, 20, 0, 0, 0, 2, 6);
        model.StepCount = 2;
        model.CurrentStep = 1;
        model.setState(StateFlag::SequencePresent);
        model.ColourLevels[ShowModel::userColourIndex(3, Green)] = 77;
        view.sequencerFields = {"1", "5", "1"};
        model.ConfigFileName = path("show.CFG");
        model.SceneFileName = path("show.CSC");
        model.SequenceFileName = path("show.CSQ");
        model.ColourTableFileName = path("show.CCT");
        model.clearState(StateFlag::ImmediateApply);
        model.setState(StateFlag::SilentFileOp);
        for (const auto kind : {Config, Scene, Sequence, Table})
            EXPECT_TRUE(files.save(kind));
        edits = std::make_unique<ShowEdits>(model);
        files.recordEdits(edits.get());
        colour.recordEdits(edits.get());
        sequencer.recordEdits(edits.get());
        edits->onRestored([this](const RestoredDocuments& restored) { files.showRestored(restored); });
    }
    ~EditsHarness()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    static constexpr auto Config = tinctara::DocumentKind::Config;
    static constexpr auto Scene = tinctara::DocumentKind::Scene;
    static constexpr auto Sequence = tinctara::DocumentKind::Sequence;
    static constexpr auto Table = tinctara::DocumentKind::ColourTable;

    std::string path(const std::string& name) const { return (root / name).string(); }
    // The bytes the kind's saver writes now; the marks and names stay.
    std::string bytes(tinctara::DocumentKind kind)
    {
        ShowFileContext context{model, view, user, timer, root.string()};
        return testing::savedBytes(context, kind, root);
    }

    std::filesystem::path root;
    std::unique_ptr<ShowEdits> edits;
    ShowFileCommands files{{model, view, user, timer, root.string()}};
    Selection selection{model, view, user};
    ClosedColourWindow closedColour{{model, view, user, selection}};
    StatusOnlyColourView colourView;
    ColourWindowPresenter colour{{model, view, user, selection}, colourView};
    testing::FakeMainWindowCommands confirm;
    testing::FakeSettingsStore settings;
    testing::ScriptedClock clock;
    SequencerPresenter sequencer{{model, view, user, timer, engine, confirm, selection, bus, settings, clock}};
};

struct EditCase {
    const char* name;
    tinctara::DocumentKind kind;
    std::uint16_t mark;  // 0: the edit sets none
    const char* caption;
    std::function<void(EditsHarness&)> edit;
};

const EditCase Cases[] = {
    {"apply", EditsHarness::Scene, DocumentFlag::SceneChanged, "Farbe auf 3 Elemente",
     [](EditsHarness& h) {
         h.selection.addToSelection(0);
         h.selection.addToSelection(2);
         h.selection.addToSelection(5);
         h.model.MixColour = {1, 2, 3, 4};
         h.colour.cmdColor_Click(1);
     }},
    {"fader drag with immediate apply", EditsHarness::Scene, DocumentFlag::SceneChanged, "Farbe auf 2 Elemente",
     [](EditsHarness& h) {
         h.selection.addToSelection(0);
         h.selection.addToSelection(1);
         h.model.setState(StateFlag::ImmediateApply);
         h.colour.faderPressed();
         for (int value = 40; value <= 200; value += 40)
             h.colour.ScrFarbe_Change(2, value);
         h.colour.faderReleased();
         EXPECT_EQ(h.edits->history().undoCount(), 1u);
     }},
    {"colour from outside, window closed", EditsHarness::Scene, DocumentFlag::SceneChanged, "Farbe auf 1 Element",
     [](EditsHarness& h) {
         h.closedColour.recordEdits(h.edits.get());
         h.selection.addToSelection(3);
         h.closedColour.apply({5, 6, 7, 8}, h.model);
     }},
    {"user colour stored", EditsHarness::Table, DocumentFlag::ColourTableChanged, "Farbtabelle Farbe 4",
     [](EditsHarness& h) {
         h.model.MixColour = {11, 12, 13, 14};
         h.colour.cmdColor_Click(3);
         h.colour.txtUserColor_Click(3);
     }},
    {"user colour named", EditsHarness::Table, DocumentFlag::ColourTableChanged, "Name Farbe 2",
     [](EditsHarness& h) {
         h.colour.txtUserColor_Click(1);
         h.colour.txtFarbName_Change("Abendrot");
         h.colour.txtFarbName_LostFocus();
     }},
    {"STOP over painted colours", EditsHarness::Scene, 0, "STOP",
     [](EditsHarness& h) {
         // The wall stands apart from step 1, as the tick or a painting left it.
         h.sequencer.cmdSequence_Click(StopButton);
         EXPECT_EQ(h.model.colour(Red, 1), 10);
     }},
    {"CLR ALL", EditsHarness::Sequence, 0, "CLR ALL",
     [](EditsHarness& h) {
         h.sequencer.cmdSequence_Click(ClearAll);
         EXPECT_EQ(h.model.StepCount, 0);
     }},
};

// With "sofort übernehmen" a picked user colour sets the faders one after
// another, each painting: still one entry per pick, and undo goes back to
// the colour picked before, not to a mix of the two.
TEST(RecordedEditsColour, EachPickedColourIsOneEntry)
{
    EditsHarness h;
    h.selection.addToSelection(0);
    h.selection.addToSelection(1);
    h.model.setState(StateFlag::ImmediateApply);
    for (int plane = Red; plane <= White; ++plane) {  // red and green
        h.model.ColourLevels[ShowModel::userColourIndex(1, plane)] = plane == Red ? 255 : 0;
        h.model.ColourLevels[ShowModel::userColourIndex(2, plane)] = plane == Green ? 255 : 0;
    }
    h.colour.txtUserColor_Click(0);
    h.colour.txtUserColor_Click(1);
    ASSERT_EQ(h.edits->history().undoCount(), 2u);
    EXPECT_EQ(h.edits->history().undoCaption(), "Rückgängig: Farbe auf 2 Elemente");
    h.edits->undo();
    for (int element : {1, 2})
        for (int plane = Red; plane <= White; ++plane)
            EXPECT_EQ(h.model.colour(plane, element), plane == Red ? 255 : 0);
}

class RecordedEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(RecordedEdits, UndoPutsTheSavedFileBackAndRedoTheEdit)
{
    const EditCase& c = GetParam();
    EditsHarness h;
    const std::string before = h.bytes(c.kind);
    c.edit(h);
    const std::string after = h.bytes(c.kind);
    ASSERT_NE(after, before);
    EXPECT_EQ(h.edits->history().undoCaption(), std::string("Rückgängig: ") + c.caption);
    if (c.mark) {
        EXPECT_TRUE(h.model.hasDocument(c.mark));
    }

    const std::uint16_t marks = h.model.DocumentFlags;
    ASSERT_TRUE(h.edits->undo());
    EXPECT_EQ(h.bytes(c.kind), before);
    if (c.mark) {  // back to what the file holds: no longer unsaved
        EXPECT_FALSE(h.model.hasDocument(c.mark));
    } else {  // an edit that set no mark changes none when undone
        EXPECT_EQ(h.model.DocumentFlags, marks);
    }
    EXPECT_EQ(h.edits->history().redoCaption(), std::string("Wiederholen: ") + c.caption);

    ASSERT_TRUE(h.edits->redo());
    EXPECT_EQ(h.bytes(c.kind), after);
    if (c.mark) {
        EXPECT_TRUE(h.model.hasDocument(c.mark));
    }
}

// Named, not dumped as bytes: the dump holds addresses, and the test list
// must read the same from one build to the next.
void PrintTo(const EditCase& edit, std::ostream* out) { *out << edit.name; }

INSTANTIATE_TEST_SUITE_P(Windows, RecordedEdits, ::testing::ValuesIn(Cases), [](const auto& test) {
    std::string name;
    for (const char ch : std::string(test.param.name))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

TEST(RecordedEditsRefused, NothingDoneRecordsNothing)
{
    EditsHarness h;
    h.model.MixColour = {1, 2, 3, 4};
    h.colour.cmdColor_Click(1);                             // nothing selected
    h.confirm.cancelAt = tinctara::DocumentKind::Sequence;  // CLR ALL: the unsaved-work question cancelled
    h.sequencer.cmdSequence_Click(ClearAll);
    EXPECT_EQ(h.model.StepCount, 2);
    EXPECT_FALSE(h.edits->history().canUndo());
}

TEST(RecordedEditsFiles, ALoadDropsTheKindsItReplacedAndASaveMarksTheSavedState)
{
    EditsHarness h;
    h.selection.addToSelection(0);
    h.model.MixColour = {1, 2, 3, 4};
    h.colour.cmdColor_Click(1);
    h.model.MixColour = {5, 6, 7, 8};
    h.colour.cmdColor_Click(3);
    h.colour.txtUserColor_Click(0);  // stores colour 1 into the table
    ASSERT_EQ(h.edits->history().undoCount(), 2u);

    // A cancelled load changes nothing and keeps the history.
    h.model.clearState(StateFlag::SilentFileOp);
    EXPECT_FALSE(h.files.load(EditsHarness::Sequence));
    EXPECT_EQ(h.edits->history().undoCount(), 2u);

    // The sequence's first step goes onto the wall: the colour applied is gone from the history.
    h.model.setState(StateFlag::SilentFileOp);
    ASSERT_TRUE(h.files.load(EditsHarness::Sequence));
    EXPECT_EQ(h.edits->history().undoCount(), 1u);
    EXPECT_EQ(h.edits->history().undoCaption(), "Rückgängig: Farbtabelle Farbe 1");

    // Saved after the edit: undoing it leaves the table unsaved, redoing it saved again.
    ASSERT_TRUE(h.files.save(EditsHarness::Table));
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ColourTableChanged));
    h.edits->undo();
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ColourTableChanged));
    h.edits->redo();
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ColourTableChanged));
}

// A load that fails part way has changed what it read so far: the entries of
// those documents no longer fit and go; one that read nothing keeps them.
TEST(RecordedEditsFiles, AFailedLoadDropsOnlyTheKindsItAlreadyChanged)
{
    EditsHarness h;
    {
        RecordedEdit edit(h.edits.get(), "Patch Element 1", {history::DocumentKind::Config});
        h.model.patch(1, Red) = 300;
        h.model.setDocument(DocumentFlag::ConfigChanged);
    }
    h.model.MixColour = {1, 2, 3, 4};
    h.colour.cmdColor_Click(3);
    h.colour.txtUserColor_Click(0);
    ASSERT_EQ(h.edits->history().undoCount(), 2u);

    h.model.ConfigFileName = h.path("fehlt.CFG");
    EXPECT_FALSE(h.files.load(EditsHarness::Config));
    EXPECT_EQ(h.edits->history().undoCount(), 2u);
    EXPECT_EQ(h.model.patch(1, Red), 300);

    std::string saved = testing::readBytes(h.path("show.CFG"));
    const std::size_t patching = saved.find("[Patching]\r\n");
    ASSERT_NE(patching, std::string::npos);
    saved.replace(patching, std::string::npos, "[Patching]\r\n 9,-1\r\n");
    testing::writeBytes(h.path("kaputt.CFG"), saved);
    h.model.ConfigFileName = h.path("kaputt.CFG");
    EXPECT_FALSE(h.files.load(EditsHarness::Config));
    EXPECT_EQ(h.model.patch(1, Red), 9);
    EXPECT_EQ(h.edits->history().undoCount(), 1u);
    EXPECT_EQ(h.edits->history().undoCaption(), "Rückgängig: Farbtabelle Farbe 1");
}

TEST(RecordedEditsShown, WhatAnUndoPutsBackIsShown)
{
    EditsHarness h;
    h.model.setState(StateFlag::ColourWindowOpen);

    // A sequence put back: the step field and the step's times.
    h.sequencer.cmdSequence_Click(ClearAll);
    h.view.sequencerFields = {"", "", ""};
    h.edits->undo();
    EXPECT_EQ(h.view.sequencerFields, (std::array<std::string, 3>{" 1", "5", "1"}));
    EXPECT_EQ(h.view.lastLabel(), "Rückgängig: CLR ALL");  // not "Die Sequenz wurde gelöscht."
    h.edits->redo();
    EXPECT_EQ(h.view.lastLabel(), "Wiederholen: CLR ALL");
    h.edits->undo();

    // The colour table: the colour window's swatches.
    const int redraws = h.view.userColourRedraws;
    h.model.MixColour = {5, 6, 7, 8};
    h.colour.cmdColor_Click(3);
    h.colour.txtUserColor_Click(0);
    h.edits->undo();
    EXPECT_GT(h.view.userColourRedraws, redraws);

    // A configuration put back lays the wall out anew, with its own patch.
    h.edits->history().begin("Neue Wand", {DocumentKind::Config});
    h.model.WallColumns = 2;
    h.model.WallRows = 1;
    BuildWall(h.model, h.view, h.user, WallBuildKind::NewOrEdited);
    h.model.patch(2, Red) = 400;
    h.edits->commit(history::FlagEffect::MarksChanged);
    ASSERT_EQ(h.model.ElementCount, 2);
    h.view.cells.clear();
    h.edits->undo();
    EXPECT_EQ(h.model.ElementCount, 6);
    EXPECT_EQ(h.view.cells.size(), 6u);
    EXPECT_EQ(h.model.patch(2, Red), 5);
    h.edits->redo();
    EXPECT_EQ(h.view.cells.size(), 2u);
    EXPECT_EQ(h.model.patch(2, Red), 400);

    // A patch put back leaves the wall's cells and window as they are.
    h.model.setState(StateFlag::PatchWindowOpen);
    {
        RecordedEdit edit(h.edits.get(), "Patch Element 1", {DocumentKind::Config});
        h.model.patch(1, Red) = 7;
    }
    h.selection.addToSelection(1);
    h.view.selectedLook.clear();
    h.view.cells.clear();
    const int removals = h.view.wallRemovals;
    h.view.wallSize = {0, 0};
    const int refreshes = h.view.patchWindowRefreshes;
    h.edits->undo();
    EXPECT_EQ(h.model.patch(1, Red), 1);
    EXPECT_EQ(h.view.patchWindowRefreshes, refreshes + 1);
    EXPECT_TRUE(h.view.cells.empty());
    EXPECT_EQ(h.view.wallRemovals, removals);
    EXPECT_EQ(h.view.wallSize, (std::pair<double, double>{0, 0}));
    EXPECT_EQ(h.view.selectedLook, (std::map<int, bool>{{1, true}}));  // repainted, then marked again
}

}  // namespace
}  // namespace tinctara
