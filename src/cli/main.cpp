#include "CliApp.h"
#include "dmx/LoadedLibraries.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace {

// The program folder is the folder of the running executable, unless
// TINCTARA_HOME names another (--home, read by the commands, wins over both).
// An installed tinctara-cli, whose folder holds no message file, finds the
// show data in share/tinctara beside its bin folder.
std::string programFolder()
{
    if (const char* home = std::getenv("TINCTARA_HOME"); home && *home)
        return home;
    const std::filesystem::path folder = tinctara::executableFolder();
    if (folder.empty())
        return ".";
    // Installed, the executable lies in bin/ and the program's data in share/tinctara.
    std::error_code error;
    const auto installed = (folder / ".." / "share" / "tinctara").lexically_normal();
    if (!std::filesystem::exists(folder / "TINCT_D.MSG", error) && std::filesystem::is_directory(installed, error))
        return installed.string();
    return folder.string();
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return tinctara::cli::runCli(args, std::cout, std::cerr, programFolder());
}
