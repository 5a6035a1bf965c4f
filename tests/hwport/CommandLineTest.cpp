// hwport32d's numbers, from its arguments and its environment: only a whole
// number within its range is taken; anything else ends the service with
// status 2 and says which setting and text were wrong.
#include "ServiceFixture.h"
#include "service/CommandLine.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace hwport::testing {
namespace {

using service::Parsed;

struct Outcome {
    Parsed parsed;
    service::CommandLine line;
    std::string problem;
};

Outcome parse(std::vector<const char*> args, const std::map<std::string, std::string>& variables = {})
{
    args.insert(args.begin(), "hwport32d");
    const service::Environment environment = [&variables](const char* name) -> const char* {
        const auto it = variables.find(name);
        return it != variables.end() ? it->second.c_str() : nullptr;
    };
    Outcome outcome;
    outcome.parsed =
        service::parseCommandLine(int(args.size()), args.data(), environment, outcome.line, outcome.problem);
    return outcome;
}

TEST(CommandLine, IdleExitIsAWholeNumberOfSecondsWithinItsRange)
{
    struct Case {
        const char* text;
        bool taken;
        int seconds;
    };
    const Case cases[] = {
        {"0", true, 0},           {"5", true, 5},     {"2147483647", true, 2147483647},
        {"2147483648", false, 0}, {"-1", false, 0},   {"5s", false, 0},
        {" 5", false, 0},         {"5 ", false, 0},   {"+5", false, 0},
        {"", false, 0},           {"0x10", false, 0}, {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        for (const bool argument : {true, false}) {
            const Outcome outcome = argument ? parse({"--device", "d", "--idle-exit", c.text})
                                             : parse({"--device", "d"}, {{"HWPORT32_IDLE_EXIT", c.text}});
            const std::string setting = argument ? "--idle-exit" : "HWPORT32_IDLE_EXIT";
            if (!argument && c.text[0] == '\0') {
                EXPECT_EQ(outcome.parsed, Parsed::Ok) << "an empty variable counts as not set";
                continue;
            }
            ASSERT_EQ(outcome.parsed, c.taken ? Parsed::Ok : Parsed::BadNumber) << setting << " " << c.text;
            if (c.taken) {
                EXPECT_EQ(outcome.line.idleExitSeconds, c.seconds) << setting << " " << c.text;
            } else {
                EXPECT_NE(outcome.problem.find(setting + ": \"" + c.text + "\""), std::string::npos) << outcome.problem;
            }
        }
    }
    const Outcome both = parse({"--device", "d", "--idle-exit", "7"}, {{"HWPORT32_IDLE_EXIT", "never"}});
    EXPECT_EQ(both.parsed, Parsed::Ok) << "the argument wins; the variable is not read";
    EXPECT_EQ(both.line.idleExitSeconds, 7);
}

TEST(CommandLine, ParallelTableOfTheVirtualBus)
{
    using Table = service::VirtualBus::ParallelTable;
    struct Case {
        const char* text;
        bool taken;
        Table table;
    };
    const Case cases[] = {
        {"", true, {0x378, 0, 0x278}},
        {"0x3BC,0x378,0x278", true, {0x3BC, 0x378, 0x278}},
        {"0x3bc", true, {0x3BC, 0, 0}},
        {"888,0,632", true, {0x378, 0, 0x278}},
        {"0,0,0", true, {0, 0, 0}},
        {"0xFFFC", true, {0xFFFC, 0, 0}},
        {"0xFFFD", false, {}},
        {"0x10378", false, {}},  // once cut to 0x378
        {"0x378,,0x278", false, {}},
        {"0x378,0,0x278,", false, {}},
        {"1,2,3,4", false, {}},
        {"0x", false, {}},
        {"LPT1", false, {}},
        {"-0x378", false, {}},
    };
    for (const Case& c : cases) {
        const Outcome outcome = parse({"--device", "d", "--virtual"}, {{"HWPORT32_VIRTUAL_LPT", c.text}});
        ASSERT_EQ(outcome.parsed, c.taken ? Parsed::Ok : Parsed::BadNumber) << c.text;
        if (c.taken)
            EXPECT_EQ(outcome.line.parallelTable, c.table) << c.text;
        else
            EXPECT_NE(outcome.problem.find(std::string("HWPORT32_VIRTUAL_LPT: \"") + c.text + "\""), std::string::npos)
                << outcome.problem;
    }
    EXPECT_EQ(parse({"--device", "d"}, {{"HWPORT32_VIRTUAL_LPT", "LPT1"}}).parsed, Parsed::Ok)
        << "the real machine has no use for the table";
}

TEST(CommandLine, SocketFromTheServiceManager)
{
    const std::string self = std::to_string(getpid());
    struct Case {
        const char* what;
        std::map<std::string, std::string> variables;
        Parsed parsed;
        int listenFds;
    };
    const Case cases[] = {
        {"ours", {{"LISTEN_PID", self}, {"LISTEN_FDS", "1"}}, Parsed::Ok, 1},
        {"another process's", {{"LISTEN_PID", "1"}, {"LISTEN_FDS", "junk"}}, Parsed::Ok, 0},
        {"no count", {{"LISTEN_PID", self}}, Parsed::Ok, 0},
        {"bad pid", {{"LISTEN_PID", "12a"}, {"LISTEN_FDS", "1"}}, Parsed::BadNumber, 0},
        {"pid 0", {{"LISTEN_PID", "0"}, {"LISTEN_FDS", "1"}}, Parsed::BadNumber, 0},
        {"bad count", {{"LISTEN_PID", self}, {"LISTEN_FDS", "-1"}}, Parsed::BadNumber, 0},
    };
    for (const Case& c : cases) {
        const Outcome outcome = parse({"--system"}, c.variables);
        ASSERT_EQ(outcome.parsed, c.parsed) << c.what;
        EXPECT_EQ(outcome.line.listenFds, c.listenFds) << c.what;
    }
    EXPECT_EQ(parse({"--device", "d"}, {{"LISTEN_PID", "junk"}}).parsed, Parsed::Ok)
        << "only the system service takes a socket";
}

TEST(CommandLine, WrongFormsAreUsage)
{
    EXPECT_EQ(parse({}).parsed, Parsed::Usage) << "no device";
    EXPECT_EQ(parse({"--device", "d", "--idle-exit"}).parsed, Parsed::Usage) << "no value";
    EXPECT_EQ(parse({"--device", "d", "--idle"}).parsed, Parsed::Usage);
    EXPECT_EQ(parse({"--system"}).line.device, "hwport32");
}

// The service itself: status 2, the message on standard error, and no socket.
TEST_F(ServiceTest, BadNumberEndsTheServiceWithStatus2)
{
    struct Case {
        std::vector<const char*> args;
        const char* variable;
        const char* value;
        const char* named;
    };
    const Case cases[] = {
        {{"--idle-exit", "5x"}, nullptr, nullptr, "--idle-exit: \"5x\""},
        {{"--idle-exit", "-3"}, nullptr, nullptr, "--idle-exit: \"-3\""},
        {{}, "HWPORT32_IDLE_EXIT", "4294967296", "HWPORT32_IDLE_EXIT: \"4294967296\""},
        {{}, "HWPORT32_VIRTUAL_LPT", "0x378,0x1FFFF", "HWPORT32_VIRTUAL_LPT: \"0x378,0x1FFFF\""},
    };
    for (const Case& c : cases) {
        int error[2];
        ASSERT_EQ(pipe(error), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(error[1], STDERR_FILENO);
            if (c.variable != nullptr)
                setenv(c.variable, c.value, 1);
            std::vector<const char*> argv = {HWPORT32D_PATH, "--device", deviceName, "--virtual"};
            argv.insert(argv.end(), c.args.begin(), c.args.end());
            argv.push_back(nullptr);
            execv(HWPORT32D_PATH, const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        ::close(error[1]);
        std::string said;
        char buffer[512];
        for (ssize_t n; (n = ::read(error[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, size_t(n));
        ::close(error[0]);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << c.named;
        EXPECT_EQ(WEXITSTATUS(status), 2) << c.named;
        EXPECT_NE(said.find(c.named), std::string::npos) << said;
        EXPECT_FALSE(std::filesystem::exists(socketPath())) << c.named;
    }
}

}  // namespace
}  // namespace hwport::testing
