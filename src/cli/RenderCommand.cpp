#include "CliApp.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/NetworkOutput.h"
#include "model/SequencePlayback.h"

namespace tinctara::cli {

const char RenderUsage[] =
    "  tinctara-cli render [--config F] [--scene F] [--sequence F] [--colours F]\n"
    "                      [--interface none|isa|usb|library|sacn|artnet] [--play] [--ticks N]\n"
    "                      [--seek T]\n"
    "                      [--channels A-B] [--import yes|no] [--destination ADDR] [--universe N]\n"
    "                      [--realtime]\n"
    "      Loads the files, opens the interface as start-up does (isa: the card search on the\n"
    "      ports of hardware.ini, a 7301B at 0x120 without one; usb and library: the libraries\n"
    "      of the virtual hardware), optionally presses PLAY, runs N output ticks (default 1) and\n"
    "      prints per tick: the tick number, then the levels of channels A..B (default 1-512) as\n"
    "      the device holds them (isa: card memory from 400h); with --interface none the element\n"
    "      colours R,G,B,W of every element. Messages go to standard error.\n"
    "      sacn and artnet send one packet per tick (sacn: E1.31 to UDP 5568, --universe 1..63999,\n"
    "      default 1, to the universe's multicast address unless --destination names an IPv4\n"
    "      address; artnet: ArtDmx to UDP 6454, --universe the port-address 0..32767, default 0,\n"
    "      to the directed broadcast address of the first network unless --destination), as fast\n"
    "      as the ticks are computed or every 50 ms with --realtime; sacn ends its stream with\n"
    "      three stream-terminated packets. The levels printed are the ones sent.\n"
    "      With --play, --seek T prints ticks T+1 to T+N as the plain run to tick T+N does,\n"
    "      computing tick T+1 without the ticks before it (not with --realtime).\n"
    "      A file that does not load (as check counts it) ends render after its messages, before\n"
    "      the first tick: nothing is printed to standard output and the exit code is 1.\n";

namespace {

// The show files, in the order they are loaded, and the kind each option takes.
const std::pair<const char*, Kind> ShowFileOptions[] = {{"--config", Kind::Configuration},
                                                        {"--scene", Kind::Scene},
                                                        {"--sequence", Kind::Sequence},
                                                        {"--colours", Kind::ColourTable}};

struct RenderOptions {
    Options parsed;
    bool importYes = true;
    int firstChannel = 1;
    int lastChannel = DmxChannels;
    long long ticks = 1;
    long long seek = 0;  // ticks left out before the first printed
    InterfaceKind interfaceType = Interface::NoInterface;
    bool network = false;  // sACN or Art-Net

    bool realtime() const { return parsed.has("--realtime"); }
};

void readChannels(RenderOptions& options)
{
    const std::string* text = options.parsed.find("--channels");
    if (!text)
        return;
    const std::size_t dash = text->find('-');
    const auto first = dash == std::string::npos ? std::nullopt : wholeNumber(text->substr(0, dash));
    const auto last = dash == std::string::npos ? std::nullopt : wholeNumber(text->substr(dash + 1));
    if (!first || !last || *first < 1 || *first > *last || *last > DmxChannels)
        throw UsageError{"--channels takes A-B with 1 <= A <= B <= 512"};
    options.firstChannel = static_cast<int>(*first);
    options.lastChannel = static_cast<int>(*last);
}

RenderOptions readOptions(const std::vector<std::string>& args, SettingsStore& networkSettings)
{
    RenderOptions options{
        parseOptions(args, {.command = "render",
                            .valued = withInterfaceOptions({"--config", "--scene", "--sequence", "--colours", "--ticks",
                                                            "--channels", "--import", "--seek"}),
                            .flags = {"--play", "--realtime"},
                            .operands = Operands::RefusedAfterTheOptions})};
    options.importYes = importAnswer(options.parsed);
    readChannels(options);
    if (const std::string* ticks = options.parsed.find("--ticks"))
        options.ticks = numberIn("--ticks", *ticks, 0, 10'000'000);
    if (const std::string* seek = options.parsed.find("--seek")) {
        if (!options.parsed.has("--play") || options.realtime())
            throw UsageError{"--seek needs --play and no --realtime"};
        options.seek = numberIn("--seek", *seek, 0, 1'000'000'000);
    }
    options.interfaceType = readInterfaceOptions(options.parsed, networkSettings);
    options.network = isNetwork(options.interfaceType);
    for (const auto& [option, kind] : ShowFileOptions)
        if (const std::string* path = options.parsed.find(option); path && kindOf(*path) != kind)
            throw UsageError{std::string(option) + " takes a file of its kind: " + *path};
    return options;
}

// As check: every file is loaded and its messages shown; a file that did not
// load ends the command before the first tick.
bool loadFiles(Session& session, const Options& parsed)
{
    bool allLoaded = true;
    for (const auto& [option, kind] : ShowFileOptions)
        if (const std::string* path = parsed.find(option))
            allLoaded = session.load(kind, *path) == LoadOutcome::Loaded && allLoaded;
    return allLoaded;
}

// The tick number, then the levels of the channels as the device holds them
// (as sent, on a network), or without an interface the element colours.
std::string levelsLine(long long tick, const RenderOptions& options, const ShowModel& model, CliOutput& output)
{
    std::string line = std::to_string(tick);
    const auto channels = [&](const auto& levels) {
        for (int channel = options.firstChannel; channel <= options.lastChannel; ++channel)
            line += "," + std::to_string(levels[channel - 1]);
    };
    if (options.interfaceType == Interface::NoInterface) {
        for (int element = 1; element <= model.ElementCount; ++element)
            for (int plane = Red; plane <= White; ++plane)
                line += "," + std::to_string(model.colour(plane, element));
    } else if (options.network) {
        channels(model.DmxFrame);
    } else {
        channels(output.deviceLevels(options.interfaceType));
    }
    return line;
}

void runTicks(const RenderOptions& options, Session& session, CliOutput& output, std::ostream& out)
{
    session.view.printing = false;
    if (options.realtime() && options.ticks > 0)
        output.startGrid();
    // The time line knows a sequence played from step 1; from any other step,
    // or with nothing playing, the ticks left out are run.
    SequenceTimeline timeline(session.model);
    const bool seeking = options.parsed.has("--seek") && session.model.CurrentStep == 1;
    for (long long tick = options.seek + 1; tick <= options.seek + options.ticks; ++tick) {
        if (tick > options.seek + 1 || !seeking || !output.seek(timeline, tick - 1)) {
            for (long long skipped = tick == options.seek + 1 ? options.seek : 0; skipped > 0; --skipped)
                output.tick();
            output.tick();
        }
        out << levelsLine(tick, options, session.model, output) << '\n';
    }
    output.close(options.interfaceType);
}

}  // namespace

int renderCommand(const CommandLine& command)
{
    // The network settings live where the program keeps them, here in memory.
    MemorySettings networkSettings;
    const RenderOptions options = readOptions(command.args, networkSettings);
    const std::string home = homeOf(options.parsed, command.programFolder);
    Session session(command.err, options.importYes, home);
    if (!loadFiles(session, options.parsed))
        return ExitFailed;
    CliOutput output(session, home, networkSettings, options.realtime());
    if (!openInterface(options.interfaceType, session, output, command.err))
        return ExitFailed;
    if (options.parsed.has("--play")) {
        Sequencer sequencer{session.model, session.view, session.user, session.timer};
        PressPlay(sequencer);
    }
    runTicks(options, session, output, command.out);
    return ExitOk;
}

}  // namespace tinctara::cli
