#include "CliApp.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "CliShowControl.h"
#include "control/OscService.h"
#include "model/SequencePlayback.h"
#include "platform/SystemClock.h"

#include <csignal>
#include <ctime>
#include <optional>
#include <pthread.h>

namespace tinctara::cli {

const char PlayUsage[] =
    "  tinctara-cli play --config F --sequence F [--colours F] [--interface none|isa|usb|library|sacn|artnet]\n"
    "                    [--destination ADDR] [--universe N] [--osc PORT [--osc-address ADDR]] [--quiet]\n"
    "      Loads the two files and opens the interface as render does, presses PLAY and runs the\n"
    "      ticks on the sender's 50 ms grid (as render --realtime) until SIGINT or SIGTERM; then\n"
    "      stops sending as the program does when it ends (sacn: three stream-terminated\n"
    "      packets) and exits 0. Prints \"step N of M\" whenever the step changes, unless --quiet.\n"
    "      --colours loads the user colours that OSC's /tinctara/user paints.\n"
    "      --osc listens for OSC on UDP PORT at ADDR (default 127.0.0.1) between ticks, acting as\n"
    "      the windows would, and sends feedback to each sender's address at port 9000 (the\n"
    "      feedback port and destination of the user's OSC settings do not apply here).\n";

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
    const Options parsed =
        parseOptions(command.args,
                     {.command = "play",
                      .valued = withInterfaceOptions({"--config", "--sequence", "--colours", "--osc", "--osc-address"}),
                      .flags = {"--quiet"},
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
    CliOutput output(session, home, networkSettings, true);
    if (!openInterface(interfaceType, session, output, command.err))
        return ExitFailed;
    Sequencer sequencer{session.model, session.view, session.user, session.timer};
    PressPlay(sequencer);

    // Desks act between ticks, on this thread, as the windows would.
    std::optional<CliShowControl> show;
    std::optional<OscService> osc;
    SystemClock clock;
    if (oscSettings) {
        show.emplace(session, output);
        osc.emplace(OscService::Services{show->control(), session.model, clock, {}});
        if (const std::string problem = osc->start(*oscSettings); !problem.empty()) {
            command.err << ErrorPrefix << problem << std::endl;
            output.close(interfaceType);
            return ExitFailed;
        }
        output.watch(osc->descriptor(), [&osc] { osc->readable(); });
    }

    session.view.printing = false;
    output.startGrid();
    int shownStep = -1;
    while (!stop.arrived()) {
        output.tick();
        if (osc)
            osc->showChanged();
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
