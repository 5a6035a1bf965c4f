#include "CliApp.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "model/SequencePlayback.h"

#include <csignal>
#include <ctime>
#include <pthread.h>

namespace tinctara::cli {

const char PlayUsage[] =
    "  tinctara-cli play --config F --sequence F [--interface none|isa|usb|library|sacn|artnet]\n"
    "                    [--destination ADDR] [--universe N] [--tick-lead MS] [--quiet]\n"
    "      Loads the two files and opens the interface as render does, presses PLAY and runs the\n"
    "      ticks on the sender's 50 ms grid (as render --realtime) until SIGINT or SIGTERM; then\n"
    "      stops sending as the program does when it ends (sacn: three stream-terminated\n"
    "      packets) and exits 0. Prints \"step N of M\" whenever the step changes, unless --quiet.\n"
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
    const Options parsed =
        parseOptions(command.args, {.command = "play",
                                    .valued = withInterfaceOptions({"--config", "--sequence", "--tick-lead"}),
                                    .flags = {"--quiet"},
                                    .operands = Operands::RefusedAfterTheOptions});
    const InterfaceKind interfaceType = readInterfaceOptions(parsed, networkSettings);
    const bool quiet = parsed.has("--quiet");
    std::int64_t leadNanoseconds = DmxSender::DefaultLeadNanoseconds;
    if (const std::string* lead = parsed.find("--tick-lead"))
        leadNanoseconds = numberIn("--tick-lead", *lead, 0, 20) * 1'000'000;
    // Held from here, so that a stop while the show loads ends it at the first tick.
    StopSignals stop;

    const std::string home = homeOf(parsed, command.programFolder);
    Session session(command.err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    CliOutput output(session, home, networkSettings, true, leadNanoseconds);
    if (!openInterface(interfaceType, session, output, command.err))
        return ExitFailed;
    Sequencer sequencer{session.model, session.view, session.user, session.timer};
    PressPlay(sequencer);

    session.view.printing = false;
    output.startGrid();
    int shownStep = -1;
    while (!stop.arrived()) {
        output.tick();
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
