#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tinctara::cli {

// One run of a command: its words (the command word first), where its output
// and the program's messages go, and the program folder unless --home names
// another.
struct CommandLine {
    const std::vector<std::string>& args;
    std::ostream& out;
    std::ostream& err;
    const std::string& programFolder;
};

// The commands, each with its lines of the usage text. A command throws
// UsageError (CliOptions.h) for a command line it cannot run.
int checkCommand(const CommandLine& command);
int resaveCommand(const CommandLine& command);
int renderCommand(const CommandLine& command);
int playCommand(const CommandLine& command);
int cardImageCommand(const CommandLine& command);
int mergerCommand(const CommandLine& command);
int effectCommand(const CommandLine& command);
int recordCommand(const CommandLine& command);
int beatsCommand(const CommandLine& command);

extern const char CheckUsage[];
extern const char ResaveUsage[];
extern const char RenderUsage[];
extern const char PlayUsage[];
extern const char CardImageUsage[];
extern const char MergerUsage[];
extern const char EffectUsage[];
extern const char RecordUsage[];
extern const char BeatsUsage[];

}  // namespace tinctara::cli
