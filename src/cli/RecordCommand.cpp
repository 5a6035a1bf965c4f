#include "CliApp.h"
#include "CliCommands.h"
#include "CliInput.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "StopSignals.h"
#include "input/InputRecorder.h"

namespace tinctara::cli {

const char RecordUsage[] =
    "  tinctara-cli record --config F --interface sacn|artnet --universe U [--listen ADDR] --out OUT.CSQ\n"
    "                      [--every TICKS | --on-change] [--steps N] [--seconds S]\n"
    "      Receives a desk's universe (sacn: E1.31 on UDP 5568, --universe 1..63999, joining its\n"
    "      multicast group; artnet: ArtDmx on UDP 6454, --universe the port-address 0..32767,\n"
    "      answering ArtPoll) on every address or on ADDR, and records it into a sequence on the\n"
    "      configuration's wall: each step the picture that plays the levels back through the\n"
    "      patch (and its correction), holding until the next step was taken (blend 0), so the\n"
    "      sequence plays back at the desk's pace. A step every\n"
    "      TICKS ticks of 50 ms (1..72000, default 20), or with --on-change whenever the levels\n"
    "      changed; the first tick a sender is live always records, and nothing is recorded while\n"
    "      none is. Ends after N steps (1..250, default 250), after S seconds (1..86400) or on\n"
    "      SIGINT or SIGTERM, then saves the steps to OUT and prints \"N Schritte aufgenommen.\".\n"
    "      Messages go to standard error; when no step was recorded OUT is not written and the\n"
    "      exit code is 1.\n";

namespace {

constexpr InputOptionNames RecordInput{"--interface", "--universe", "--listen"};
constexpr long long TicksPerSecond = 20;

struct RecordOptions {
    Options parsed;
    InputSettings input;
    RecorderSettings recorder;
    long long ticks = 0;  // 0: until the steps are full or a stop
};

RecordOptions readOptions(const std::vector<std::string>& args)
{
    RecordOptions options;
    options.parsed = parseOptions(args, {.command = "record",
                                         .valued = {"--config", "--interface", "--universe", "--listen", "--out",
                                                    "--every", "--steps", "--seconds"},
                                         .flags = {"--on-change"},
                                         .once = true,
                                         .operands = Operands::RefusedWhereTheyStand});
    const Options& parsed = options.parsed;
    for (const char* needed : {"--config", "--interface", "--out"})
        required(parsed, needed);
    requireFile("--config", parsed.values.at("--config"), Kind::Configuration);
    requireFile("--out", parsed.values.at("--out"), Kind::Sequence);
    options.input = readInputOptions(parsed, RecordInput);
    options.recorder.onChange = parsed.has("--on-change");
    if (const std::string* every = parsed.find("--every")) {
        if (options.recorder.onChange)
            throw UsageError{"--every and --on-change exclude each other"};
        options.recorder.every = static_cast<int>(numberIn("--every", *every, 1, 72000));
    }
    if (const std::string* steps = parsed.find("--steps"))
        options.recorder.stepLimit = static_cast<int>(numberIn("--steps", *steps, 1, RecorderSettings::MostSteps));
    if (const std::string* seconds = parsed.find("--seconds"))
        options.ticks = numberIn("--seconds", *seconds, 1, 86400) * TicksPerSecond;
    return options;
}

std::string stepsText(int steps) { return std::to_string(steps) + (steps == 1 ? " Schritt" : " Schritte"); }

}  // namespace

int recordCommand(const CommandLine& command)
{
    RecordOptions options = readOptions(command.args);
    // Held from here, so that a stop while the show loads ends it at the first tick.
    StopSignals stop;
    const std::string home = homeOf(options.parsed, command.programFolder);
    Session session(command.err, true, home);
    if (session.load(Kind::Configuration, options.parsed.values.at("--config")) != LoadOutcome::Loaded)
        return ExitFailed;
    // The sequence starts empty; its steps are the desk's.
    MemorySettings networkSettings;
    CliOutput output(session, home, networkSettings, true);
    CliInput input(output, networkSettings);
    if (!input.start(options.input, output, command.err))
        return ExitFailed;
    InputRecorder recorder(session.model, options.recorder);

    session.view.printing = false;
    output.startGrid();
    for (long long tick = 1; !stop.arrived() && !recorder.full() && (options.ticks == 0 || tick <= options.ticks);
         ++tick) {
        input.service().expire();
        output.tick();
        recorder.tick(input.service().frame());
    }
    recorder.finish();
    input.service().stop();
    output.close(Interface::NoInterface);
    session.view.printing = true;

    if (recorder.recorded() == 0) {
        command.err << ErrorPrefix << "Kein Schritt aufgenommen: kein Sender auf Universum " << options.input.universe
                    << ".\n";
        return ExitFailed;
    }
    if (session.save(Kind::Sequence, options.parsed.values.at("--out")) != SaveOutcome::Saved)
        return ExitFailed;
    command.out << stepsText(recorder.recorded()) << " aufgenommen.\n";
    return ExitOk;
}

}  // namespace tinctara::cli
