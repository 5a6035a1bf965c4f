#include "CliCommands.h"
#include "CliSession.h"

namespace tinctara::cli {

const char CheckUsage[] =
    "  tinctara-cli check [--config F.CFG] [--import yes|no] FILE...\n"
    "      Loads the configuration, then each FILE (.CFG .CSC .CSQ .CCT) as at start-up and prints\n"
    "      every message (message:), status line (status:) and title (title:) the program would show.\n"
    "      Ends with \"ok\" (exit 0), or \"failed\" (exit 1) when a load failed or ended early.\n";

int checkCommand(const CommandLine& command)
{
    const Options parsed = parseOptions(command.args, {.command = "check", .valued = {"--config", "--import"}});
    const bool importYes = importAnswer(parsed);
    if (parsed.operands.empty())
        throw UsageError{"check needs at least one file"};
    std::vector<std::pair<Kind, std::string>> files;
    if (const std::string* config = configOption(parsed))
        files.emplace_back(Kind::Configuration, *config);
    for (const auto& file : parsed.operands)
        files.emplace_back(requireKind(file), file);

    Session session(command.out, importYes, homeOf(parsed, command.programFolder));
    bool allLoaded = true;
    for (const auto& [kind, path] : files)
        allLoaded = session.load(kind, path) == LoadOutcome::Loaded && allLoaded;
    return finish(command.out, allLoaded);
}

}  // namespace tinctara::cli
