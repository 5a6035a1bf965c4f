#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::readBytes;
using Colours = std::array<int, 4>;

// Fixture scenes: element k of the source wall holds (k, k + 20, k + 40, k + 60).
Colours source(int k) { return {k, k + 20, k + 40, k + 60}; }

const Colours Black{0, 0, 0, 0};

TEST(SceneFile, FixtureLoadsOnItsOwnWallAndSavesToTheSameBytes)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.setDocument(DocumentFlag::SceneNew | DocumentFlag::SceneChanged);
    h.model.SelectionFlags[2] = 1;
    h.model.SelectionCount = 1;
    const std::string in = h.copyFixture("SRC22.CSC");
    ASSERT_EQ(h.loadScene(in), LoadOutcome::Loaded);
    // The cells lose their marks and the count restarts; the flags stay.
    EXPECT_EQ(h.model.SelectionCount, 0);
    EXPECT_EQ(h.model.SelectionFlags[2], 1);
    EXPECT_FALSE(h.view.selectedLook.at(2));
    EXPECT_TRUE(h.user.messages.empty());  // same size: no question
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(h.element(k), source(k)) << k;
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneNew | DocumentFlag::SceneChanged));
    EXPECT_EQ(h.view.wallStatus.back(), "Scene SRC22.CSC erfolgreich geladen!");
    EXPECT_EQ(h.model.SceneFileName, in);
    EXPECT_EQ(h.view.elementColours.at(3), (Rgb{4 + 64, 24 + 64, 44 + 64}));

    const std::string out = h.path("OUT.CSC");
    ASSERT_EQ(h.saveScene(out), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(out), readBytes(testing::fixture("SRC22.CSC")));
    EXPECT_EQ(h.view.wallStatus.back(), "Scene erfolgreich abgespeichert.");
}

TEST(SceneFile, SaveWritesOtherFilesAndPlanesInNumberForm)
{
    FileHarness h;
    h.buildWall(1, 1);
    h.setElement(1, 0, 0, 255, 0);
    h.model.ColourTableFileName = "/shows/Farbtbl/Bühne.CCT";
    h.model.ConfigFileName = "/shows/config/A.CFG";
    const std::string out = h.path("BLUE.CSC");
    ASSERT_EQ(h.saveScene(out), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(out),
              "Scene von TINCTARA 99\r\n[Config]\r\nElementeMax =  1\r\n[WALL]\r\nXmax =  1\r\nYmax =  1\r\n"
              "[OTHERFILES]\r\n/shows/Farbtbl/B\xFChne.CCT\r\n/shows/config/A.CFG\r\n[VALUES]\r\n"
              " 0, 0, 255, 0\r\n");
}

TEST(SceneFile, ImportLaysTheSourceWallOntoTheWallAsItStands)
{
    struct Case {
        const char* fixture;
        int columns, rows;
        std::vector<Colours> expected;  // elements 1.. of the new wall
    };
    const Case cases[] = {
        {"SRC44.CSC", 2, 2, {source(1), source(2), source(5), source(6)}},
        {"SRC22.CSC", 3, 3, {source(1), source(2), Black, source(3), source(4), Black, Black, Black, Black}},
        {"SRC44.CSC", 4, 1, {source(1), source(2), source(3), source(4)}},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(c.columns, c.rows);
        for (int k = 1; k <= c.columns * c.rows; ++k)
            h.setElement(k, 9, 9, 9, 9);
        ASSERT_EQ(h.loadScene(h.copyFixture(c.fixture)), LoadOutcome::Loaded);
        ASSERT_EQ(h.user.messages.size(), 1u);
        EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(h.user.messages[0].title, "TINCTARA V 1.21");
        EXPECT_EQ(h.user.messages[0].text, std::string("Scene wurde auf einer Wand mit X= ") +
                                               (c.fixture[3] == '4' ? "4 und Y= 4" : "2 und Y= 2") +
                                               " Elementen erstellt. Soll ich Importieren ?");
        for (std::size_t k = 0; k < c.expected.size(); ++k)
            EXPECT_EQ(h.element(static_cast<int>(k) + 1), c.expected[k]) << c.fixture << " element " << k + 1;
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneNew));
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
        EXPECT_EQ(h.user.beeps, 1);
    }
}

TEST(SceneFile, AnswerNoKeepsValuesByElementNumberAndCancelChangesNothing)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.user.answers = {MessageAnswer::No};
    ASSERT_EQ(h.loadScene(h.copyFixture("SRC44.CSC")), LoadOutcome::Loaded);
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(h.element(k), source(k)) << k;  // surplus values wait in slots beyond the wall
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneChanged));

    FileHarness cancelled;
    cancelled.buildWall(2, 2);
    cancelled.setElement(1, 7, 7, 7, 7);
    cancelled.user.answers = {MessageAnswer::Cancel};
    EXPECT_EQ(cancelled.loadScene(cancelled.copyFixture("SRC44.CSC")), LoadOutcome::Cancelled);
    EXPECT_EQ(cancelled.element(1), (Colours{7, 7, 7, 7}));
    EXPECT_TRUE(cancelled.view.wallStatus.empty());
}

TEST(SceneFile, SectionsThatAreMissingOrDoNotFit)
{
    struct Case {
        const char* what;
        std::string bytes;
        LoadOutcome outcome;
        std::vector<std::string> messages;
        Colours element1;
    };
    const std::string head = "Scene von TINCTARA 99\r\n";
    const Case cases[] = {
        // no [WALL]: made on a 4 x 4 wall, which is the wall here, so no question
        {"no [WALL]",
         head + "[Config]\r\nElementeMax =  16\r\n[VALUES]\r\n 1, 2, 3, 4\r\n",
         LoadOutcome::Failed,
         {"Fehler beim laden der Scenenwerte."},
         {1, 2, 3, 4}},
        {"no [Config]: nothing read",
         head + "[WALL]\r\nXmax =  4\r\nYmax =  4\r\n[VALUES]\r\n 1, 2, 3, 4\r\n",
         LoadOutcome::Loaded,
         {},
         {5, 5, 5, 5}},
        {"no [VALUES]",
         head + "[Config]\r\nElementeMax =  16\r\n[WALL]\r\nXmax =  4\r\nYmax =  4\r\n",
         LoadOutcome::Failed,
         {"Fehler beim laden der Scenenwerte."},
         {5, 5, 5, 5}},
        {"level above 255",
         head + "[Config]\r\nElementeMax =  16\r\n[WALL]\r\nXmax =  4\r\nYmax =  4\r\n[VALUES]\r\n 1, 2, 3, 256\r\n",
         LoadOutcome::Failed,
         {"Fehler beim laden der Scenenwerte."},
         {1, 2, 3, 5}},
        // a count that does not fit a byte makes [Config] unreadable: no values are read
        {"count above 255",
         head + "[Config]\r\nElementeMax =  400\r\n[WALL]\r\nXmax =  4\r\nYmax =  4\r\n[VALUES]\r\n 1, 2, 3, 4\r\n",
         LoadOutcome::Loaded,
         {},
         {5, 5, 5, 5}},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(4, 4);
        for (int k = 1; k <= 16; ++k)
            h.setElement(k, 5, 5, 5, 5);
        EXPECT_EQ(h.loadScene(h.file("S.CSC", c.bytes)), c.outcome) << c.what;
        EXPECT_EQ(h.messageTexts(), c.messages) << c.what;
        EXPECT_EQ(h.element(1), c.element1) << c.what;
    }
}

TEST(SceneFile, SourceWallLargerThanTheImportTableCountsAsFourByFour)
{
    FileHarness h;
    h.buildWall(2, 2);
    std::string values;
    for (int k = 1; k <= 16; ++k)
        values += (k > 1 ? ", " : " ") + std::to_string(k) + ", 0, 0, 0";
    const std::string bytes = "Scene von TINCTARA 99\r\n[Config]\r\nElementeMax =  16\r\n[WALL]\r\nXmax =  20\r\n"
                              "Ymax =  20\r\n[VALUES]\r\n" +
                              values + "\r\n";
    ASSERT_EQ(h.loadScene(h.file("BIG.CSC", bytes)), LoadOutcome::Loaded);
    EXPECT_EQ(h.model.SourceColumns, 4);
    EXPECT_EQ(h.model.SourceRows, 4);
    EXPECT_EQ(h.element(3), (Colours{5, 0, 0, 0}));
}

TEST(SceneFile, ImportOntoNoWallIsRefused)
{
    FileHarness h;
    h.model.SourceColumns = 2;
    h.model.SourceRows = 2;
    EXPECT_FALSE(ImportScene(h.model, h.view, h.user));
    EXPECT_EQ(h.messageTexts(),
              std::vector<std::string>{"Keine Wand vorhanden. Auf eine  leere Wand kann nicht importiert werden!"});
}

TEST(SceneFile, ImportNeverReadsBeyondTheWorkTable)
{
    FileHarness h;
    h.buildWall(11, 11);
    // Sizes no loader lets through, as another caller might leave them.
    h.model.SourceColumns = 255;
    h.model.SourceRows = 255;
    for (int k = 1; k <= ElementSlots; ++k)
        h.setElement(k, k, 0, 0, 1);
    ASSERT_TRUE(ImportScene(h.model, h.view, h.user));
    EXPECT_EQ(h.element(11), (Colours{11, 0, 0, 1}));
    EXPECT_EQ(h.element(12), Black);  // source element 256 is beyond the table
}

TEST(SceneFile, PlayingSequencerIsStoppedOnYesAndLeftAloneOnNo)
{
    struct Case {
        MessageAnswer answer;
        LoadOutcome outcome;
        bool stillPlaying;
    };
    const Case cases[] = {
        {MessageAnswer::Yes, LoadOutcome::Loaded, false},
        {MessageAnswer::No, LoadOutcome::Cancelled, true},
        {MessageAnswer::Cancel, LoadOutcome::Loaded, true},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(2, 2);
        h.model.StepCount = 1;
        h.model.CurrentStep = 1;
        h.model.setState(StateFlag::SequencePresent | StateFlag::SequencePlaying);
        h.user.answers = {c.answer};
        EXPECT_EQ(h.loadScene(h.copyFixture("SRC22.CSC")), c.outcome);
        EXPECT_EQ(h.user.messages.at(0).text, "Sequenzer läuft, darf ich ihn anhalten ?");
        EXPECT_EQ(h.user.messages.at(0).title, "V 1.21");
        EXPECT_EQ(h.model.hasState(StateFlag::SequencePlaying), c.stillPlaying);
    }
}

TEST(SceneFile, NotFoundAndFallBack)
{
    FileHarness h;
    h.buildWall(2, 2);
    EXPECT_EQ(h.loadScene("/no/such/X.CSC"), LoadOutcome::NotFound);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Konnte Scenendatei nicht finden"});

    h.user.messages.clear();
    h.file("program/SCENEN/SRC22.CSC", readBytes(testing::fixture("SRC22.CSC")));
    EXPECT_EQ(h.loadScene("D:\\show\\scenen\\src22.csc"), LoadOutcome::Loaded);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Suchpfad der Scene hat sich verändert."});
    EXPECT_EQ(h.model.SceneFileName, h.path("program/SCENEN/SRC22.CSC"));
}

TEST(SceneFile, SaveDialogProposesByWhetherASequenceExists)
{
    FileHarness h;
    h.model.SceneFileName = "/shows/scenen/ROT.CSC";
    SaveScene(h.context);
    h.model.setState(StateFlag::SequencePresent);
    SaveScene(h.context);
    ASSERT_EQ(h.user.dialogs.size(), 2u);
    EXPECT_EQ(h.user.dialogs[0].fileName, "ROT.CSC");
    EXPECT_EQ(h.user.dialogs[1].fileName, "*.csc");
    EXPECT_EQ(h.user.dialogs[1].title, "Scene Speichern");
    EXPECT_EQ(h.user.dialogs[1].initialFolder, h.context.programFolder + "/scenen");
}

}  // namespace
}  // namespace tinctara
