#include "core/files/FileHarness.h"
#include "core/history/DocumentFiles.h"
#include "history/UndoHistory.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <functional>

namespace tinctara {
namespace {

using history::AllDocumentKinds;
using history::DocumentKind;
using history::DocumentKinds;
using history::FlagEffect;
using history::UndoHistory;
using testing::allFiles;
using testing::FileHarness;


// A show with something in every document, saved, so that all four stand as in their files.
void fillShow(FileHarness& h)
{
    h.model.WallName = fixedLength("Probe", WallNameLength);
    h.buildWall(4, 3);
    for (int element = 1; element <= 12; ++element)
        for (int plane = Red; plane <= White; ++plane) {
            h.model.correction(element, plane) = static_cast<std::uint8_t>(200 + element);
            h.model.colour(plane, element) = static_cast<std::uint8_t>(element * 10 + plane);
        }
    h.model.DmxTiming[2] = 44;
    h.model.StepCount = 3;
    for (int step = 1; step <= 3; ++step) {
        for (int element = 1; element <= 12; ++element)
            for (int plane = Red; plane <= White; ++plane)
                h.model.stepColour(step, element, plane) = static_cast<std::uint8_t>(step * 50 + element + plane);
        h.model.holdTime(step) = static_cast<std::uint16_t>(step);
        h.model.blendTime(step) = static_cast<std::uint16_t>(step * 7);
    }
    h.model.CurrentStep = 3;
    h.model.SelectionMemory[ShowModel::selectionMemoryIndex(3, 2)] = 1;
    h.model.setState(StateFlag::SequencePresent);
    h.model.ColourNames.fill(fixedLength("Rot", UserColourNameLength));
    h.model.ColourLevels[7] = 99;
    h.view.sequencerFields[1] = "7";
    ASSERT_EQ(h.saveConfiguration(h.path("show.CFG")), SaveOutcome::Saved);
    ASSERT_EQ(h.saveColourTable(h.path("show.CCT")), SaveOutcome::Saved);
    ASSERT_EQ(h.saveScene(h.path("show.CSC")), SaveOutcome::Saved);
    ASSERT_EQ(h.saveSequence(h.path("show.CSQ")), SaveOutcome::Saved);
}

struct EditCase {
    const char* caption;
    DocumentKinds kinds;
    std::function<void(FileHarness&)> edit;  // sets the marks as the program's edit does
};

const EditCase Edits[] = {
    {"Patch geändert",
     {DocumentKind::Config},
     [](FileHarness& h) {
         h.model.patch(2, Red) = 300;
         h.model.correction(5, White) = 1;
         h.model.DmxTiming[0] = -3;
         h.model.WallName = fixedLength("Andere", WallNameLength);
         h.model.setDocument(DocumentFlag::ConfigChanged);
     }},
    {"Farbe auf 6 Elemente",
     {DocumentKind::Scene},
     [](FileHarness& h) {
         for (int element = 1; element <= 6; ++element)
             h.model.colour(Blue, element) = 255;
         h.model.setDocument(DocumentFlag::SceneChanged);
     }},
    {"Schritt angehängt",
     {DocumentKind::Sequence},
     [](FileHarness& h) {
         h.model.StepCount = 4;
         for (int element = 1; element <= 12; ++element)
             h.model.stepColour(4, element, Green) = 9;
         h.model.holdTime(4) = 11;
         h.model.blendTime(2) = 500;
         h.model.SelectionMemory[ShowModel::selectionMemoryIndex(7, 9)] = 1;
         h.model.setDocument(DocumentFlag::SequenceChanged);
     }},
    {"Farbtabelle",
     {DocumentKind::ColourTable},
     [](FileHarness& h) {
         h.model.ColourNames[4] = fixedLength("Dunkelgrün", UserColourNameLength);
         h.model.ColourLevels[79] = 1;
         h.model.setDocument(DocumentFlag::ColourTableChanged);
     }},
    // A new wall: other element count and positions, colours and sequence gone.
    {"Neue Wand",
     {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence},
     [](FileHarness& h) {
         h.model.WallColumns = 2;
         h.model.WallRows = 5;
         BuildWall(h.model, h.view, h.user, WallBuildKind::NewOrEdited);
         h.model.ElementColours.fill(0);
         h.model.StepCount = 0;
         h.model.clearState(StateFlag::SequencePresent);
         h.model.setDocument(DocumentFlag::SceneChanged);
     }},
};

TEST(UndoFiles, UndoAndRedoGiveBackTheSavedBytesAndMarksOfEveryDocument)
{
    for (const EditCase& edit : Edits) {
        SCOPED_TRACE(edit.caption);
        FileHarness h;
        fillShow(h);
        UndoHistory history(h.model);
        const auto before = allFiles(h);
        const std::uint16_t newMarks = h.model.DocumentFlags;

        history.begin(edit.caption, edit.kinds);
        edit.edit(h);
        ASSERT_TRUE(history.commit());
        const auto after = allFiles(h);
        EXPECT_EQ(history.undoCaption(), std::string("Rückgängig: ") + edit.caption);
        const std::uint16_t editNewMarks =
            h.model.DocumentFlags & ~(DocumentFlag::ConfigChanged | DocumentFlag::SceneChanged |
                                      DocumentFlag::SequenceChanged | DocumentFlag::ColourTableChanged);

        ASSERT_TRUE(history.undo());
        EXPECT_EQ(allFiles(h), before);
        for (const DocumentKind kind : AllDocumentKinds)
            EXPECT_FALSE(h.model.hasDocument(history::changedFlag(kind))) << static_cast<int>(kind);
        EXPECT_EQ(h.model.DocumentFlags, newMarks);  // a new wall's *New marks go with it
        EXPECT_EQ(history.redoCaption(), std::string("Wiederholen: ") + edit.caption);

        ASSERT_TRUE(history.redo());
        EXPECT_EQ(allFiles(h), after);
        for (const DocumentKind kind : AllDocumentKinds)
            EXPECT_EQ(h.model.hasDocument(history::changedFlag(kind)), edit.kinds.contains(kind));
        EXPECT_EQ(h.model.DocumentFlags & editNewMarks, editNewMarks);

        // Saved there, an edit that sets no mark leaves the marks alone both ways.
        h.model.DocumentFlags = 0;
        for (const DocumentKind kind : AllDocumentKinds)
            history.documentSaved(kind);
        history.begin("Haltezeit", edit.kinds);
        if (edit.kinds.contains(DocumentKind::Config))
            h.model.patch(1, Red) = 2;
        if (edit.kinds.contains(DocumentKind::Scene))
            h.model.colour(Red, 1) = 1;
        if (edit.kinds.contains(DocumentKind::Sequence))
            h.model.holdTime(1) = 60000;
        if (edit.kinds.contains(DocumentKind::ColourTable))
            h.model.ColourLevels[0] = 3;
        ASSERT_TRUE(history.commit(FlagEffect::LeavesMarks));
        ASSERT_TRUE(history.undo());
        EXPECT_EQ(allFiles(h), after);
        EXPECT_EQ(h.model.DocumentFlags, 0);
        ASSERT_TRUE(history.redo());
        EXPECT_EQ(h.model.DocumentFlags, 0);
        // Back past the save: the documents differ from their files again.
        ASSERT_TRUE(history.undo());
        ASSERT_TRUE(history.undo());
        EXPECT_EQ(allFiles(h), before);
        for (const DocumentKind kind : AllDocumentKinds)
            EXPECT_EQ(h.model.hasDocument(history::changedFlag(kind)), edit.kinds.contains(kind));
    }
}

TEST(UndoFiles, AnUndoneWallStandsAsBuiltAndTheSequencerOnAStepThatExists)
{
    FileHarness h;
    fillShow(h);
    const ShowModel built = h.model;
    UndoHistory history(h.model);
    history.begin("Neue Wand", {DocumentKind::Config, DocumentKind::Sequence});
    h.model.WallColumns = 11;
    h.model.WallRows = 11;
    BuildWall(h.model, h.view, h.user, WallBuildKind::NewOrEdited);
    h.model.clearState(StateFlag::WallPresent);
    h.model.StepCount = 1;
    history.commit();
    history.undo();
    EXPECT_EQ(h.model.ElementPositions, built.ElementPositions);
    EXPECT_EQ(h.model.ElementCount, 12);
    EXPECT_TRUE(h.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(h.model.CurrentStep, 3);
    history.redo();
    EXPECT_FALSE(h.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.model.ElementCount, 121);
}

TEST(UndoFiles, AnUndoneWallTakesItsChannelTotalAndNewMarksWithItUnlessItWasSaved)
{
    FileHarness h;
    fillShow(h);
    ASSERT_TRUE(h.model.hasState(StateFlag::AutoChannelCount));
    ASSERT_EQ(h.model.ChannelCount, 48);
    UndoHistory history(h.model);
    const auto newWall = [&] {
        history.begin("Neue Wand", {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence});
        h.model.WallColumns = 5;
        h.model.WallRows = 5;
        BuildWall(h.model, h.view, h.user, WallBuildKind::NewOrEdited);
        ASSERT_TRUE(history.commit());
    };
    newWall();
    EXPECT_EQ(h.model.ChannelCount, 100);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(h.model.ChannelCount, 48);
    EXPECT_EQ(h.model.DocumentFlags, 0);  // nothing to ask at the exit: the saved wall is back
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(h.model.ChannelCount, 100);
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigNew));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneNew));
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneChanged));  // its colours are those saved

    // The new wall saved under a name of its own: it is no longer new, whatever is undone or redone.
    ASSERT_EQ(h.saveConfiguration(h.path("neu.CFG")), SaveOutcome::Saved);
    history.documentSaved(DocumentKind::Config);
    ASSERT_TRUE(history.undo());
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ConfigNew));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigChanged));  // the file holds the new wall
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneNew));
    ASSERT_TRUE(history.redo());
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ConfigNew));
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneNew));

    // With a channel total set by hand, the wall never changed it.
    FileHarness manual;
    fillShow(manual);
    manual.model.clearState(StateFlag::AutoChannelCount);
    manual.model.ChannelCount = 300;
    UndoHistory manualHistory(manual.model);
    manualHistory.begin("Neue Wand", {DocumentKind::Config});
    manual.model.WallColumns = 2;
    BuildWall(manual.model, manual.view, manual.user, WallBuildKind::NewOrEdited);
    ASSERT_TRUE(manualHistory.commit());
    ASSERT_TRUE(manualHistory.undo());
    EXPECT_EQ(manual.model.ChannelCount, 300);
}

}  // namespace
}  // namespace tinctara
