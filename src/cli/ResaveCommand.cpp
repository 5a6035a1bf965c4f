#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"

namespace tinctara::cli {

const char ResaveUsage[] = "  tinctara-cli resave IN OUT [--config F.CFG] [--import yes|no]\n"
                           "      Loads IN (after the configuration) and saves it to OUT, which has IN's extension.\n";

int resaveCommand(const CommandLine& command)
{
    const Options parsed = parseOptions(command.args, {.command = "resave", .valued = {"--config", "--import"}});
    const bool importYes = importAnswer(parsed);
    if (parsed.operands.size() != 2)
        throw UsageError{"resave needs IN and OUT"};
    const std::string& in = parsed.operands[0];
    const std::string& target = parsed.operands[1];
    const Kind kind = requireKind(in);
    if (kindOf(target) != kind)
        throw UsageError{"OUT must have the extension of IN"};
    const std::string* config = configOption(parsed);

    Session session(command.out, importYes, homeOf(parsed, command.programFolder));
    if (config && session.load(Kind::Configuration, *config) != LoadOutcome::Loaded)
        return ExitFailed;
    if (session.load(kind, in) != LoadOutcome::Loaded)
        return ExitFailed;
    return session.save(kind, target) == SaveOutcome::Saved ? ExitOk : ExitFailed;
}

}  // namespace tinctara::cli
