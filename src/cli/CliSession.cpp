#include "CliSession.h"

#include "CliApp.h"
#include "files/SafeFile.h"

#include <algorithm>
#include <cctype>

namespace tinctara::cli {

namespace {

struct KindFiles {
    Kind kind;
    const char* extension;
    std::string ShowModel::*fileName;
    LoadOutcome (*load)(ShowFileContext&);
    SaveOutcome (*save)(ShowFileContext&);
};

const KindFiles kinds[] = {
    {Kind::Configuration, "CFG", &ShowModel::ConfigFileName, LoadConfiguration, SaveConfiguration},
    {Kind::Scene, "CSC", &ShowModel::SceneFileName, LoadScene, SaveScene},
    {Kind::Sequence, "CSQ", &ShowModel::SequenceFileName, LoadSequence, SaveSequence},
    {Kind::ColourTable, "CCT", &ShowModel::ColourTableFileName, LoadColourTable, SaveColourTable},
};

const KindFiles& filesOf(Kind kind)
{
    return *std::find_if(std::begin(kinds), std::end(kinds), [kind](const KindFiles& k) { return k.kind == kind; });
}

}  // namespace

std::optional<Kind> kindOf(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos)
        return std::nullopt;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const KindFiles& k : kinds)
        if (extension == k.extension)
            return k.kind;
    return std::nullopt;
}

Kind requireKind(const std::string& path)
{
    const auto kind = kindOf(path);
    if (!kind)
        throw UsageError{"not a show file (.CFG .CSC .CSQ .CCT): " + path};
    return *kind;
}

void requireFile(const std::string& option, const std::string& path, Kind kind)
{
    if (kindOf(path) != kind)
        throw UsageError{option + " takes a ." + filesOf(kind).extension + " file"};
}

const std::string* configOption(const Options& options)
{
    const std::string* config = options.find("--config");
    if (config) {
        requireKind(*config);
        requireFile("--config", *config, Kind::Configuration);
    }
    return config;
}

Session::Session(std::ostream& messages, bool importYes, std::string programFolder)
    : view(messages), user(messages, importYes), context{model, view, user, timer, std::move(programFolder)}
{
    // As in the program on Linux, OsName stays empty: the titles begin with ": ".
    initialiseAtStartUp(model);
}

LoadOutcome Session::load(Kind kind, const std::string& path) { return silently(kind, path, filesOf(kind).load); }

SaveOutcome Session::save(Kind kind, const std::string& path) { return silently(kind, path, filesOf(kind).save); }

template <typename Outcome>
Outcome Session::silently(Kind kind, const std::string& path, Outcome (*run)(ShowFileContext&))
{
    model.setState(StateFlag::SilentFileOp);
    model.*filesOf(kind).fileName = path;
    const Outcome outcome = run(context);
    model.clearState(StateFlag::SilentFileOp);
    return outcome;
}

bool loadShow(Session& session, const Options& options)
{
    const std::string& config = required(options, "--config");
    const std::string& sequence = required(options, "--sequence");
    requireFile("--config", config, Kind::Configuration);
    requireFile("--sequence", sequence, Kind::Sequence);
    return session.load(Kind::Configuration, config) == LoadOutcome::Loaded &&
           session.load(Kind::Sequence, sequence) == LoadOutcome::Loaded;
}

bool saveBytes(const std::string& path, std::string_view bytes, std::ostream& err)
{
    if (writeFileAtomically(path, bytes))
        return true;
    err << ErrorPrefix << "cannot write " << path << '\n';
    return false;
}

int finish(std::ostream& out, bool done)
{
    out << (done ? "ok" : "failed") << '\n';
    return done ? ExitOk : ExitFailed;
}

}  // namespace tinctara::cli
