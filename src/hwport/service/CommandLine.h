// hwport32d's command line, and the settings it takes from the environment.
#pragma once

#include "VirtualBus.h"

#include <functional>
#include <string>

namespace hwport::service {

struct CommandLine {
    std::string device;
    std::string group = "tinctara";
    bool system = false;
    bool virtualBus = false;
    bool foreground = false;
    int idleExitSeconds = 0;  // 0: run until told to stop
    VirtualBus::ParallelTable parallelTable = VirtualBus::defaultParallelTable;
    // Descriptors the service manager passed to this very process (--system).
    int listenFds = 0;
};

enum class Parsed {
    Ok,
    Usage,      // an option hwport32d does not know, or one without its value
    BadNumber,  // problem names the setting and the text
};

// Looks a variable up; nullptr when it is not set.
using Environment = std::function<const char*(const char*)>;

// True when the variable is set to something other than "" or "0".
bool flagSet(const Environment& environment, const char* name);

Parsed parseCommandLine(int argc, const char* const* argv, const Environment& environment, CommandLine& line,
                        std::string& problem);

}  // namespace hwport::service
