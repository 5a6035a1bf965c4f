#pragma once

#include "CliApp.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tinctara::cli {

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

// Runs a command in-process with the build's program folder (beside the test
// binary) as --home.
inline CliRun runFromBuild(std::vector<std::string> args)
{
    args.insert(args.end(), {"--home", std::filesystem::read_symlink("/proc/self/exe").parent_path().string()});
    std::ostringstream out, err;
    CliRun r;
    r.exit = runCli(args, out, err, "/nonexistent");
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace tinctara::cli
