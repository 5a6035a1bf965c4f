#include "core/files/FileHarness.h"
#include "text/Text.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::readBytes;
using Colours = std::array<int, 4>;

// SHOW22.CSQ: 3 steps of a 2 x 2 wall; element k of step s is (10 s + k, 0, 255 on
// step 2 else 0, k); times (1, 20), (40000, 65535), (3, 5); F3 holds elements 2 and 4.
Colours fixtureStep(int s, int k) { return {10 * s + k, 0, s == 2 ? 255 : 0, k}; }

int memory(const ShowModel& model, int element, int group)
{
    return model.SelectionMemory[ShowModel::selectionMemoryIndex(element, group)];
}

// A sequence file of a wall of `columns` x `rows` with `steps` steps whose
// element k of step s is (s, k, 0, 0), and optional sections left out.
std::string sequenceFile(int columns, int rows, int steps, int storedSteps = -1, bool withTimes = true,
                         const std::string& speed = "20")
{
    const int elements = columns * rows;
    std::string bytes = "Sequence von TINCTARA 99\r\n[Config]\r\nElementeMax =   " + numberForm(elements) +
                        "\r\nSequencenmax =   " + numberForm(storedSteps < 0 ? steps : storedSteps) +
                        "\r\nSpeed =   " + speed + "\r\n[WALL]\r\nXmax = " + numberForm(columns) +
                        "\r\nYmax = " + numberForm(rows) + "\r\n[OTHERFILES]\r\n\r\n\r\n[Sequence]\r\n";
    std::string list;
    for (int s = 1; s <= steps; ++s)
        for (int k = 1; k <= elements; ++k)
            for (int v : {s, k, 0, 0})
                list += (list.empty() ? "" : ",") + numberForm(v);
    bytes += list + "\r\n";
    if (withTimes) {
        list.clear();
        for (int s = 1; s <= steps; ++s)
            list += (list.empty() ? "" : ",") + numberForm(s) + "," + numberForm(100 + s);
        bytes += "[HOLDBLEND]\r\n" + list + "\r\n";
    }
    return bytes;
}

TEST(SequenceFile, FixtureLoadsStepsTimesAndSelectionsAndSavesToTheSameBytes)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.setDocument(DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    const std::string in = h.copyFixture("SHOW22.CSQ");
    ASSERT_EQ(h.loadSequence(in), LoadOutcome::Loaded);
    EXPECT_TRUE(h.user.messages.empty());
    EXPECT_EQ(h.model.StepCount, 3);
    for (int s = 1; s <= 3; ++s)
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(h.step(s, k), fixtureStep(s, k)) << s << "/" << k;
    EXPECT_EQ(h.model.holdTime(2), 40000);  // unsigned 16-bit times
    EXPECT_EQ(h.model.blendTime(2), 65535);
    EXPECT_EQ(h.model.blendTime(3), 5);
    EXPECT_EQ(h.element(1), fixtureStep(1, 1));  // step 1 on the wall
    EXPECT_EQ(memory(h.model, 2, 2), 1);         // element slot 1 of F3 is element 2
    EXPECT_EQ(memory(h.model, 4, 2), 1);
    EXPECT_EQ(memory(h.model, 3, 2), 0);
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePresent));
    EXPECT_EQ(h.model.DocumentFlags, 0);
    EXPECT_EQ(h.view.sequencerFields, (std::array<std::string, 3>{" 1", "20", "1"}));
    EXPECT_EQ(h.view.turboField, "1");
    EXPECT_EQ(h.view.lastLabel(), "Sequenz erfolgreich geladen!");
    EXPECT_EQ(h.view.sequencerCaption, "SHOW22.CSQSequence ");
    EXPECT_EQ(h.model.SequenceFileName, in);
    EXPECT_EQ(h.user.busyPointer, (std::vector<bool>{true, false}));

    const std::string out = h.path("OUT.CSQ");
    ASSERT_EQ(h.saveSequence(out), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(out), readBytes(testing::fixture("SHOW22.CSQ")));
    EXPECT_EQ(h.view.wallStatus.back(), "Sequenz erfolgreich abgespeichert.");
}

TEST(SequenceFile, SaveWritesEveryStepAndTheSpeedFieldAsItStands)
{
    FileHarness h;
    h.buildWall(1, 1);
    h.model.StepCount = 2;
    h.model.setState(StateFlag::SequencePresent);
    h.model.holdTime(2) = 65534;
    h.model.stepColour(2, 1, Blue) = 255;
    h.view.sequencerFields[1] = "65000";
    const std::string out = h.path("TWO.CSQ");
    ASSERT_EQ(h.saveSequence(out), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(out), "Sequence von TINCTARA 99\r\n[Config]\r\nElementeMax =    1\r\nSequencenmax =    2\r\n"
                              "Speed =   65000\r\n[WALL]\r\nXmax =  1\r\nYmax =  1\r\n[OTHERFILES]\r\n\r\n\r\n"
                              "[Sequence]\r\n 0, 0, 0, 0, 0, 0, 255, 0\r\n[HOLDBLEND]\r\n 1, 50, 65534, 50\r\n"
                              "[Selections]\r\n 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n");
}

TEST(SequenceFile, SelectionsKeepF2ToF10OfElementsFromTwoOn)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.StepCount = 1;
    h.model.setState(StateFlag::SequencePresent);
    for (int group : {1, 9, 10, 11})  // F2, F10, F11, F12
        for (int element : {1, 2, 4})
            h.model.SelectionMemory[ShowModel::selectionMemoryIndex(element, group)] = 1;
    const std::string file = h.path("SEL.CSQ");
    ASSERT_EQ(h.saveSequence(file), SaveOutcome::Saved);

    FileHarness back;
    back.buildWall(2, 2);
    ASSERT_EQ(back.loadSequence(file), LoadOutcome::Loaded);
    for (int group : {1, 9}) {
        EXPECT_EQ(memory(back.model, 1, group), 0) << group;  // element 1 is not stored
        EXPECT_EQ(memory(back.model, 2, group), 1) << group;
        EXPECT_EQ(memory(back.model, 4, group), 1) << group;
    }
    for (int group : {10, 11})
        EXPECT_EQ(memory(back.model, 2, group), 0) << group;
}

TEST(SequenceFile, EarlierLayoutHoldsElementNumbers)
{
    FileHarness h;
    h.buildWall(2, 2);
    ASSERT_EQ(h.loadSequence(h.copyFixture("OLD98.CSQ")), LoadOutcome::Loaded);
    for (int element = 1; element <= 5; ++element)
        EXPECT_EQ(memory(h.model, element, 2), element == 3 || element == 2 ? 1 : 0) << element;
    for (int group : {0, 1, 3, 9})
        for (int element = 1; element <= 5; ++element)
            EXPECT_EQ(memory(h.model, element, group), 0);
}

TEST(SequenceFile, StepCountsFromTheStoreLimitOnAreCut)
{
    const char* const tooMany = "Fehler beim Laden der Sequenz! Die Datei enthält mehr Sequenzen als in dieser "
                                "Programmversion dargestellt werden können! Die Sequenzen werden auf 254 beschränkt.";
    struct Case {
        int stored;   // Sequencenmax in the file
        int present;  // steps of data in the file
        int loaded;
        bool message;
    };
    const Case cases[] = {{253, 253, 253, false}, {254, 254, 254, true}, {255, 255, 254, true}, {300, 254, 254, true}};
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(1, 1);
        ASSERT_EQ(h.loadSequence(h.file("MANY.CSQ", sequenceFile(1, 1, c.present, c.stored))), LoadOutcome::Loaded)
            << c.stored;
        EXPECT_EQ(h.model.StepCount, c.loaded);
        EXPECT_EQ(h.step(c.loaded, 1), (Colours{c.loaded, 1, 0, 0}));
        EXPECT_EQ(h.model.blendTime(c.loaded), 100 + c.loaded);
        EXPECT_EQ(h.messageTexts() == std::vector<std::string>{tooMany}, c.message) << c.stored;
        EXPECT_EQ(h.user.beeps, c.message ? 1 : 0);
    }
}

TEST(SequenceFile, FailureTable)
{
    struct Case {
        const char* what;
        std::string bytes;
        LoadOutcome outcome;
        std::vector<std::string> messages;
        bool nameKept;
        bool present;
    };
    std::string noSteps = sequenceFile(2, 2, 2);
    noSteps.erase(noSteps.find("[Sequence]"), noSteps.find("[HOLDBLEND]") - noSteps.find("[Sequence]"));
    // Ends in the middle of step 2.
    std::string shortSteps = sequenceFile(2, 2, 2, -1, false);
    shortSteps.replace(shortSteps.find(" 2, 4, 0, 0"), 11, " 2, 4");
    std::string noWallNoConfig = sequenceFile(2, 2, 2);
    noWallNoConfig.erase(noWallNoConfig.find("[Config]"),
                         noWallNoConfig.find("[OTHERFILES]") - noWallNoConfig.find("[Config]"));
    std::string tooWide = sequenceFile(2, 2, 1);
    tooWide.replace(tooWide.find("=    4"), 6, "=    251");
    const Case cases[] = {
        {"all there", sequenceFile(2, 2, 2), LoadOutcome::Loaded, {}, true, true},
        {"no [Sequence]", noSteps, LoadOutcome::Failed, {"Fehler beim Laden der Sequenzdaten."}, false, false},
        {"[Sequence] too short",
         shortSteps,
         LoadOutcome::Failed,
         {"Fehler beim Laden der Sequenzdaten."},
         false,
         false},
        {"more elements than the step store holds",
         tooWide,
         LoadOutcome::Failed,
         {"Sequenz wurde auf einer Wand mit einer anderen Anzahl an Elementen erstellt. Soll ich Importieren ?",
          "Fehler beim Laden der Sequenzdaten."},
         false,
         false},
        {"no [HOLDBLEND]",
         sequenceFile(2, 2, 2, -1, false),
         LoadOutcome::Loaded,
         {"Keine Blend- und Haltezeiten gefunden , nehme Standartwerte."},
         true,
         true},
        {"no [WALL] and no [Config]: no steps known",
         noWallNoConfig,
         LoadOutcome::Failed,
         {"Datei enthielt keine Sequenzerdaten oder ist beschädigt."},
         true,
         false},
        {"zero steps",
         sequenceFile(2, 2, 0),
         LoadOutcome::Failed,
         {"Datei enthielt keine Sequenzerdaten oder ist beschädigt."},
         true,
         false},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(2, 2);
        const std::string previous = h.file("PREVIOUS.CSQ", "");
        h.model.SequenceFileName = previous;
        h.model.setState(StateFlag::SilentFileOp);
        const std::string in = h.file("IN.CSQ", c.bytes);
        h.model.SequenceFileName = in;
        EXPECT_EQ(LoadSequence(h.context), c.outcome) << c.what;
        EXPECT_EQ(h.messageTexts(), c.messages) << c.what;
        EXPECT_EQ(h.model.SequenceFileName == in, c.nameKept) << c.what;
        EXPECT_EQ(h.model.hasState(StateFlag::SequencePresent), c.present) << c.what;
        EXPECT_EQ(h.user.busyPointer.back(), false) << c.what;
    }
}

TEST(SequenceFile, WithoutTimesEveryStepHoldsOneAndBlendsAtSpeed)
{
    FileHarness h;
    h.buildWall(2, 2);
    ASSERT_EQ(h.loadSequence(h.file("NT.CSQ", sequenceFile(2, 2, 3, -1, false, "20"))), LoadOutcome::Loaded);
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(h.model.holdTime(s), 1);
        EXPECT_EQ(h.model.blendTime(s), 20);
    }
    EXPECT_EQ(h.view.sequencerFields[1], "20");
}

TEST(SequenceFile, ImportLaysEveryStepOntoTheWallAndShowsStepOne)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.SelectionMemory[ShowModel::selectionMemoryIndex(2, 1)] = 1;
    ASSERT_EQ(h.loadSequence(h.file("S44.CSQ", sequenceFile(4, 4, 3))), LoadOutcome::Loaded);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Sequenz wurde auf einer Wand mit einer anderen Anzahl an "
                                                         "Elementen erstellt. Soll ich Importieren ?"});
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(h.step(s, 1), (Colours{s, 1, 0, 0}));
        EXPECT_EQ(h.step(s, 2), (Colours{s, 2, 0, 0}));
        EXPECT_EQ(h.step(s, 3), (Colours{s, 5, 0, 0}));
        EXPECT_EQ(h.step(s, 4), (Colours{s, 6, 0, 0}));
    }
    // The sequencer stands on step 1, and so does the wall.
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.element(3), (Colours{1, 5, 0, 0}));
    EXPECT_EQ(h.view.elementColours.at(2), (Rgb{1, 5, 0}));
    EXPECT_EQ(memory(h.model, 2, 1), 0);  // selections of another wall are dropped
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceNew));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged));
}

TEST(SequenceFile, SmallerSourceWallIsImportedWithBlackBeyondIt)
{
    FileHarness h;
    h.buildWall(3, 3);
    ASSERT_EQ(h.loadSequence(h.file("S22.CSQ", sequenceFile(2, 2, 2))), LoadOutcome::Loaded);
    const std::vector<int> from = {1, 2, 0, 3, 4, 0, 0, 0, 0};
    for (int s = 1; s <= 2; ++s)
        for (int k = 1; k <= 9; ++k)
            EXPECT_EQ(h.step(s, k), (from[k - 1] ? Colours{s, from[k - 1], 0, 0} : Colours{0, 0, 0, 0})) << k;
}

TEST(SequenceFile, SourceWallLargerThanTheImportTableIsReadAsNoWallSection)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.SourceColumns = 2;
    h.model.SourceRows = 2;
    std::string bytes = sequenceFile(2, 2, 1);
    bytes.replace(bytes.find("Xmax =  2"), 9, "Xmax =  20");
    bytes.replace(bytes.find("Ymax =  2"), 9, "Ymax =  20");
    ASSERT_EQ(h.loadSequence(h.file("BIG.CSQ", bytes)), LoadOutcome::Loaded);
    EXPECT_EQ(h.model.SourceColumns, 2);
    EXPECT_EQ(h.model.SourceRows, 2);
    EXPECT_TRUE(h.user.messages.empty());
    EXPECT_EQ(h.step(1, 4), (Colours{1, 4, 0, 0}));
}

TEST(SequenceFile, AnswerNoKeepsStepsByElementNumberAndCancelEnds)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.user.answers = {MessageAnswer::No};
    ASSERT_EQ(h.loadSequence(h.file("S44.CSQ", sequenceFile(4, 4, 2))), LoadOutcome::Loaded);
    EXPECT_EQ(h.step(2, 3), (Colours{2, 3, 0, 0}));
    EXPECT_EQ(h.model.DocumentFlags, 0);

    FileHarness cancelled;
    cancelled.buildWall(2, 2);
    cancelled.user.answers = {MessageAnswer::Cancel};
    EXPECT_EQ(cancelled.loadSequence(cancelled.file("S44.CSQ", sequenceFile(4, 4, 2))), LoadOutcome::Cancelled);
    EXPECT_FALSE(cancelled.model.hasState(StateFlag::SequencePresent));
    EXPECT_EQ(cancelled.user.busyPointer.back(), false);
}

TEST(SequenceFile, ImportOntoNoWallEndsTheLoad)
{
    FileHarness h;
    ASSERT_EQ(h.loadSequence(h.file("S22.CSQ", sequenceFile(2, 2, 1))), LoadOutcome::Failed);
    EXPECT_EQ(h.messageTexts().back(), "Keine Wand vorhanden. Auf eine  leere Wand kann nicht importiert werden!");
}

TEST(SequenceFile, PlayingSequenceRestartsAndPlaysOnAfterTheLoad)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.StepCount = 5;
    h.model.CurrentStep = 4;
    h.view.sequencerFields[0] = " 4";
    h.model.setState(StateFlag::SequencePresent | StateFlag::SequencePlaying);
    ASSERT_EQ(h.loadSequence(h.copyFixture("SHOW22.CSQ")), LoadOutcome::Loaded);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    EXPECT_TRUE(h.timer.enabled);
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.model.HoldCounter, 0);
    EXPECT_EQ(h.model.BlendCounter, 0);
    EXPECT_EQ(h.view.timeFieldsEnabled, (std::vector<bool>{true, false}));  // STOP, then PLAY
}

TEST(SequenceFile, SaveWithoutSequenceAndFallBackFolder)
{
    FileHarness h;
    EXPECT_EQ(h.saveSequence(h.path("X.CSQ")), SaveOutcome::Refused);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Sie haben noch keine Sequence erstellt!"});
    EXPECT_EQ(h.user.beeps, 1);

    h.user.messages.clear();
    h.buildWall(2, 2);
    h.file("program/sequencen/SHOW22.CSQ", readBytes(testing::fixture("SHOW22.CSQ")));
    EXPECT_EQ(h.loadSequence("/old/SHOW22.CSQ"), LoadOutcome::NotFound);  // the save folder is no fall-back
    h.file("program/Sequence/show22.csq", readBytes(testing::fixture("SHOW22.CSQ")));
    EXPECT_EQ(h.loadSequence("/old/SHOW22.CSQ"), LoadOutcome::Loaded);
    EXPECT_EQ(h.messageTexts(), (std::vector<std::string>{"Konnte Sequenz-Datei nicht finden",
                                                          "Suchpfad der Sequenz hat sich verändert."}));
}

}  // namespace
}  // namespace tinctara
