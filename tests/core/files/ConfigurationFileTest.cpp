#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::readBytes;

// A 2 x 2 configuration in the file's exact layout; `config`, `dmx`, `patch`
// and `correction` replace their sections (an empty text drops the section).
const std::string Wall22 = "ElementeMax =  4\r\nXmax =  2\r\nYmax =  2\r\n 600\r\n 1200\r\n 80\r\n";

std::string configuration(const std::string& config = Wall22,
                          const std::string& dmx = " 60, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
                          const std::string& patch = " 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16\r\n",
                          const std::string& correction = " 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10\r\n")
{
    std::string bytes = "Configuration von TINCTARA 99\r\n[NAME]\r\nWand                \r\n";
    if (!config.empty())
        bytes += "[Config]\r\n" + config;
    if (!dmx.empty())
        bytes += "[DMXINI]\r\n" + dmx;
    if (!patch.empty())
        bytes += "[Patching]\r\n" + patch;
    if (!correction.empty())
        bytes += "[Farbkorrektur]\r\n" + correction;
    return bytes;
}

TEST(ConfigurationFile, FixtureLoadsIntoTheModelAndSavesToTheSameBytes)
{
    FileHarness h;
    const std::string in = h.copyFixture("DEMO22.CFG");
    ASSERT_EQ(h.loadConfiguration(in), LoadOutcome::Loaded);
    EXPECT_EQ(h.model.WallName, "Bühne links         ");
    EXPECT_EQ(h.model.ElementCount, 4);
    EXPECT_EQ(h.model.WallColumns, 2);
    EXPECT_EQ(h.model.ElementWidth, 600);
    EXPECT_EQ(h.model.ElementHeight, 1200);
    EXPECT_EQ(h.model.WallZoom, 80);
    EXPECT_EQ(h.model.DmxTiming[0], 60);
    EXPECT_EQ(h.model.DmxTiming[3], 16);
    EXPECT_EQ(h.model.TimingBlockPending, 1);
    EXPECT_EQ(h.model.patch(4, White), 16);
    EXPECT_EQ(h.model.correction(2, Red), 5);
    EXPECT_EQ(h.model.correction(4, White), 10);
    EXPECT_EQ(h.model.ConfigFileName, in);
    EXPECT_EQ(h.view.wallStatus.back(), "Configuration erfolgreich geladen!");
    EXPECT_TRUE(h.user.messages.empty());

    const std::string out = h.path("OUT.CFG");
    ASSERT_EQ(h.saveConfiguration(out), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(out), readBytes(testing::fixture("DEMO22.CFG")));
    EXPECT_EQ(h.view.wallStatus.back(), "Konfiguration erfolgreich abgespeichert.");
    EXPECT_EQ(h.model.ConfigFileName, out);
}

TEST(ConfigurationFile, SavesOneElementWallAndClearsItsFlags)
{
    FileHarness h;
    h.model.WallName = "Kurz";
    h.buildWall(1, 1);
    h.model.setDocument(DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged | DocumentFlag::SceneChanged);
    const std::string out = h.path("ONE.CFG");
    ASSERT_EQ(h.saveConfiguration(out), SaveOutcome::Saved);
    const std::string bytes = readBytes(out);
    EXPECT_NE(bytes.find("[NAME]\r\nKurz                \r\n[Config]\r\nElementeMax =  1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[Patching]\r\n 1, 2, 3, 4\r\n[Farbkorrektur]\r\n 0, 0, 0, 0\r\n"), std::string::npos);
    EXPECT_EQ(h.model.DocumentFlags, DocumentFlag::SceneChanged);
}

TEST(ConfigurationFile, FailuresReportTheirSectionAndKeepWhatWasRead)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
        bool nameCleared;
        int elementsAfter;  // the wall as it stands after the load
        int patchOfElement1Red;
    };
    const Case cases[] = {
        {"no [Config]", configuration(""), "Fehler beim laden der Konfiguration im Abschnitt [Config]", true, 9, 1},
        {"columns out of a byte", configuration("ElementeMax =  4\r\nXmax =  300\r\nYmax =  2\r\n 1\r\n 1\r\n 80\r\n"),
         "Fehler beim laden der Konfiguration im Abschnitt [Config]", true, 9, 1},
        {"wall above 121 elements",
         configuration("ElementeMax =  400\r\nXmax =  20\r\nYmax =  20\r\n 1\r\n 1\r\n 80\r\n"),
         "Fehler beim laden der Konfiguration im Abschnitt [Config]", true, 9, 1},
        {"[DMXINI] too short", configuration(Wall22, " 1, 2\r\n", "", ""),
         "Fehler beim laden der DMX-Werte in der Konfigurationsdatei", true, 4, 1},
        {"no [Patching]", configuration(Wall22, " 60, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n", ""),
         "Fehler beim laden der Patchingtabelle in der Konfigurationsdatei", true, 4, 1},
        {"negative channel",
         configuration("ElementeMax =  4\r\nXmax =  2\r\nYmax =  2\r\n 6\r\n 1\r\n 80\r\n",
                       " 60, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
                       " 9,-1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16\r\n"),
         "Fehler beim laden der Patchingtabelle in der Konfigurationsdatei", true, 4, 9},
        {"correction too large",
         configuration("ElementeMax =  4\r\nXmax =  2\r\nYmax =  2\r\n 6\r\n 1\r\n 80\r\n",
                       " 60, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
                       " 9, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16\r\n", " 0, 0, 0, 300\r\n"),
         "Fehler beim laden der Farbkorekturtabelle in der Konfigurationsdatei", true, 4, 9},
        {"stored count differs",
         configuration(
             "ElementeMax =  20\r\nXmax =  4\r\nYmax =  4\r\n 6\r\n 1\r\n 80\r\n",
             " 60, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
             " 9, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, "
             "29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, "
             "55, 56, 57, 58, 59, 60, 61, 62, 63, 64\r\n",
             " 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
             "0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"),
         "Fehler beim laden der Konfigurationsdatei ! Anzahl der berechneten Elemente stimmt nicht überein mit den "
         "gespeicherten.",
         false, 16, 9},
    };
    for (const auto& c : cases) {
        FileHarness h;
        h.buildWall(3, 3);
        const std::string previous = "/old/PREVIOUS.CFG";
        const std::string in = h.file("BAD.CFG", c.bytes);
        h.model.setDocument(DocumentFlag::ConfigChanged);
        h.model.ConfigFileName = previous;
        h.model.setState(StateFlag::SilentFileOp);
        h.model.ConfigFileName = in;
        EXPECT_EQ(LoadConfiguration(h.context), LoadOutcome::Failed) << c.what;
        h.model.clearState(StateFlag::SilentFileOp);
        ASSERT_EQ(h.messageTexts(), std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(h.model.ConfigFileName.empty(), c.nameCleared) << c.what;
        EXPECT_EQ(h.model.ElementCount, c.elementsAfter) << c.what;
        EXPECT_EQ(h.model.patch(1, Red), c.patchOfElement1Red) << c.what;
        EXPECT_LE(h.model.WallColumns * h.model.WallRows, MaxWallElements) << c.what;
        EXPECT_TRUE(h.view.wallStatus.empty()) << c.what;
    }
}

TEST(ConfigurationFile, RefusesWhilePlayingAndReportsMissingFile)
{
    FileHarness h;
    h.model.setState(StateFlag::SequencePlaying);
    EXPECT_EQ(h.loadConfiguration(h.path("ANY.CFG")), LoadOutcome::Refused);
    h.model.clearState(StateFlag::SequencePlaying);
    const std::string gone = h.path("gone/MISSING.CFG");
    EXPECT_EQ(h.loadConfiguration(gone), LoadOutcome::NotFound);
    EXPECT_EQ(h.messageTexts(),
              (std::vector<std::string>{"Während eine Sequenz abgespielt wird, kann nicht geladen werden!",
                                        "Die Datei " + gone + " konnte nicht gefunden werden."}));
}

TEST(ConfigurationFile, WithoutNameKeepsTheWallName)
{
    FileHarness h;
    h.model.WallName = "Alt                 ";
    std::string bytes = configuration();
    bytes.erase(bytes.find("[NAME]"), std::string("[NAME]\r\nWand                \r\n").size());
    EXPECT_EQ(h.loadConfiguration(h.file("NONAME.CFG", bytes)), LoadOutcome::Loaded);
    EXPECT_EQ(h.model.WallName, "Alt                 ");
}

TEST(ConfigurationFile, MovedFileIsFoundInTheFallBackFolderIgnoringCase)
{
    FileHarness h;
    const std::string moved = h.file("program/Config/demo22.cfg", readBytes(testing::fixture("DEMO22.CFG")));
    EXPECT_EQ(h.loadConfiguration("C:\\TINCTARA\\config\\DEMO22.CFG"), LoadOutcome::Loaded);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Suchpfad der Configurationsdatei hat sich verändert"});
    EXPECT_EQ(h.model.ConfigFileName, moved);
}

TEST(ConfigurationFile, FailedSaveKeepsThePreviousFileAndItsName)
{
    FileHarness h;
    h.buildWall(2, 2);
    h.model.setDocument(DocumentFlag::ConfigChanged);
    const std::string target = h.file("KEEP.CFG", "previous");
    h.model.ConfigFileName = "/nowhere/at/all/X.CFG";
    h.model.setState(StateFlag::SilentFileOp);
    EXPECT_EQ(SaveConfiguration(h.context), SaveOutcome::Failed);
    h.model.clearState(StateFlag::SilentFileOp);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Speichern wurde abgebrochen."});
    EXPECT_EQ(h.model.ConfigFileName, "/nowhere/at/all/X.CFG");
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    EXPECT_EQ(readBytes(target), "previous");
}

TEST(ConfigurationFile, DialogsStartWhereTheProgramKeepsItsShows)
{
    FileHarness h;
    h.model.ConfigFileName = "/shows/config/HALLE.CFG";
    EXPECT_EQ(LoadConfiguration(h.context), LoadOutcome::Cancelled);
    EXPECT_EQ(SaveConfiguration(h.context), SaveOutcome::Cancelled);
    ASSERT_EQ(h.user.dialogs.size(), 2u);
    EXPECT_EQ(h.user.dialogs[0].title, "Configuration Laden");
    EXPECT_EQ(h.user.dialogs[0].initialFolder, "/shows/config");
    EXPECT_EQ(h.user.dialogs[0].fileName, "TINCTARA.CFG");
    EXPECT_EQ(h.user.dialogs[1].initialFolder, h.context.programFolder + "/config");
    EXPECT_EQ(h.user.dialogs[1].fileName, "HALLE.CFG");
    EXPECT_EQ(h.user.dialogs[1].defaultExtension, "CFG");
    EXPECT_TRUE(h.user.messages.empty());
}

}  // namespace
}  // namespace tinctara
