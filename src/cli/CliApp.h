#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tinctara::cli {

// Exit codes of tinctara-cli.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

// Runs one command line (without the program name). `programFolder` is where
// the fall-back show folders are looked for unless --home names another.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::string& programFolder);

}  // namespace tinctara::cli
