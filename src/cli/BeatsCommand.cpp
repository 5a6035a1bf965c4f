#include "CliCommands.h"
#include "CliSession.h"
#include "audio/MusicAnalysis.h"
#include "effects/BeatLayout.h"

#include <string>
#include <vector>

namespace tinctara::cli {

const char BeatsUsage[] =
    "  tinctara-cli beats --audio SONG --config F.CFG --sequence IN.CSQ --out OUT.CSQ [--every-beats N]\n"
    "                     [--blend-fraction F] [--start SECONDS]\n"
    "      Finds the beats of SONG (WAV, FLAC, OGG or MP3) and lays the steps of IN onto them, repeated\n"
    "      in order: a step every N beats (1..64, default 1), each fading for F of a beat (0..1,\n"
    "      default 0.5) so that its picture is reached within 25 ms of its beat when the sequence\n"
    "      is played from step 1 with the song at SECONDS (0..86400, default 0). Beats less than\n"
    "      2 ticks apart share a step. At most 250 steps; a longer song is told how far the\n"
    "      repeated sequence drifts from its beats. Prints a summary in German and ok, or failed\n"
    "      (exit 1, OUT not written) when SONG could not be read or has too few beats.\n";

namespace {

struct BeatsOptions {
    Options parsed;
    BeatLayoutOptions layout;
};

BeatsOptions readOptions(const std::vector<std::string>& args)
{
    BeatsOptions options;
    options.parsed = parseOptions(
        args, {.command = "beats",
               .valued = {"--audio", "--config", "--sequence", "--out", "--every-beats", "--blend-fraction", "--start"},
               .once = true,
               .operands = Operands::RefusedWhereTheyStand});
    const Options& parsed = options.parsed;
    for (const char* needed : {"--audio", "--config", "--sequence", "--out"})
        required(parsed, needed);
    requireFile("--config", parsed.values.at("--config"), Kind::Configuration);
    requireFile("--sequence", parsed.values.at("--sequence"), Kind::Sequence);
    requireFile("--out", parsed.values.at("--out"), Kind::Sequence);
    if (const std::string* every = parsed.find("--every-beats"))
        options.layout.everyBeats = static_cast<int>(numberIn("--every-beats", *every, 1, 64));
    if (const std::string* fraction = parsed.find("--blend-fraction"))
        options.layout.blendFraction = decimalIn("--blend-fraction", *fraction, 0, 1);
    if (const std::string* start = parsed.find("--start"))
        options.layout.startSeconds = decimalIn("--start", *start, 0, 86400);
    return options;
}

}  // namespace

int beatsCommand(const CommandLine& command)
{
    const BeatsOptions options = readOptions(command.args);
    const Options& parsed = options.parsed;
    Session session(command.out, true, homeOf(parsed, command.programFolder));
    if (!loadShow(session, parsed))
        return finish(command.out, false);
    const FileAnalysis song = analyseFile(parsed.values.at("--audio"));
    if (!song.error.empty()) {
        session.user.messageBox(song.error, "", MessageButtons::Ok, MessageIcon::Exclamation);
        return finish(command.out, false);
    }

    BeatLayoutOptions layoutOptions = options.layout;
    layoutOptions.beatPeriodSeconds = song.beatPeriodSeconds;
    const BeatLayout layout = LayOntoBeats(session.model.StepCount, song.beats, layoutOptions);
    command.out << BeatLayoutSummary(layout, options.layout);
    if (layout.steps.empty())
        return finish(command.out, false);
    return finish(command.out, ApplyBeatLayout(session.model, session.user, layout).applied &&
                                   session.save(Kind::Sequence, parsed.values.at("--out")) == SaveOutcome::Saved);
}

}  // namespace tinctara::cli
