#pragma once

#include "CliOptions.h"
#include "CliPlatform.h"
#include "files/MessageFile.h"
#include "files/ShowFiles.h"
#include "model/ShowModel.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tinctara::cli {

enum class Kind { Configuration, Scene, Sequence, ColourTable };

// The kind a show file's extension names, without regard to case.
std::optional<Kind> kindOf(const std::string& path);
Kind requireKind(const std::string& path);  // a show file, else a usage error
// A file of the kind, else a usage error: "--config takes a .CFG file".
void requireFile(const std::string& option, const std::string& path, Kind kind);
// The file --config names, if given: a show file, and a configuration.
const std::string* configOption(const Options& options);

// A fresh show initialised as at start-up, with the front end's platform:
// what the show says goes to `messages`.
class Session {
public:
    Session(std::ostream& messages, bool importYes, std::string programFolder);

    // As the program loads and saves at start-up: silently, under the kind's
    // current file name.
    LoadOutcome load(Kind kind, const std::string& path);
    SaveOutcome save(Kind kind, const std::string& path);

private:
    template <typename Outcome>
    Outcome silently(Kind kind, const std::string& path, Outcome (*run)(ShowFileContext&));

    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();

public:
    ShowModel& model = *storage;
    CliView view;
    CliUser user;
    CliTimer timer;
    MessageTable messageTable{};
    ShowFileContext context;
};

// The configuration and the sequence that --config and --sequence must name;
// false when either could not be loaded.
bool loadShow(Session& session, const Options& options);

// Saves bytes the command made; false, said on `err`, when they could not be written.
bool saveBytes(const std::string& path, std::string_view bytes, std::ostream& err);

// The last line of a command that says how it went: "ok" (exit 0) or "failed" (exit 1).
int finish(std::ostream& out, bool done);

}  // namespace tinctara::cli
