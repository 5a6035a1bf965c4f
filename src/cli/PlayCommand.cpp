#include "CliApp.h"
#include "CliCommands.h"
#include "CliInput.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "CliShowControl.h"
#include "CliTimecode.h"
#include "StopSignals.h"
#include "control/MidiInput.h"
#include "control/OscService.h"
#include "dmx/DmxSender.h"
#include "model/SequencePlayback.h"
#include "platform/SystemClock.h"

#include <optional>

namespace tinctara::cli {

const char PlayUsage[] =
    "  tinctara-cli play --config F --sequence F [--colours F] [--interface none|isa|usb|library|sacn|artnet]\n"
    "                    [--destination ADDR] [--universe N] [--osc PORT [--osc-address ADDR]]\n"
    "                    [--midi [--midi-port CLIENT:PORT] [--midi-device N] [--midi-bindings LIST]]\n"
    "                    [--tick-lead MS] [--quiet] [--input sacn|artnet --input-universe U\n"
    "                    [--input-listen ADDR] [--merge aus|htp|ltp|eingang]]\n"
    "                    [--timecode artnet|mtc|ltc [--timecode-offset HH:MM:SS:FF]\n"
    "                    [--timecode-rate 24|25|29.97|30] [--freewheel FRAMES] [--ltc-file FILE]\n"
    "                    [--timecode-port PORT]]\n"
    "      Loads the two files and opens the interface as render does, presses PLAY and runs the\n"
    "      ticks on the sender's 50 ms grid (as render --realtime) until SIGINT or SIGTERM; then\n"
    "      stops sending as the program does when it ends (sacn: three stream-terminated\n"
    "      packets) and exits 0. Prints \"step N of M\" whenever the step changes, unless --quiet.\n"
    "      --colours loads the user colours that OSC's /tinctara/user paints.\n"
    "      --osc listens for OSC on UDP PORT at ADDR (default 127.0.0.1) between ticks, acting as\n"
    "      the windows would, and sends feedback to each sender's address at port 9000 (the\n"
    "      feedback port and destination of the user's OSC settings do not apply here).\n"
    "      --midi makes the sequencer client \"Tinctara\" with its input port, connected from\n"
    "      CLIENT:PORT when given; MIDI show control GO, STOP and RESUME for device N (0..127,\n"
    "      default 127: all-call), and the learned messages of LIST, as the options window's tab\n"
    "      \"Steuerung\" stores them (\"play,0,note,1,60;mix,1,cc,1,7\": action, number, note|cc|pc,\n"
    "      channel, key).\n"
    "      --tick-lead: how many ms (0..20, default 5) before a grid point the tick whose frame\n"
    "      leaves at it is asked for; 0 asks right after the point before, a period earlier.\n"
    "      --input receives a desk's universe as record does (U and ADDR as its --universe and\n"
    "      --listen) between ticks and merges it into every frame sent: htp (default) the higher\n"
    "      level per channel, ltp the source that changed a channel last, eingang the desk's level\n"
    "      wherever a sender is live, aus the program alone.\n"
    "      --timecode follows a timecode instead of pressing PLAY: ZERO and PLAY fall on the\n"
    "      offset (default 01:00:00:00, at the rate given, default 25), each tick 50 ms after the\n"
    "      one before; before the offset step 1 holds. artnet hears OpTimeCode on UDP PORT\n"
    "      (default 6454), mtc MIDI timecode on the --midi client (needed), ltc the LTC of FILE\n"
    "      (WAV, FLAC, ...) played in real time from the start. When the timecode stops the\n"
    "      sequence runs on FRAMES frames (0..250, default 10), then holds. Prints\n"
    "      \"timecode: STATE\" when the state changes (waiting, before offset, chasing,\n"
    "      freewheel, held), unless --quiet.\n";

namespace {

InputMerge mergeOf(const std::string& name)
{
    const std::pair<const char*, InputMerge> names[] = {{"aus", InputMerge::Off},
                                                        {"htp", InputMerge::Htp},
                                                        {"ltp", InputMerge::Ltp},
                                                        {"eingang", InputMerge::InputFirst}};
    return namedIn("--merge", name, names);
}

}  // namespace

int playCommand(const CommandLine& command)
{
    MemorySettings networkSettings;
    const Options parsed = parseOptions(
        command.args,
        {.command = "play",
         .valued = withInterfaceOptions(withTimecodeOptions(
             {"--config", "--sequence", "--colours", "--osc", "--osc-address", "--midi-port", "--midi-device",
              "--midi-bindings", "--tick-lead", "--input", "--input-universe", "--input-listen", "--merge"})),
         .flags = {"--quiet", "--midi"},
         .operands = Operands::RefusedAfterTheOptions});
    const InterfaceKind interfaceType = readInterfaceOptions(parsed, networkSettings);
    const bool quiet = parsed.has("--quiet");
    std::optional<OscSettings> oscSettings;
    if (const std::string* port = parsed.find("--osc")) {
        oscSettings.emplace();
        oscSettings->port = static_cast<int>(numberIn("--osc", *port, 1, 65535));
        if (const std::string* address = parsed.find("--osc-address"))
            oscSettings->address = *address;
    } else if (parsed.find("--osc-address")) {
        throw UsageError{"--osc-address goes with --osc"};
    }
    std::optional<MidiSettings> midiSettings;
    if (parsed.has("--midi")) {
        midiSettings.emplace();
        midiSettings->enabled = true;
        if (const std::string* port = parsed.find("--midi-port"))
            midiSettings->port = *port;
        if (const std::string* device = parsed.find("--midi-device"))
            midiSettings->deviceId = static_cast<int>(numberIn("--midi-device", *device, 0, 127));
        if (const std::string* list = parsed.find("--midi-bindings")) {
            midiSettings->bindings = parseBindings(*list);
            if (bindingsText(midiSettings->bindings).size() != list->size())
                throw UsageError{"--midi-bindings takes ACTION,NUMBER,note|cc|pc,CHANNEL,KEY;... as the options "
                                 "window stores them"};
        }
    } else {
        for (const char* option : {"--midi-port", "--midi-device", "--midi-bindings"})
            if (parsed.find(option))
                throw UsageError{std::string(option) + " goes with --midi"};
    }
    InputSettings inputSettings = readInputOptions(parsed, {"--input", "--input-universe", "--input-listen"});
    inputSettings.merge = InputMerge::Htp;
    if (const std::string* merge = parsed.find("--merge")) {
        if (inputSettings.kind == InputKind::None)
            throw UsageError{"--merge goes with --input"};
        inputSettings.merge = mergeOf(*merge);
    }
    std::int64_t leadNanoseconds = DmxSender::DefaultLeadNanoseconds;
    if (const std::string* lead = parsed.find("--tick-lead"))
        leadNanoseconds = numberIn("--tick-lead", *lead, 0, 20) * 1'000'000;
    const TimecodeOptions timecodeOptions = readTimecodeOptions(parsed, midiSettings.has_value());
    // Held from here, so that a stop while the show loads ends it at the first tick.
    StopSignals stop;

    const std::string home = homeOf(parsed, command.programFolder);
    Session session(command.err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    if (const std::string* colours = parsed.find("--colours")) {
        requireFile("--colours", *colours, Kind::ColourTable);
        if (session.load(Kind::ColourTable, *colours) != LoadOutcome::Loaded)
            return ExitFailed;
    }
    CliOutput output(session, home, networkSettings, true, leadNanoseconds);
    if (!openInterface(interfaceType, session, output, command.err))
        return ExitFailed;
    Sequencer sequencer{session.model, session.view, session.user, session.timer};
    // Under timecode the timecode presses ZERO and PLAY.
    std::optional<CliTimecode> timecode;
    if (timecodeOptions.settings.source == TimecodeSource::None)
        PressPlay(sequencer);
    else
        timecode.emplace(timecodeOptions, sequencer, output.engine());

    // Desks act between ticks, on this thread, as the windows would.
    std::optional<CliShowControl> show;
    std::optional<OscService> osc;
    std::optional<MidiInput> midi;
    SystemClock clock;
    if (oscSettings || midiSettings)
        show.emplace(session, output);
    if (oscSettings) {
        osc.emplace(OscService::Services{show->control(), session.model, clock, {}});
        if (const std::string problem = osc->start(*oscSettings); !problem.empty()) {
            command.err << ErrorPrefix << problem << std::endl;
            output.close(interfaceType);
            return ExitFailed;
        }
        output.watch(osc->descriptor(), [&osc] { osc->readable(); });
    }
    if (midiSettings) {
        midi.emplace(session.model, show->control());
        const std::string problem = midi->start(*midiSettings);
        if (!midi->running()) {
            command.err << ErrorPrefix << problem << std::endl;
            output.close(interfaceType);
            return ExitFailed;
        }
        if (!problem.empty())  // a port that is not there: the client runs without it
            command.err << problem << std::endl;
        if (timecode)
            midi->onTimecodeBytes([&timecode](std::span<const std::uint8_t> bytes) {
                timecode->receiver().midiBytes(bytes, monotonicMs());
            });
        output.watch(midi->descriptor(), [&midi] { midi->ready(); });
    }

    // The desk's universe, read between ticks and merged in every tick.
    std::optional<CliInput> input;
    if (inputSettings.kind != InputKind::None) {
        input.emplace(output, networkSettings);
        if (!input->start(inputSettings, output, command.err)) {
            output.close(interfaceType);
            return ExitFailed;
        }
        output.engine().mergeInput(&input->service().frame(), inputSettings.merge);
    }

    if (timecode && !timecode->start(output, command.err)) {
        output.close(interfaceType);
        if (input)
            input->service().stop();
        return ExitFailed;
    }

    const std::function<void()> serveChased = [&timecode] { timecode->serve(); };
    const auto showState = [&] {
        if (const char* state = timecode ? timecode->changedState() : nullptr; state && !quiet)
            command.out << "timecode: " << state << std::endl;
    };
    showState();  // waiting, before the first tick
    session.view.printing = false;
    output.startGrid();
    int shownStep = -1;
    while (!stop.arrived()) {
        if (input)
            input->service().expire();
        if (timecode)
            output.tickChased(serveChased);
        else
            output.tick();
        if (osc)
            osc->showChanged();
        if (midi)
            midi->showChanged();
        showState();
        if (session.model.CurrentStep != shownStep) {
            shownStep = session.model.CurrentStep;
            if (!quiet)
                command.out << "step " << shownStep << " of " << int{session.model.StepCount} << std::endl;
        }
    }
    output.close(interfaceType);
    if (input)
        input->service().stop();
    return ExitOk;
}

}  // namespace tinctara::cli
