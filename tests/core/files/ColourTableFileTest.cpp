#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::readBytes;

int level(const ShowModel& model, int colour, int plane)
{
    return model.ColourLevels[ShowModel::userColourIndex(colour, plane)];
}

std::string table(const std::string& config, const std::string& values, const std::string& names)
{
    std::string bytes = "Farbtabelle von TINCTARA 99\r\n";
    if (!config.empty())
        bytes += "[Config]\r\n" + config + "\r\n";
    if (!values.empty())
        bytes += "[VALUES]\r\n" + values + "\r\n";
    if (!names.empty())
        bytes += "[Names]\r\n" + names;
    return bytes;
}

std::string levels(int first)
{
    std::string list;
    for (int i = 0; i < 80; ++i)
        list += (i ? "," : "") + std::string(" ") + std::to_string((first + i) % 256);
    return list;
}

std::string names(const std::string& prefix)
{
    std::string list;
    for (int i = 1; i <= 20; ++i)
        list += prefix + std::to_string(i) + ",";
    return list;
}

TEST(ColourTableFile, FixtureLoadsAndSavesToTheSameBytes)
{
    FileHarness h;
    h.model.setDocument(DocumentFlag::ColourTableNew | DocumentFlag::ColourTableChanged);
    const std::string in = h.copyFixture("USER.CCT");
    ASSERT_EQ(h.loadColourTable(in), LoadOutcome::Loaded);
    EXPECT_EQ(h.model.ColourNames[1], "Grün                ");
    EXPECT_EQ(h.model.ColourNames[3], "Weiß                ");
    EXPECT_EQ(level(h.model, 2, Red), 13);
    EXPECT_EQ(level(h.model, 20, Blue), (19 * 47) % 256);
    EXPECT_EQ(h.model.ColourTableFileName, in);
    EXPECT_EQ(h.model.DocumentFlags, 0);
    EXPECT_TRUE(h.user.messages.empty());

    const std::string out = h.path("OUT.CCT");
    ASSERT_EQ(h.saveColourTable(out), SaveOutcome::Saved);
    const std::string bytes = readBytes(out);
    EXPECT_EQ(bytes, readBytes(testing::fixture("USER.CCT")));
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "  ,");  // the last line stays open
    EXPECT_EQ(h.view.wallStatus.back(), "Farbtabelle erfolgreich abgespeichert.");
}

TEST(ColourTableFile, NamesArePaddedAndCutAtAComma)
{
    FileHarness h;
    h.model.ColourNames[0] = "Rot, hell";
    h.model.ColourNames[1] = "Tief";
    const std::string file = h.path("N.CCT");
    ASSERT_EQ(h.saveColourTable(file), SaveOutcome::Saved);
    EXPECT_NE(readBytes(file).find("[Names]\r\nRot, hell           ,Tief                ,"), std::string::npos);
    FileHarness back;
    ASSERT_EQ(back.loadColourTable(file), LoadOutcome::Loaded);
    EXPECT_EQ(back.model.ColourNames[0], "Rot                 ");
    // The rest of the cut name becomes the next colour's, and the names after it shift.
    EXPECT_EQ(back.model.ColourNames[1], "hell                ");
    EXPECT_EQ(back.model.ColourNames[2], "Tief                ");
}

TEST(ColourTableFile, FailureTable)
{
    const std::string countMessage =
        "Fehler beim Laden der Farbtabelle! Beim Erstellen der Datei wurde eine andere Anzahl an Farben benutzt.";
    struct Case {
        const char* what;
        std::string bytes;
        LoadOutcome outcome;
        std::vector<std::string> messages;
        int red1;           // level of colour 1 red afterwards (start: 0)
        const char* name1;  // name of colour 1 afterwards
    };
    const Case cases[] = {
        {"16 colours",
         table("UserColors =  16", levels(7), names("Neu")),
         LoadOutcome::Failed,
         {countMessage},
         0,
         "Farbe1              "},
        {"no [Config]", table("", levels(7), names("Neu")), LoadOutcome::Failed, {}, 0, "Farbe1              "},
        {"no [Names]", table("UserColors =  20", levels(7), ""), LoadOutcome::Failed, {}, 7, "Farbe1              "},
        {"no [VALUES]",
         table("UserColors =  20", "", names("Neu")),
         LoadOutcome::Failed,
         {},
         0,
         "Farbe1              "},
        {"level above 255",
         table("UserColors =  20", " 7, 300", names("Neu")),
         LoadOutcome::Failed,
         {},
         7,
         "Farbe1              "},
        {"nineteen names",
         table("UserColors =  20", levels(7), names("Neu").substr(0, names("Neu").rfind("Neu"))),
         LoadOutcome::Failed,
         {},
         7,
         "Neu1                "},
        {"all there",
         table("UserColors =  20", levels(7), names("Neu")),
         LoadOutcome::Loaded,
         {},
         7,
         "Neu1                "},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.model.setDocument(DocumentFlag::ColourTableChanged);
        const std::string in = h.file("T.CCT", c.bytes);
        EXPECT_EQ(h.loadColourTable(in), c.outcome) << c.what;
        EXPECT_EQ(h.messageTexts(), c.messages) << c.what;
        EXPECT_EQ(level(h.model, 1, Red), c.red1) << c.what;
        EXPECT_EQ(h.model.ColourNames[0], c.name1) << c.what;
        // Only a load that went through takes the name and marks the table saved.
        EXPECT_EQ(h.model.hasDocument(DocumentFlag::ColourTableChanged), c.outcome != LoadOutcome::Loaded) << c.what;
    }
}

TEST(ColourTableFile, MissingFileClearsTheName)
{
    FileHarness h;
    EXPECT_EQ(h.loadColourTable("/gone/X.CCT"), LoadOutcome::NotFound);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Konnte Farbtabelle nicht finden"});
    EXPECT_TRUE(h.model.ColourTableFileName.empty());
}

TEST(ColourTableFile, FallBackMarksTheDocumentThatRefersToIt)
{
    struct Case {
        std::string sequenceFile;
        const char* message;
        std::uint16_t flags;
    };
    const Case cases[] = {
        {"", "Der Suchpfad  der Farbtabelle hat sich verändert. Bitte speichern Sie die Szene neu ab.",
         DocumentFlag::SceneChanged},
        {"/shows/A.CSQ", "Der Suchpfad  der Farbtabelle hat sich verändert. Bitte speichern Sie die Sequenz neu ab.",
         DocumentFlag::SceneChanged | DocumentFlag::SequenceChanged},
    };
    for (const auto& c : cases) {
        FileHarness h;
        // Saved into "Farbtbl", looked up in "farbtbl".
        const std::string found = h.file("program/Farbtbl/USER.CCT", readBytes(testing::fixture("USER.CCT")));
        h.model.SequenceFileName = c.sequenceFile;
        ASSERT_EQ(h.loadColourTable("C:\\TINCTARA\\farbtbl\\user.cct"), LoadOutcome::Loaded);
        EXPECT_EQ(h.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(h.model.DocumentFlags, c.flags);
        EXPECT_EQ(h.model.ColourTableFileName, found);
    }
}

TEST(ColourTableFile, OpenColourWindowIsRedrawnAndPlayingDoesNotStopTheLoad)
{
    FileHarness h;
    h.model.setState(StateFlag::ColourWindowOpen | StateFlag::SequencePlaying);
    ASSERT_EQ(h.loadColourTable(h.copyFixture("USER.CCT")), LoadOutcome::Loaded);
    EXPECT_EQ(h.view.colourWindowStatus, "Farbtabelle erfolgreich geladen!");
    EXPECT_EQ(h.view.colourWindowCaption, "USER.CCTColor Fenster ");
    EXPECT_EQ(h.view.userColourRedraws, 1);
}

TEST(ColourTableFile, SaveDialogProposesTheNameOnlyWhenChanged)
{
    FileHarness h;
    h.model.ColourTableFileName = "/shows/Farbtbl/HAUS.CCT";
    SaveColourTable(h.context);
    h.model.setDocument(DocumentFlag::ColourTableChanged);
    SaveColourTable(h.context);
    ASSERT_EQ(h.user.dialogs.size(), 2u);
    EXPECT_EQ(h.user.dialogs[0].fileName, "*.CCT");
    EXPECT_EQ(h.user.dialogs[1].fileName, "HAUS.CCT");
    EXPECT_EQ(h.user.dialogs[1].initialFolder, h.context.programFolder + "/Farbtbl");
    EXPECT_EQ(h.user.dialogs[1].title, "Farbtabelle Speichern");
}

}  // namespace
}  // namespace tinctara
