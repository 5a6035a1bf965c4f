#include "CliApp.h"

#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>

namespace tinctara::cli {
namespace {

using testing::fixture;
using testing::readBytes;

struct OutRun {
    int exit = -1;
    std::string err;
    std::string file;
};

// Runs a command whose --out goes to a temporary file, in the build's
// program folder (firmware and the libraries loaded by name).
OutRun runWithOut(std::vector<std::string> args)
{
    const auto out = std::filesystem::temp_directory_path() / ("tinctara-cli-" + std::to_string(::getpid()) + ".bin");
    std::filesystem::remove(out);
    args.insert(args.end(), {"--out", out.string(), "--home",
                             std::filesystem::read_symlink("/proc/self/exe").parent_path().string()});
    std::ostringstream stdOut, stdErr;
    OutRun r;
    r.exit = runCli(args, stdOut, stdErr, "/nonexistent");
    r.err = stdErr.str();
    if (std::filesystem::exists(out))
        r.file = readBytes(out);
    std::filesystem::remove(out);
    return r;
}

std::vector<int> bytes(const std::string& data, std::size_t from, std::size_t count)
{
    std::vector<int> result;
    for (std::size_t i = from; i < from + count; ++i)
        result.push_back(static_cast<unsigned char>(data.at(i)));
    return result;
}

const std::string Config = fixture("DEMO22.CFG").string();
const std::string Sequence = fixture("SHOW22.CSQ").string();  // three steps on a 2 x 2 wall

TEST(CliCardImage, TheThreeStepSequenceOnA32KCard)
{
    const OutRun r = runWithOut({"card-image", "--config", Config, "--sequence", Sequence, "--card-size", "32K"});
    ASSERT_EQ(r.exit, 0) << r.err;
    ASSERT_EQ(r.file.size(), 32768u);
    EXPECT_NE(r.err.find("status: Fertig mit Schreiben. Bis Adresse  30720 geschrieben.\n"), std::string::npos);
    auto slot = [&](int k, std::size_t offset, std::size_t count) {
        return bytes(r.file, (k - 1) * 512u + offset, count);
    };
    // Patched levels less the configuration's corrections (12 - 5 and 4 - 4).
    EXPECT_EQ(slot(1, 0, 16), (std::vector<int>{11, 0, 0, 1, 7, 0, 0, 2, 13, 0, 0, 3, 14, 0, 0, 0}));
    EXPECT_EQ(slot(4, 0, 16), slot(1, 0, 16));
    EXPECT_EQ(slot(4, 506, 6), (std::vector<int>{0, 50, 0, 1, 0, 0}));
    EXPECT_EQ(slot(5, 0, 506), std::vector<int>(506, 0));
    for (int k = 5; k <= 60; ++k)
        ASSERT_EQ(slot(k, 0, 512), slot(5, 0, 512)) << "slot " << k;  // zero picture, times 50 and 1
}

TEST(CliMerger, TwoHundredFiftyFiveRecords)
{
    const OutRun r = runWithOut({"merger", "--config", Config, "--sequence", Sequence});
    ASSERT_EQ(r.exit, 0) << r.err;
    ASSERT_EQ(r.file.size(), 255u * 529u);
    for (int k = 1; k <= 255; ++k) {
        const std::size_t record = (k - 1) * 529u;
        ASSERT_EQ(bytes(r.file, record, 1), std::vector<int>{k}) << "start code of tick " << k;
        // Break and idle time as the search left them, the start code, 512 channels in
        // hardware repeat; the running card shows its identity byte at 3F9h.
        ASSERT_EQ(bytes(r.file, record + 1, 16), (std::vector<int>{60, k, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}))
            << k;
        const int mark = bytes(r.file, record + 17 + 511, 1)[0];
        ASSERT_EQ(mark, k <= 3 ? 128 : 0) << k;
    }
    EXPECT_EQ(bytes(r.file, 17, 8), (std::vector<int>{11, 0, 0, 1, 7, 0, 0, 2}));
    EXPECT_EQ(bytes(r.file, 3 * 529 + 17, 8), bytes(r.file, 17, 8)) << "tick 4 repeats step 1";
    EXPECT_NE(r.err.find("status: Fertig mit Senden.\n"), std::string::npos);
}

TEST(CliStandAlone, UsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"card-image", "--config", Config, "--sequence", Sequence, "--card-size", "48K"},
        {"card-image", "--config", Config, "--sequence", Sequence},
        {"merger", "--config", Sequence, "--sequence", Sequence},
        {"merger", "--sequence", Sequence},
    };
    for (const auto& args : cases) {
        std::ostringstream out, err;
        std::vector<std::string> withOut = args;
        if (args[0] == "merger")
            withOut.insert(withOut.end(), {"--out", "/nonexistent/x"});
        EXPECT_EQ(runCli(withOut, out, err, "/nonexistent"), ExitUsage) << args[0] << " " << args.back();
    }
    const OutRun missing = runWithOut({"merger", "--config", Config, "--sequence", "/gone/X.CSQ"});
    EXPECT_EQ(missing.exit, ExitFailed);
}

}  // namespace
}  // namespace tinctara::cli
