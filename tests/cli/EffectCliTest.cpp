#include "CliRun.h"

#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace tinctara::cli {
namespace {

namespace fs = std::filesystem;
using testing::fixture;
using testing::readBytes;

const std::string Config = fixture("DEMO22.CFG").string();    // 2 x 2 wall, channels 1..16
const std::string Sequence = fixture("SHOW22.CSQ").string();  // three steps

class EffectCli : public ::testing::Test {
protected:
    EffectCli()
    {
        std::string pattern = (fs::temp_directory_path() / "tinctara-effect-cli-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
    }
    ~EffectCli() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static CliRun run(std::vector<std::string> args) { return runFromBuild(std::move(args)); }
    std::string path(const std::string& name) const { return (root / name).string(); }

    fs::path root;
};

std::vector<int> bytes(const std::string& data, std::size_t from, std::size_t count)
{
    std::vector<int> result;
    for (std::size_t i = from; i < from + count; ++i)
        result.push_back(static_cast<unsigned char>(data.at(i)));
    return result;
}

// A chase saved as a sequence, written onto a memory card: the card holds the
// generated pictures as it holds recorded ones.
TEST_F(EffectCli, EffectToSequenceFileToCardImage)
{
    const CliRun effect =
        run({"effect", "--config", Config, "--effect", "chase", "--steps", "2", "--hold", "3", "--blend", "7",
             "--colour", "200,0,0,50", "--colour", "0,0,0,0", "--direction", "right", "--out", path("CHASE.CSQ")});
    ASSERT_EQ(effect.exit, ExitOk) << effect.out << effect.err;
    EXPECT_NE(effect.out.find("status: Sequenz erfolgreich abgespeichert.\nok\n"), std::string::npos) << effect.out;
    const std::string file = readBytes(path("CHASE.CSQ"));
    // The chase's column: elements 1 and 3 in step 1, 2 and 4 in step 2, with
    // the tail of two lamps (two thirds, wrapped round) behind it.
    EXPECT_NE(file.find("Sequencenmax =    2\r\n"), std::string::npos);
    EXPECT_NE(file.find("[Sequence]\r\n 200, 0, 0, 50, 133, 0, 0, 33, 200, 0, 0, 50, 133, 0, 0, 33, "
                        "133, 0, 0, 33, 200, 0, 0, 50, 133, 0, 0, 33, 200, 0, 0, 50\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("[HOLDBLEND]\r\n 3, 7, 3, 7\r\n"), std::string::npos);

    const CliRun card = run({"card-image", "--config", Config, "--sequence", path("CHASE.CSQ"), "--card-size", "32K",
                             "--out", path("card.bin")});
    ASSERT_EQ(card.exit, ExitOk) << card.err;
    const std::string image = readBytes(path("card.bin"));
    ASSERT_EQ(image.size(), 32768u);
    // Patched levels less the configuration's corrections (5 on element 2's
    // red, 10 on element 4's white).
    EXPECT_EQ(bytes(image, 0, 16), (std::vector<int>{200, 0, 0, 50, 128, 0, 0, 33, 200, 0, 0, 50, 133, 0, 0, 23}));
    EXPECT_EQ(bytes(image, 512, 8), (std::vector<int>{133, 0, 0, 33, 195, 0, 0, 50}));
    EXPECT_EQ(bytes(image, 506, 4), bytes(image, 512 + 506, 4));
}

TEST_F(EffectCli, AppendKeepsTheStepsAndStopsAtTheLimit)
{
    CliRun r = run({"effect", "--config", Config, "--effect", "rainbow", "--steps", "2", "--append", Sequence, "--out",
                    path("MORE.CSQ")});
    ASSERT_EQ(r.exit, ExitOk) << r.out;
    EXPECT_NE(readBytes(path("MORE.CSQ")).find("Sequencenmax =    5\r\n"), std::string::npos);

    r = run({"effect", "--config", Config, "--effect", "plasma", "--steps", "250", "--append", Sequence, "--out",
             path("FULL.CSQ")});
    ASSERT_EQ(r.exit, ExitOk) << r.out;
    EXPECT_NE(r.out.find("message: In dieser Programmversion sind maximal 250 Schritte in einer Sequenz möglich.\n"),
              std::string::npos);
    EXPECT_NE(readBytes(path("FULL.CSQ")).find("Sequencenmax =    250\r\n"), std::string::npos);
}

TEST_F(EffectCli, RefusedEffectsWriteNothing)
{
    fs::create_directories(path("dir"));
    const std::vector<std::vector<std::string>> cases = {
        {"--effect", "picture", "--picture", path("missing.png")},
        {"--effect", "picture", "--picture", path("dir")},
        {"--effect", "animation", "--picture", path("dir")},
        {"--effect", "text", "--text", "1 €"},
    };
    for (const auto& effect : cases) {
        std::vector<std::string> args{"effect", "--config", Config, "--out", path("NO.CSQ")};
        args.insert(args.end(), effect.begin(), effect.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.exit, ExitFailed) << effect.back();
        EXPECT_NE(r.out.find("message: "), std::string::npos) << r.out;
        EXPECT_TRUE(r.out.size() >= 7 && r.out.substr(r.out.size() - 7) == "failed\n") << r.out;
        EXPECT_FALSE(fs::exists(path("NO.CSQ")));
    }
}

TEST_F(EffectCli, UsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--effect", "sparkle"},
        {"--effect", "rainbow", "--steps", "0"},
        {"--effect", "rainbow", "--steps", "251"},
        {"--effect", "rainbow", "--hold", "65536"},
        {"--effect", "rainbow", "--blend", "-1"},
        {"--effect", "rainbow", "--colour", "1,2,3"},
        {"--effect", "rainbow", "--colour", "1,2,3,256"},
        {"--effect", "rainbow", "--direction", "north"},
        {"--effect", "picture", "--fit", "fit"},
        {"--effect", "text"},
        {"--effect", "rainbow", "--gamma", "0"},
        {"--effect", "rainbow", "--fit", "crop"},
    };
    for (const auto& effect : cases) {
        std::vector<std::string> args{"effect", "--config", Config, "--out", path("NO.CSQ")};
        args.insert(args.end(), effect.begin(), effect.end());
        EXPECT_EQ(run(args).exit, ExitUsage) << effect.back();
        EXPECT_FALSE(fs::exists(path("NO.CSQ")));
    }
    EXPECT_EQ(run({"effect", "--effect", "rainbow", "--out", path("NO.CSQ")}).exit, ExitUsage);
}

}  // namespace
}  // namespace tinctara::cli
