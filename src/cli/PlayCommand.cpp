#include "CliApp.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "CliShowControl.h"
#include "control/MidiInput.h"
#include "control/OscService.h"
#include "dmx/DmxSender.h"
#include "model/SequencePlayback.h"
#include "platform/SystemClock.h"

#include <csignal>
#include <ctime>
#include <optional>
#include <pthread.h>

namespace tinctara::cli {

const char PlayUsage[] =
    "  tinctara-cli play --config F --sequence F [--colours F] [--interface none|isa|usb|library|sacn|artnet]\n"
    "                    [--destination ADDR] [--universe N] [--osc PORT [--osc-address ADDR]]\n"
    "                    [--midi [--midi-port CLIENT:PORT] [--midi-device N] [--midi-bindings LIST]]\n"
    "                    [--tick-lead MS] [--quiet]\n"
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
    "      leaves at it is asked for; 0 asks right after the point before, a period earlier.\n";

namespace {

// SIGINT and SIGTERM are held back while the command runs and taken between
// ticks, so that a stop never lands in the middle of a frame.
class StopSignals {
public:
    StopSignals()
    {
        ::sigemptyset(&signals_);
        ::sigaddset(&signals_, SIGINT);
        ::sigaddset(&signals_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    }
    ~StopSignals()
    {
        // Both may have come; neither may end the process once unblocked.
        while (arrived()) {
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool arrived()
    {
        const timespec now{};
        return ::sigtimedwait(&signals_, nullptr, &now) > 0;
    }

private:
    sigset_t signals_{};
    sigset_t previous_{};
};

}  // namespace

int playCommand(const CommandLine& command)
{
    MemorySettings networkSettings;
    const Options parsed = parseOptions(
        command.args,
        {.command = "play",
         .valued = withInterfaceOptions({"--config", "--sequence", "--colours", "--osc", "--osc-address", "--midi-port",
                                         "--midi-device", "--midi-bindings", "--tick-lead"}),
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
    std::int64_t leadNanoseconds = DmxSender::DefaultLeadNanoseconds;
    if (const std::string* lead = parsed.find("--tick-lead"))
        leadNanoseconds = numberIn("--tick-lead", *lead, 0, 20) * 1'000'000;
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
    PressPlay(sequencer);

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
        output.watch(midi->descriptor(), [&midi] { midi->ready(); });
    }

    session.view.printing = false;
    output.startGrid();
    int shownStep = -1;
    while (!stop.arrived()) {
        output.tick();
        if (osc)
            osc->showChanged();
        if (midi)
            midi->showChanged();
        if (session.model.CurrentStep != shownStep) {
            shownStep = session.model.CurrentStep;
            if (!quiet)
                command.out << "step " << shownStep << " of " << int{session.model.StepCount} << std::endl;
        }
    }
    output.close(interfaceType);
    return ExitOk;
}

}  // namespace tinctara::cli
