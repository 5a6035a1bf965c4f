#include "CliApp.h"
#include "CliPlatform.h"

#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <unistd.h>

namespace tinctara::cli {
namespace {

using testing::FileHarness;
using testing::fixture;
using testing::readBytes;

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

CliRun run(const std::vector<std::string>& args, const std::string& programFolder = "/nonexistent")
{
    std::ostringstream out, err;
    CliRun result;
    result.exit = runCli(args, out, err, programFolder);
    result.out = out.str();
    result.err = err.str();
    return result;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::string data(const char* name) { return fixture(name).string(); }

TEST(CliCheck, PrintsWhatTheProgramWouldShowAndHowTheLoadsEnded)
{
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {{"check", "--config", data("DEMO22.CFG"), data("SRC22.CSC"), data("USER.CCT")},
         0,
         {"status: Configuration erfolgreich geladen!", "status: Scene SRC22.CSC erfolgreich geladen!", "ok"}},
        {{"check", "--config", data("DEMO22.CFG"), data("SRC44.CSC"), "--import", "no"},
         0,
         {"status: Configuration erfolgreich geladen!",
          "message: Scene wurde auf einer Wand mit X= 4 und Y= 4 Elementen erstellt. Soll ich Importieren ?",
          "status: Scene SRC44.CSC erfolgreich geladen!", "ok"}},
        {{"check", data("SRC22.CSC")},  // no wall to import onto
         1,
         {"message: Scene wurde auf einer Wand mit X= 2 und Y= 2 Elementen erstellt. Soll ich Importieren ?",
          "message: Keine Wand vorhanden. Auf eine  leere Wand kann nicht importiert werden!",
          "status: Scene SRC22.CSC erfolgreich geladen!", "failed"}},
        {{"check", "/gone/X.CSQ"}, 1, {"message: Konnte Sequenz-Datei nicht finden", "failed"}},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exit, c.exit) << c.args[1];
        EXPECT_EQ(lines(r.out), c.out) << c.args[1];
    }
}

TEST(CliCheck, CountChecksAreFailures)
{
    FileHarness h;
    std::string config = readBytes(fixture("DEMO22.CFG"));
    config.replace(config.find("ElementeMax =  4"), 16, "ElementeMax =  5");
    std::string table = readBytes(fixture("USER.CCT"));
    table.replace(table.find("UserColors =  20"), 16, "UserColors =  16");
    const CliRun mismatch = run({"check", h.file("C.CFG", config)});
    EXPECT_EQ(mismatch.exit, 1);
    EXPECT_EQ(lines(mismatch.out).back(), "failed");
    const CliRun colours = run({"check", h.file("T.cct", table)});
    EXPECT_EQ(colours.exit, 1);
    EXPECT_EQ(lines(colours.out).front(), "message: Fehler beim Laden der Farbtabelle! Beim Erstellen der Datei wurde "
                                          "eine andere Anzahl an Farben benutzt.");
}

TEST(CliResave, EveryFormatSavedLoadedAndSavedAgainKeepsItsBytes)
{
    for (const char* name : {"DEMO22.CFG", "SRC22.CSC", "SRC44.CSC", "SHOW22.CSQ", "OLD98.CSQ", "USER.CCT"}) {
        FileHarness h;
        const std::string ext = std::string(name).substr(std::string(name).size() - 4);
        const std::string once = h.path(std::string("ONCE") + ext);
        const std::string twice = h.path(std::string("TWICE") + ext);
        ASSERT_EQ(run({"resave", data(name), once, "--config", data("DEMO22.CFG")}).exit, 0) << name;
        ASSERT_EQ(run({"resave", once, twice, "--config", data("DEMO22.CFG")}).exit, 0) << name;
        EXPECT_EQ(readBytes(twice), readBytes(once)) << name;
    }
}

TEST(CliResave, SpeedIsTheBlendTimeOfStepOne)
{
    FileHarness h;
    std::string sequence = readBytes(fixture("SHOW22.CSQ"));
    sequence.replace(sequence.find("Speed =   20"), 12, "Speed =   77");
    const std::string out = h.path("OUT.CSQ");
    ASSERT_EQ(run({"resave", h.file("IN.CSQ", sequence), out, "--config", data("DEMO22.CFG")}).exit, 0);
    EXPECT_NE(readBytes(out).find("\r\nSpeed =   20\r\n"), std::string::npos);
}

TEST(CliRender, PrintsTheLevelsTheInterfaceHoldsAfterEachTick)
{
    const CliRun usb = run({"render", "--config", data("DEMO22.CFG"), "--scene", data("SRC22.CSC"), "--interface",
                            "usb", "--ticks", "2", "--channels", "1-8"});
    EXPECT_EQ(usb.exit, 0);
    // Correction of element 2 red is 5 in the configuration.
    EXPECT_EQ(lines(usb.out), (std::vector<std::string>{"1,1,21,41,61,0,22,42,62", "2,1,21,41,61,0,22,42,62"}));
    EXPECT_NE(usb.err.find("status: Scene SRC22.CSC erfolgreich geladen!"), std::string::npos);

    const CliRun library = run({"render", "--config", data("DEMO22.CFG"), "--scene", data("SRC22.CSC"), "--interface",
                                "library", "--channels", "15-16"});
    EXPECT_EQ(lines(library.out), std::vector<std::string>{"1,44,54"});

    std::string silence = "1";
    for (int channel = 1; channel <= 512; ++channel)
        silence += ",0";
    EXPECT_EQ(lines(run({"render", "--interface", "usb"}).out), std::vector<std::string>{silence});
}

TEST(CliRender, IsaCardIsFoundByTheSearchAndItsMemoryReadBack)
{
    // The build's program folder: firmware, hardware.ini and the emulated libraries.
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    const CliRun isa = run({"render", "--config", data("DEMO22.CFG"), "--scene", data("SRC22.CSC"), "--interface",
                            "isa", "--channels", "1-8", "--ticks", "2", "--home", program});
    EXPECT_EQ(isa.exit, 0) << isa.err;
    EXPECT_EQ(lines(isa.out), (std::vector<std::string>{"1,1,21,41,61,0,22,42,62", "2,1,21,41,61,0,22,42,62"}));
    EXPECT_NE(isa.err.find("KELVARTECH 7301B card found at address120h"), std::string::npos) << isa.err;
}

// The command line reads a program folder; an empty one stays empty (the
// program seeds such a folder, the command line never does).
TEST(CliRender, AnEmptyHomeIsNeverWritten)
{
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tinctara-cli-home-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"check", "--home", home.string(), "--config", data("DEMO22.CFG")},
          std::vector<std::string>{"render", "--home", home.string(), "--config", data("DEMO22.CFG"), "--scene",
                                   data("SRC22.CSC"), "--interface", "isa", "--ticks", "2", "--channels", "1-2"},
          std::vector<std::string>{"card-image", "--home", home.string(), "--config", data("DEMO22.CFG"), "--sequence",
                                   data("SHOW22.CSQ"), "--card-size", "64K", "--out",
                                   (home.parent_path() / (home.filename().string() + ".BIN")).string()}}) {
        const CliRun r = run(command);
        EXPECT_TRUE(std::filesystem::is_empty(home)) << command[0] << ": " << r.err;
    }
    std::filesystem::remove(home.parent_path() / (home.filename().string() + ".BIN"));
    std::filesystem::remove_all(home);
}

TEST(CliRender, PlayFadesThroughTheSequence)
{
    const CliRun none =
        run({"render", "--config", data("DEMO22.CFG"), "--sequence", data("SHOW22.CSQ"), "--play", "--ticks", "3"});
    EXPECT_EQ(none.exit, 0);
    // Step 1 is on the wall; the first tick loads it (blend 20), the second holds, the third fades.
    const auto out = lines(none.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "1,11,0,0,1,12,0,0,2,13,0,0,3,14,0,0,4");
    EXPECT_EQ(out[1], "2,11,0,0,1,12,0,0,2,13,0,0,3,14,0,0,4");
    EXPECT_NE(out[2], "3,11,0,0,1,12,0,0,2,13,0,0,3,14,0,0,4");

    const CliRun withoutSequence = run({"render", "--config", data("DEMO22.CFG"), "--play", "--ticks", "2"});
    EXPECT_EQ(lines(withoutSequence.out),
              (std::vector<std::string>{"1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", "2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}));
    EXPECT_NE(withoutSequence.err.find("status: Es wurde noch keine Sequenz programmiert !"), std::string::npos);
}

// A seek prints the same lines as the plain run, at loads, holds and fades,
// on the wall alone and on an interface.
TEST(CliRender, SeekPrintsWhatPlayingPrints)
{
    for (const char* interface : {"none", "usb"}) {
        const std::vector<std::string> show{"render",           "--config",    data("DEMO22.CFG"), "--sequence",
                                            data("SHOW22.CSQ"), "--interface", interface,          "--play"};
        auto with = [&](std::vector<std::string> more) {
            std::vector<std::string> args = show;
            args.insert(args.end(), more.begin(), more.end());
            return run(args);
        };
        const auto played = lines(with({"--ticks", "400"}).out);
        ASSERT_EQ(played.size(), 400u);
        for (int seek : {0, 1, 19, 20, 21, 57, 230, 390}) {
            const CliRun sought = with({"--seek", std::to_string(seek), "--ticks", "10"});
            EXPECT_EQ(sought.exit, 0);
            const std::vector<std::string> expected(played.begin() + seek, played.begin() + seek + 10);
            EXPECT_EQ(lines(sought.out), expected) << interface << ", seek " << seek;
        }
    }
    EXPECT_EQ(run({"render", "--sequence", data("SHOW22.CSQ"), "--seek", "5"}).exit, ExitUsage);
}

TEST(CliRender, AFailedLoadEndsWithItsMessagesAndNoTicks)
{
    FileHarness h;
    std::string config = readBytes(fixture("DEMO22.CFG"));
    config.replace(config.find("ElementeMax =  4"), 16, "ElementeMax =  5");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {"element count mismatch",
         {"--config", h.file("C.CFG", config), "--scene", data("SRC22.CSC")},
         "message: Fehler beim laden der Konfigurationsdatei ! Anzahl der berechneten Elemente stimmt nicht "
         "überein mit den gespeicherten."},
        {"empty scene",
         {"--config", data("DEMO22.CFG"), "--scene", h.file("E.CSC", "")},
         "message: Fehler beim laden der Scene!"},
        {"blank sequence",
         {"--config", data("DEMO22.CFG"), "--sequence", h.file("B.CSQ", " \r\n"), "--play"},
         "message: Fehler beim Laden der Sequenz"},
        {"colour count",
         {"--colours", h.file("T.CCT", "Farbtabelle von TINCTARA 99\r\n[Config]\r\nUserColors =  16\r\n")},
         "message: Fehler beim Laden der Farbtabelle! Beim Erstellen der Datei wurde eine andere Anzahl an Farben "
         "benutzt."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"render", "--ticks", "3"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.exit, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name << ": no ticks";
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << "\n" << r.err;
    }
}

TEST(CliRender, PlayNeverSendsAFrameThatWasNotBuilt)
{
    // Tick 1 loads step 1 and builds nothing: the interface gets the wall's
    // picture then (step 1, which tick 2 holds), never an empty frame.
    for (const char* interface : {"usb", "library"}) {
        const CliRun play = run({"render", "--config", data("DEMO22.CFG"), "--sequence", data("SHOW22.CSQ"), "--play",
                                 "--interface", interface, "--ticks", "2", "--channels", "1-8"});
        EXPECT_EQ(play.exit, 0) << interface;
        const auto out = lines(play.out);
        ASSERT_EQ(out.size(), 2u) << interface;
        EXPECT_EQ(out[0].substr(1), out[1].substr(1)) << interface;
        EXPECT_NE(out[0], "1,0,0,0,0,0,0,0,0") << interface;
    }
}

TEST(CliRender, ExitCodes)
{
    struct Case {
        std::vector<std::string> args;
        int exit;
    };
    const Case cases[] = {
        {{"render", "--channels", "0-3"}, 2},
        {{"render", "--channels", "5-3"}, 2},
        {{"render", "--channels", "1-513"}, 2},
        {{"render", "--channels", "7"}, 2},
        {{"render", "--interface", "isa"}, 1},  // no firmware in the program folder: no card
        {{"render", "--interface", "serial"}, 2},
        {{"render", "--ticks", "-1"}, 2},
        {{"render", "--scene", data("USER.CCT")}, 2},
        {{"render", "--bogus"}, 2},
        {{"render", "--scene", "/gone/X.CSC"}, 1},
        {{"resave", "/gone/A.CSC", "/tmp/B.CSC"}, 1},
        {{"resave", data("USER.CCT"), "/no/such/folder/B.CCT"}, 1},
        {{"resave", data("USER.CCT"), "/tmp/B.CSC"}, 2},
        {{"resave", data("USER.CCT")}, 2},
        {{"render", "--ticks", "0"}, 0},
        {{"render", "--universe", "3"}, 2},  // only with a network interface
        {{"render", "--interface", "sacn", "--universe", "0"}, 2},
        {{"render", "--interface", "sacn", "--universe", "64000"}, 2},
        {{"render", "--interface", "sacn", "--universe", "x"}, 2},
        {{"render", "--interface", "artnet", "--universe", "32768"}, 2},
        {{"render", "--interface", "artnet", "--destination", "300.1.1.1"}, 2},
        {{"render", "--interface", "sacn", "--destination", "127.0.0.1", "--ticks", "2"}, 0},
        {{"frobnicate"}, 2},
        {{}, 2},
        {{"check"}, 2},
        {{"check", "README.md"}, 2},
        {{"check", "--import", "maybe", data("USER.CCT")}, 2},
        {{"--help"}, 0},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exit, c.exit) << (c.args.empty() ? "(none)" : c.args.back());
        if (c.exit == 2) {
            EXPECT_NE(r.err.find("Usage:"), std::string::npos);
        }
    }
}

TEST(CliPlatform, TextsStayOnOneLine) { EXPECT_EQ(escaped("a.CFG\rSie haben\n"), "a.CFG\\rSie haben\\n"); }

TEST(CliCheck, FindsShowsInTheProgramFoldersFallBackFolders)
{
    FileHarness h;
    h.file("program/config/DEMO22.CFG", readBytes(fixture("DEMO22.CFG")));
    h.file("program/sequence/SHOW22.CSQ", readBytes(fixture("SHOW22.CSQ")));
    const CliRun r = run({"check", "--home", h.context.programFolder, "--config", "C:\\old\\DEMO22.CFG", "SHOW22.CSQ"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"message: Suchpfad der Configurationsdatei hat sich verändert",
                                                      "status: Configuration erfolgreich geladen!",
                                                      "message: Suchpfad der Sequenz hat sich verändert.",
                                                      "status: Sequenz erfolgreich geladen!", "ok"}));
}

}  // namespace
}  // namespace tinctara::cli

namespace tinctara::cli {
namespace {

// The sample shows shipped in the program folder load from their show folders.
TEST(CliCheck, ShippedSampleShowsLoad)
{
    const auto programFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    const CliRun r =
        run({"check", "--config", "DEMO.CFG", "ROT.CSC", "REGENBOGEN.CSC", "WARMWEISS.CSC", "DEMO.CSQ", "DEMO.CCT"},
            programFolder);
    EXPECT_EQ(r.exit, 0) << r.out;
    EXPECT_EQ(lines(r.out).back(), "ok");
    EXPECT_EQ(r.out.find("Importieren"), std::string::npos);
}

}  // namespace
}  // namespace tinctara::cli
