#include "CliApp.h"

#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tinctara::cli {
namespace {

using testing::fixture;

// Which usage text follows a usage error's line: the whole one, or the effect,
// record or beats command's lines alone.
enum class Follows { Usage, EffectUsage, RecordUsage, BeatsUsage };

// The first wrong word on a command line is the one reported, and the rules
// differ between the commands: an operand of effect is refused where it
// stands, those of the others once all options are read; only effect refuses
// an option given twice.
TEST(CliUsage, TheFirstFaultIsReportedWithTheCommandsUsage)
{
    const std::string config = fixture("DEMO22.CFG").string();
    const std::string sequence = fixture("SHOW22.CSQ").string();
    struct Case {
        std::vector<std::string> args;
        std::string line;
        Follows follows;
    };
    const Case cases[] = {
        {{"frobnicate"}, "unknown command frobnicate", Follows::Usage},
        {{"check", "--config"}, "--config needs a value", Follows::Usage},
        {{"check", "--play", "X.CSC"}, "unknown option --play", Follows::Usage},
        {{"check", "-x", "X.CSC"}, "not a show file (.CFG .CSC .CSQ .CCT): -x", Follows::Usage},
        {{"check", "--config", config, "--config", sequence, "X.CSC"}, "--config takes a .CFG file", Follows::Usage},
        {{"resave", "--import", "maybe", "A.CCT", "B.CSC"}, "--import takes yes or no", Follows::Usage},
        {{"resave", "A.CCT", "B.CSC"}, "OUT must have the extension of IN", Follows::Usage},
        {{"render", "extra", "--bogus"}, "unknown option --bogus", Follows::Usage},
        {{"render", "--import", "maybe", "extra"}, "render takes no operands: extra", Follows::Usage},
        {{"render", "--ticks", "x", "--channels", "0-1"},
         "--channels takes A-B with 1 <= A <= B <= 512",
         Follows::Usage},
        {{"render", "--interface", "serial", "--ticks", "x"},
         "--ticks takes a number from 0 to 10000000",
         Follows::Usage},
        {{"render", "--interface", "serial"},
         "--interface takes none, isa, usb, library, sacn or artnet",
         Follows::Usage},
        {{"render", "--universe", "3"},
         "--destination and --universe go with --interface sacn or artnet",
         Follows::Usage},
        {{"render", "--scene", config}, "--scene takes a file of its kind: " + config, Follows::Usage},
        {{"play", "--quiet", "extra", "--bogus"}, "unknown option --bogus", Follows::Usage},
        {{"play", "--quiet", "extra"}, "play takes no operands: extra", Follows::Usage},
        {{"play", "--interface", "serial", "--config", sequence},
         "--interface takes none, isa, usb, library, sacn or artnet",
         Follows::Usage},
        {{"play", "--sequence", sequence}, "--config is needed", Follows::Usage},
        {{"play", "--tick-lead", "21", "--sequence", sequence},
         "--tick-lead takes a number from 0 to 20",
         Follows::Usage},
        {{"play", "--tick-lead", "2.5"}, "--tick-lead takes a number from 0 to 20", Follows::Usage},
        {{"card-image", "--card-size", "48K"}, "--out is needed", Follows::Usage},
        {{"card-image", "--card-size", "48K", "--out", "x"},
         "--card-size takes 32K, 64K, 128K, 256K, 512K or 1M",
         Follows::Usage},
        {{"card-image", "--card-size", "32K", "--out", "x", "--sequence", sequence},
         "--config is needed",
         Follows::Usage},
        {{"merger", "--out", "x", "--config", "x.CFG", "--sequence", "y.CSC"},
         "--sequence takes a .CSQ file",
         Follows::Usage},
        {{"merger", "--card-size", "32K"}, "unknown option --card-size", Follows::Usage},
        {{"effect", "extra", "--bogus"}, "effect takes no operands: extra", Follows::EffectUsage},
        {{"effect", "--colour", "1", "--bogus"}, "--colour takes R,G,B,W with levels 0..255", Follows::EffectUsage},
        {{"effect", "--steps", "1", "--steps", "2", "--bogus"}, "--steps is given twice", Follows::EffectUsage},
        {{"effect", "--home", "a", "--home", "b"}, "--home is given twice", Follows::EffectUsage},
        {{"effect", "--config", config, "--out", "x"}, "--effect is needed", Follows::EffectUsage},
        {{"effect", "--config", config, "--effect", "sparkle", "--out", "x"},
         "--effect takes animation|chase|picture|plasma|rainbow|text|twinkle",
         Follows::EffectUsage},
        {{"effect", "--config", config, "--effect", "rainbow", "--seed", "4294967296", "--out", "x"},
         "--seed takes a number from 0 to 4294967295",
         Follows::EffectUsage},
        {{"effect", "--config", config, "--effect", "rainbow", "--out", "x.CSC"},
         "--out takes a .CSQ file",
         Follows::EffectUsage},
        {{"play", "--input-universe", "3"}, "--input-universe goes with --input", Follows::Usage},
        {{"play", "--input-listen", "127.0.0.1"}, "--input-listen goes with --input", Follows::Usage},
        {{"play", "--merge", "htp"}, "--merge goes with --input", Follows::Usage},
        {{"play", "--input", "midi"}, "--input takes sacn or artnet", Follows::Usage},
        {{"play", "--input", "sacn"}, "--input-universe is needed", Follows::Usage},
        {{"play", "--input", "sacn", "--input-universe", "64000"},
         "--input-universe takes a number from 1 to 63999",
         Follows::Usage},
        {{"play", "--input", "artnet", "--input-universe", "0", "--merge", "max"},
         "--merge takes aus, htp, ltp or eingang",
         Follows::Usage},
        {{"record", "extra", "--bogus"}, "record takes no operands: extra", Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn"}, "--out is needed", Follows::RecordUsage},
        {{"record", "--interface", "sacn", "--out", "x.CSQ"}, "--config is needed", Follows::RecordUsage},
        {{"record", "--config", config, "--out", "x.CSQ"}, "--interface is needed", Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--out", "x.CSC"},
         "--out takes a .CSQ file",
         Follows::RecordUsage},
        {{"record", "--config", sequence, "--interface", "sacn", "--out", "x.CSQ"},
         "--config takes a .CFG file",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "usb", "--universe", "1", "--out", "x.CSQ"},
         "--interface takes sacn or artnet",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--out", "x.CSQ"},
         "--universe is needed",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--universe", "0", "--out", "x.CSQ"},
         "--universe takes a number from 1 to 63999",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "artnet", "--universe", "32768", "--out", "x.CSQ"},
         "--universe takes a number from 0 to 32767",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "artnet", "--universe", "0", "--listen", "10.0.0.256", "--out",
          "x.CSQ"},
         "--listen takes an IPv4 address",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--universe", "1", "--out", "x.CSQ", "--every", "5",
          "--on-change"},
         "--every and --on-change exclude each other",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--universe", "1", "--out", "x.CSQ", "--every", "0"},
         "--every takes a number from 1 to 72000",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--universe", "1", "--out", "x.CSQ", "--steps", "251"},
         "--steps takes a number from 1 to 250",
         Follows::RecordUsage},
        {{"record", "--config", config, "--interface", "sacn", "--universe", "1", "--out", "x.CSQ", "--seconds", "1.5"},
         "--seconds takes a number from 1 to 86400",
         Follows::RecordUsage},
        {{"record", "--steps", "1", "--steps", "2"}, "--steps is given twice", Follows::RecordUsage},
        {{"beats", "extra", "--bogus"}, "beats takes no operands: extra", Follows::BeatsUsage},
        {{"beats", "--config", config, "--sequence", sequence, "--out", "x.CSQ"},
         "--audio is needed",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--out", "x.CSQ"},
         "--sequence is needed",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", sequence, "--sequence", sequence, "--out", "x.CSQ"},
         "--config takes a .CFG file",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--sequence", sequence, "--out", "x.CSC"},
         "--out takes a .CSQ file",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--sequence", sequence, "--out", "x.CSQ", "--every-beats",
          "0"},
         "--every-beats takes a number from 1 to 64",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--sequence", sequence, "--out", "x.CSQ", "--blend-fraction",
          "1.5"},
         "--blend-fraction takes a number from 0 to 1",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--sequence", sequence, "--out", "x.CSQ", "--blend-fraction",
          "0,5"},
         "--blend-fraction takes a number from 0 to 1",
         Follows::BeatsUsage},
        {{"beats", "--audio", "a.wav", "--config", config, "--sequence", sequence, "--out", "x.CSQ", "--start", "-1"},
         "--start takes a number from 0 to 86400",
         Follows::BeatsUsage},
        {{"beats", "--start", "1", "--start", "2"}, "--start is given twice", Follows::BeatsUsage},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runCli(c.args, out, err, "/nonexistent"), ExitUsage) << c.line;
        EXPECT_EQ(out.str(), "") << c.line;
        const std::string head = "tinctara-cli: " + c.line + "\n";
        ASSERT_EQ(err.str().substr(0, head.size()), head);
        const std::string usage = err.str().substr(head.size());
        if (c.follows == Follows::Usage) {
            EXPECT_EQ(usage.rfind("Usage:\n  tinctara-cli check ", 0), 0u) << c.line;
        } else {
            const char* own = c.follows == Follows::EffectUsage   ? "  tinctara-cli effect --config F.CFG "
                              : c.follows == Follows::RecordUsage ? "  tinctara-cli record --config F "
                                                                  : "  tinctara-cli beats --audio SONG ";
            EXPECT_EQ(usage.rfind(own, 0), 0u) << c.line;
            EXPECT_EQ(usage.find("Usage:"), std::string::npos) << c.line;
        }
    }
}

TEST(CliUsage, HelpListsEveryCommandInOrder)
{
    for (const char* help : {"--help", "-h", "help"}) {
        std::ostringstream out, err;
        ASSERT_EQ(runCli({help}, out, err, "/nonexistent"), ExitOk);
        const std::string text = out.str();
        std::size_t at = 0;
        for (const char* line : {"Usage:\n", "\n  tinctara-cli check ", "\n  tinctara-cli resave ",
                                 "\n  tinctara-cli render ", "\n  tinctara-cli play ", "\n  tinctara-cli card-image ",
                                 "\n  tinctara-cli merger ", "\n  tinctara-cli effect ", "\n  tinctara-cli record ",
                                 "\n  tinctara-cli beats ", "\n  tinctara-cli --help\n", "\nExit codes: "}) {
            at = text.find(line, at);
            ASSERT_NE(at, std::string::npos) << help << ": " << line;
        }
        EXPECT_EQ(err.str(), "");
    }
    std::ostringstream out, err;
    EXPECT_EQ(runCli({}, out, err, "/nonexistent"), ExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("Usage:\n", 0), 0u);
}

}  // namespace
}  // namespace tinctara::cli
