#include "CliCommands.h"
#include "CliSession.h"
#include "effects/Effects.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace tinctara::cli {

const char EffectUsage[] =
    "  tinctara-cli effect --config F.CFG --effect rainbow|plasma|chase|twinkle|text|picture|animation\n"
    "                      --out OUT.CSQ [--steps N] [--hold H] [--blend B] [--seed S]\n"
    "                      [--colour R,G,B,W]... [--direction left|right|up|down|diagonal|centre] [--white]\n"
    "                      [--text TEXT] [--picture FILE|FOLDER] [--fit fit|fill|stretch] [--gamma G]\n"
    "                      [--append IN.CSQ]\n"
    "      Generates N steps (1..250, default 60; hold 0 and blend 2 ticks unless given) of an effect on\n"
    "      the wall of the configuration and saves them as a sequence, after the steps of IN with\n"
    "      --append. The colours in order: gradient stops or palette (rainbow, plasma), foreground and\n"
    "      background (chase, twinkle, text). chase moves a column (left, right), a row (up, down), a\n"
    "      lamp along the rows (diagonal) or in element order (centre). picture maps one picture onto\n"
    "      the wall (one step); animation takes a GIF frame by frame (blend 1, hold from the frame's\n"
    "      delay) or a folder of numbered PNG files (--hold, --blend). --white takes white = min(R,G,B)\n"
    "      out of RGB content. Prints the program's messages and ok, or failed (exit 1, OUT not\n"
    "      written) when the effect was refused.\n";

namespace {

Rgbw colourOf(const std::string& text)
{
    std::array<long long, 4> levels{};
    std::size_t from = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', from);
        const auto value =
            (i < 3) == (comma == std::string::npos)
                ? std::nullopt
                : wholeNumber(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!value || *value < 0 || *value > 255)
            throw UsageError{"--colour takes R,G,B,W with levels 0..255"};
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
    throw UsageError{option + " takes " + names};
}

// Each option once, but --colour as often as there are colours, each checked
// where it stands; an operand is refused where it stands.
Options readOptions(const std::vector<std::string>& args)
{
    const Options parsed =
        parseOptions(args, {.command = "effect",
                            .valued = {"--config", "--effect", "--out", "--steps", "--hold", "--blend", "--seed",
                                       "--direction", "--text", "--picture", "--fit", "--gamma", "--append"},
                            .flags = {"--white"},
                            .repeatable = {"--colour"},
                            .once = true,
                            .operands = Operands::RefusedWhereTheyStand,
                            .checkValue = [](const std::string& option, const std::string& value) {
                                if (option == "--colour")
                                    colourOf(value);
                            }});
    for (const char* needed : {"--config", "--effect", "--out"})
        required(parsed, needed);
    return parsed;
}

EffectParameters parametersOf(const Options& parsed)
{
    const auto& o = parsed.values;
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
        p.steps = static_cast<int>(numberIn("--steps", o.at("--steps"), 1, MaxEffectSteps));
    if (o.count("--hold"))
        p.hold = static_cast<std::uint16_t>(numberIn("--hold", o.at("--hold"), 0, 65535));
    if (o.count("--blend"))
        p.blend = static_cast<std::uint16_t>(numberIn("--blend", o.at("--blend"), 0, 65535));
    if (o.count("--seed"))
        p.seed = static_cast<std::uint32_t>(numberIn("--seed", o.at("--seed"), 0, 4294967295LL));
    if (const auto colours = parsed.lists.find("--colour"); colours != parsed.lists.end())
        std::transform(colours->second.begin(), colours->second.end(), std::back_inserter(p.colours), colourOf);
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
    p.extractWhite = parsed.has("--white");
    if (o.count("--text"))
        p.text = o.at("--text");
    if (o.count("--picture"))
        p.picture = o.at("--picture");
    if (o.count("--fit"))
        p.fit = choice<PictureFit>(
            "--fit", o.at("--fit"),
            {{"fit", PictureFit::Fit}, {"fill", PictureFit::Fill}, {"stretch", PictureFit::Stretch}});
    if (o.count("--gamma"))
        p.gamma = decimalIn("--gamma", o.at("--gamma"), 0.1, 10);
    if ((p.kind == EffectKind::Picture || p.kind == EffectKind::Animation) && !o.count("--picture"))
        throw UsageError{"--picture is needed for picture and animation"};
    if (p.kind == EffectKind::Text && !o.count("--text"))
        throw UsageError{"--text is needed for text"};
    return p;
}

}  // namespace

int effectCommand(const CommandLine& command)
{
    const Options parsed = readOptions(command.args);
    const EffectParameters parameters = parametersOf(parsed);
    requireFile("--config", parsed.values.at("--config"), Kind::Configuration);
    requireFile("--out", parsed.values.at("--out"), Kind::Sequence);
    const std::string* append = parsed.find("--append");
    if (append)
        requireFile("--append", *append, Kind::Sequence);

    Session session(command.out, true, homeOf(parsed, command.programFolder));
    if (session.load(Kind::Configuration, parsed.values.at("--config")) != LoadOutcome::Loaded ||
        (append && session.load(Kind::Sequence, *append) != LoadOutcome::Loaded))
        return finish(command.out, false);

    const int start = append ? session.model.StepCount : 0;
    bool truncated = false;
    const EffectResult result =
        GenerateEffect(EffectWall::of(session.model), parameters, std::max(0, MaxEffectSteps - start), &truncated);
    if (!result.ok()) {
        session.user.messageBox(result.refusal, "", MessageButtons::Ok, MessageIcon::Exclamation);
        return finish(command.out, false);
    }
    const ApplyOutcome applied = ApplyEffect(session.model, session.user, result.steps,
                                             append ? ApplyMode::Append : ApplyMode::Replace, truncated);
    return finish(command.out,
                  applied.applied && session.save(Kind::Sequence, parsed.values.at("--out")) == SaveOutcome::Saved);
}

}  // namespace tinctara::cli
