#include "CliApp.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace {

// The program folder is the folder of the running executable, unless
// TINCTARA_HOME names another (--home, read by the commands, wins over both).
std::string programFolder()
{
    if (const char* home = std::getenv("TINCTARA_HOME"); home && *home)
        return home;
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : executable.parent_path().string();
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return tinctara::cli::runCli(args, std::cout, std::cerr, programFolder());
}
