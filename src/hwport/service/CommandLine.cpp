#include "CommandLine.h"

#include "Numbers.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

namespace hwport::service {
namespace {

std::string badNumber(std::string_view setting, std::string_view text, std::string_view expected)
{
    return std::string(setting) + ": \"" + std::string(text) + "\" is not " + std::string(expected);
}

constexpr const char* idleSeconds = "a whole number of seconds from 0 to 2147483647";
constexpr const char* parallelBases = "up to three port bases from 0 to 0xFFFC, separated by commas";

// A variable set to "" counts as not set, as it does for the flags.
const char* variable(const Environment& environment, const char* name)
{
    const char* value = environment(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

}  // namespace

bool flagSet(const Environment& environment, const char* name)
{
    const char* value = variable(environment, name);
    return value != nullptr && std::strcmp(value, "0") != 0;
}

Parsed parseCommandLine(int argc, const char* const* argv, const Environment& environment, CommandLine& line,
                        std::string& problem)
{
    line = CommandLine{};
    line.virtualBus = flagSet(environment, "HWPORT32_VIRTUAL");
    const char* idleExit = variable(environment, "HWPORT32_IDLE_EXIT");
    const char* idleExitSetting = "HWPORT32_IDLE_EXIT";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool valued = i + 1 < argc;
        if (arg == "--device" && valued)
            line.device = argv[++i];
        else if (arg == "--virtual")
            line.virtualBus = true;
        else if (arg == "--foreground")
            line.foreground = true;
        else if (arg == "--system")
            line.system = true;
        else if (arg == "--group" && valued)
            line.group = argv[++i];
        else if (arg == "--idle-exit" && valued) {
            // The argument wins over the variable, which is then not read.
            idleExit = argv[++i];
            idleExitSetting = "--idle-exit";
        } else {
            return Parsed::Usage;
        }
    }
    if (line.system && line.device.empty())
        line.device = "hwport32";
    if (line.device.empty())
        return Parsed::Usage;

    if (idleExit != nullptr) {
        const std::optional<int> seconds = parseNumber<int>(idleExit, 0, INT_MAX);
        if (!seconds) {
            problem = badNumber(idleExitSetting, idleExit, idleSeconds);
            return Parsed::BadNumber;
        }
        line.idleExitSeconds = *seconds;
    }
    // The table matters to the virtual bus only.
    if (const char* table = environment("HWPORT32_VIRTUAL_LPT"); line.virtualBus && table != nullptr) {
        const std::optional<VirtualBus::ParallelTable> parsed = VirtualBus::parseParallelTable(table);
        if (!parsed) {
            problem = badNumber("HWPORT32_VIRTUAL_LPT", table, parallelBases);
            return Parsed::BadNumber;
        }
        line.parallelTable = *parsed;
    }
    // A socket from the service manager, when its variables name this process.
    const char* listenPid = line.system ? variable(environment, "LISTEN_PID") : nullptr;
    if (listenPid != nullptr) {
        const std::optional<int> pid = parseNumber<int>(listenPid, 1, INT_MAX);
        if (!pid) {
            problem = badNumber("LISTEN_PID", listenPid, "a process id");
            return Parsed::BadNumber;
        }
        const char* listenFds = variable(environment, "LISTEN_FDS");
        if (*pid == getpid() && listenFds != nullptr) {
            const std::optional<int> count = parseNumber<int>(listenFds, 0, INT_MAX - 3);
            if (!count) {
                problem = badNumber("LISTEN_FDS", listenFds, "a number of descriptors");
                return Parsed::BadNumber;
            }
            line.listenFds = *count;
        }
    }
    return Parsed::Ok;
}

}  // namespace hwport::service
