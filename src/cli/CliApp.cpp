#include "CliApp.h"

#include "CliCommands.h"
#include "CliOptions.h"

#include <algorithm>

namespace tinctara::cli {

namespace {

constexpr const char* UsageEnd =
    "Every command takes --home DIR: the program folder with the show folders (default:\n"
    "TINCTARA_HOME, else the folder of tinctara-cli or, when installed, its share/tinctara).\n"
    "Nothing is written into a program folder below /usr or one that cannot be written.\n"
    "Exit codes: 0 done, 1 a file could not be loaded or saved, 2 usage error.\n";

int help(const CommandLine& command);

struct Command {
    const char* name;
    int (*run)(const CommandLine&);
    const char* usage;  // its lines of the usage text
    // A usage error shows these lines alone instead of the whole usage text.
    bool ownUsageOnError = false;
};

const Command Commands[] = {
    {"check", checkCommand, CheckUsage},
    {"resave", resaveCommand, ResaveUsage},
    {"render", renderCommand, RenderUsage},
    {"play", playCommand, PlayUsage},
    {"card-image", cardImageCommand, CardImageUsage},
    {"merger", mergerCommand, MergerUsage},
    {"effect", effectCommand, EffectUsage, true},
    {"record", recordCommand, RecordUsage, true},
    {"beats", beatsCommand, BeatsUsage, true},
    {"--help", help, "  tinctara-cli --help\n"},
    {"-h", help, ""},
    {"help", help, ""},
};

std::string usage()
{
    std::string text = "Usage:\n";
    for (const Command& command : Commands)
        text += command.usage;
    return text + UsageEnd;
}

int help(const CommandLine& command)
{
    command.out << usage();
    return ExitOk;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& programFolder)
{
    if (args.empty()) {
        err << usage();
        return ExitUsage;
    }
    const auto command =
        std::find_if(std::begin(Commands), std::end(Commands), [&](const Command& c) { return args[0] == c.name; });
    try {
        if (command == std::end(Commands))
            throw UsageError{"unknown command " + args[0]};
        return command->run({args, out, err, programFolder});
    } catch (const UsageError& error) {
        const bool own = command != std::end(Commands) && command->ownUsageOnError;
        err << ErrorPrefix << error.text << '\n' << (own ? command->usage : usage());
        return ExitUsage;
    }
}

}  // namespace tinctara::cli
