#include "EffectCommand.h"

#include "CliApp.h"
#include "CliPlatform.h"
#include "effects/Effects.h"
#include "files/ShowFiles.h"
#include "model/ShowModel.h"

#include <charconv>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace tinctara::cli {

namespace {

struct EffectUsageError {
    std::string text;
};

std::optional<long long> number(const std::string& text)
{
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

long long ranged(const std::string& option, const std::string& text, long long low, long long high)
{
    const auto value = number(text);
    if (!value || *value < low || *value > high)
        throw EffectUsageError{option + " takes a number from " + std::to_string(low) + " to " + std::to_string(high)};
    return *value;
}

Rgbw colourOf(const std::string& text)
{
    std::array<long long, 4> levels{};
    std::size_t from = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', from);
        if ((i < 3) == (comma == std::string::npos))
            throw EffectUsageError{"--colour takes R,G,B,W with levels 0..255"};
        const auto value = number(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!value || *value < 0 || *value > 255)
            throw EffectUsageError{"--colour takes R,G,B,W with levels 0..255"};
        levels[i] = *value;
        from = comma + 1;
    }
    return {static_cast<std::uint8_t>(levels[0]), static_cast<std::uint8_t>(levels[1]),
            static_cast<std::uint8_t>(levels[2]), static_cast<std::uint8_t>(levels[3])};
}

template <typename T>
T choice(const std::string& option, const std::string& text, const std::map<std::string, T>& choices)
{
    const auto found = choices.find(text);
    if (found != choices.end())
        return found->second;
    std::string names;
    for (const auto& [name, value] : choices)
        names += (names.empty() ? "" : "|") + name;
    throw EffectUsageError{option + " takes " + names};
}

bool endsWithCi(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

struct Parsed {
    std::map<std::string, std::string> options;
    std::vector<Rgbw> colours;
    bool white = false;
};

Parsed parseEffect(const std::vector<std::string>& args)
{
    static const std::set<std::string> valued{"--config",  "--effect", "--out",    "--steps",     "--hold",
                                              "--blend",   "--seed",   "--colour", "--direction", "--text",
                                              "--picture", "--fit",    "--gamma",  "--append",    "--home"};
    Parsed parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--white") {
            parsed.white = true;
            continue;
        }
        if (!valued.count(arg))
            throw EffectUsageError{arg.rfind("--", 0) == 0 ? "unknown option " + arg
                                                           : "effect takes no operands: " + arg};
        if (i + 1 >= args.size())
            throw EffectUsageError{arg + " needs a value"};
        const std::string& value = args[++i];
        if (arg == "--colour")
            parsed.colours.push_back(colourOf(value));
        else if (parsed.options.count(arg))
            throw EffectUsageError{arg + " is given twice"};
        else
            parsed.options[arg] = value;
    }
    for (const char* needed : {"--config", "--effect", "--out"})
        if (!parsed.options.count(needed))
            throw EffectUsageError{std::string(needed) + " is needed"};
    return parsed;
}

EffectParameters parametersOf(const Parsed& parsed)
{
    const auto& o = parsed.options;
    EffectParameters p;
    p.kind = choice<EffectKind>("--effect", o.at("--effect"),
                                {{"rainbow", EffectKind::Rainbow},
                                 {"plasma", EffectKind::Plasma},
                                 {"chase", EffectKind::Chase},
                                 {"twinkle", EffectKind::Twinkle},
                                 {"text", EffectKind::Text},
                                 {"picture", EffectKind::Picture},
                                 {"animation", EffectKind::Animation}});
    if (o.count("--steps"))
        p.steps = static_cast<int>(ranged("--steps", o.at("--steps"), 1, MaxEffectSteps));
    if (o.count("--hold"))
        p.hold = static_cast<std::uint16_t>(ranged("--hold", o.at("--hold"), 0, 65535));
    if (o.count("--blend"))
        p.blend = static_cast<std::uint16_t>(ranged("--blend", o.at("--blend"), 0, 65535));
    if (o.count("--seed"))
        p.seed = static_cast<std::uint32_t>(ranged("--seed", o.at("--seed"), 0, 4294967295LL));
    p.colours = parsed.colours;
    if (o.count("--direction"))
        p.direction = choice<EffectDirection>("--direction", o.at("--direction"),
                                              {{"left", EffectDirection::Left},
                                               {"right", EffectDirection::Right},
                                               {"up", EffectDirection::Up},
                                               {"down", EffectDirection::Down},
                                               {"diagonal", EffectDirection::Diagonal},
                                               {"centre", EffectDirection::Centre}});
    switch (p.direction) {
    case EffectDirection::Left:
    case EffectDirection::Right:
        p.chase = ChasePattern::Column;
        break;
    case EffectDirection::Up:
    case EffectDirection::Down:
        p.chase = ChasePattern::Row;
        break;
    case EffectDirection::Diagonal:
        p.chase = ChasePattern::Snake;
        break;
    case EffectDirection::Centre:
        p.chase = ChasePattern::Lamp;
        break;
    }
    p.extractWhite = parsed.white;
    if (o.count("--text"))
        p.text = o.at("--text");
    if (o.count("--picture"))
        p.picture = o.at("--picture");
    if (o.count("--fit"))
        p.fit = choice<PictureFit>(
            "--fit", o.at("--fit"),
            {{"fit", PictureFit::Fit}, {"fill", PictureFit::Fill}, {"stretch", PictureFit::Stretch}});
    if (o.count("--gamma")) {
        const std::string& text = o.at("--gamma");
        double gamma = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), gamma);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !(gamma >= 0.1 && gamma <= 10))
            throw EffectUsageError{"--gamma takes a number from 0.1 to 10"};
        p.gamma = gamma;
    }
    if ((p.kind == EffectKind::Picture || p.kind == EffectKind::Animation) && !o.count("--picture"))
        throw EffectUsageError{"--picture is needed for picture and animation"};
    if (p.kind == EffectKind::Text && !o.count("--text"))
        throw EffectUsageError{"--text is needed for text"};
    return p;
}

}  // namespace

int effectCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& programFolder)
{
    Parsed parsed;
    EffectParameters parameters;
    try {
        parsed = parseEffect(args);
        parameters = parametersOf(parsed);
        if (!endsWithCi(parsed.options.at("--config"), ".CFG"))
            throw EffectUsageError{"--config takes a .CFG file"};
        if (!endsWithCi(parsed.options.at("--out"), ".CSQ"))
            throw EffectUsageError{"--out takes a .CSQ file"};
        if (parsed.options.count("--append") && !endsWithCi(parsed.options.at("--append"), ".CSQ"))
            throw EffectUsageError{"--append takes a .CSQ file"};
    } catch (const EffectUsageError& error) {
        err << "tinctara-cli: " << error.text << "\n" << TINCTARA_EFFECT_USAGE;
        return ExitUsage;
    }

    auto model = std::make_unique<ShowModel>();
    CliView view(out);
    CliUser user(out, true);
    CliTimer timer;
    const auto home = parsed.options.count("--home") ? parsed.options.at("--home") : programFolder;
    ShowFileContext context{*model, view, user, timer, home};
    initialiseAtStartUp(*model);

    const auto load = [&](const std::string& path, bool sequence) {
        model->setState(StateFlag::SilentFileOp);
        LoadOutcome outcome;
        if (sequence) {
            model->SequenceFileName = path;
            outcome = LoadSequence(context);
        } else {
            model->ConfigFileName = path;
            outcome = LoadConfiguration(context);
        }
        model->clearState(StateFlag::SilentFileOp);
        return outcome == LoadOutcome::Loaded;
    };
    const auto failed = [&] {
        out << "failed\n";
        return ExitFailed;
    };
    if (!load(parsed.options.at("--config"), false))
        return failed();
    const bool append = parsed.options.count("--append") != 0;
    if (append && !load(parsed.options.at("--append"), true))
        return failed();

    const int start = append ? model->StepCount : 0;
    bool truncated = false;
    const EffectResult result =
        GenerateEffect(EffectWall::of(*model), parameters, std::max(0, MaxEffectSteps - start), &truncated);
    if (!result.ok()) {
        user.messageBox(result.refusal, "", MessageButtons::Ok, MessageIcon::Exclamation);
        return failed();
    }
    const ApplyOutcome applied =
        ApplyEffect(*model, user, result.steps, append ? ApplyMode::Append : ApplyMode::Replace, truncated);
    if (!applied.applied)
        return failed();

    model->setState(StateFlag::SilentFileOp);
    model->SequenceFileName = parsed.options.at("--out");
    const SaveOutcome saved = SaveSequence(context);
    model->clearState(StateFlag::SilentFileOp);
    if (saved != SaveOutcome::Saved)
        return failed();
    out << "ok\n";
    return ExitOk;
}

}  // namespace tinctara::cli
