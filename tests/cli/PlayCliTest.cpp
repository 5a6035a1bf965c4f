#include "CliApp.h"

#include "core/files/FileHarness.h"
#include "support/ClickTrack.h"
#include "timecode/ArtTimecode.h"
#include "timecode/Ltc.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

namespace tinctara::cli {
namespace {

using testing::FileHarness;
using testing::fixture;
using testing::readBytes;

struct PlayRun {
    int exit = -1;
    std::string out;
    std::string err;
};

// Runs play on this thread and sends `signal` to it after `after`.
PlayRun playFor(std::vector<std::string> args, int signal, std::chrono::milliseconds after)
{
    args.insert(args.begin(), "play");
    const pthread_t player = ::pthread_self();
    std::thread stopper([&] {
        std::this_thread::sleep_for(after);
        ::pthread_kill(player, signal);
    });
    std::ostringstream out, err;
    PlayRun r;
    r.exit = runCli(args, out, err, "/nonexistent");
    stopper.join();
    r.out = out.str();
    r.err = err.str();
    return r;
}

// SHOW22's three steps with the hold and blend ticks given.
std::string timedSequence(FileHarness& h, const std::string& holdsAndBlends)
{
    std::string sequence = readBytes(fixture("SHOW22.CSQ"));
    const std::string times = " 1, 20, 40000, 65535, 3, 5";
    sequence.replace(sequence.find(times), times.size(), holdsAndBlends);
    return h.file("TIMED.CSQ", sequence);
}

// Three steps of one tick's hold and blend each: they come round every few ticks.
std::string quickSequence(FileHarness& h) { return timedSequence(h, " 1, 1, 1, 1, 1, 1"); }

// A UDP socket bound to a free port on 127.0.0.1, and where it is.
int loopbackSocket(sockaddr_in& bound)
{
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    bound = {};
    bound.sin_family = AF_INET;
    bound.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof bound;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0)
        ADD_FAILURE() << "no free port on 127.0.0.1";
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &length);
    return socket;
}

TEST(CliPlay, StepsAreShownUntilAStopSignal)
{
    FileHarness h;
    const std::string sequence = quickSequence(h);
    // Either stop signal, and the sender's lead as set by default, without one
    // and at its largest.
    const std::pair<int, std::vector<std::string>> runs[] = {
        {SIGTERM, {}}, {SIGINT, {"--tick-lead", "0"}}, {SIGTERM, {"--tick-lead", "20"}}};
    for (const auto& [signal, lead] : runs) {
        std::vector<std::string> args{
            "--config", fixture("DEMO22.CFG").string(), "--sequence", sequence, "--interface", "sacn", "--destination",
            "127.0.0.1"};
        args.insert(args.end(), lead.begin(), lead.end());
        const PlayRun r = playFor(args, signal, std::chrono::milliseconds(800));
        EXPECT_EQ(r.exit, ExitOk) << r.err;
        std::istringstream in(r.out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        ASSERT_GE(lines.size(), 4u) << r.out;
        // Step 1 is on the wall, so the first tick fades to step 2 (as the
        // sequencer's step field shows); then each step once, round again after the last.
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], "step " + std::to_string((i + 1) % 3 + 1) + " of 3") << i;
    }
}

TEST(CliPlay, QuietPrintsNothing)
{
    FileHarness h;
    const PlayRun r = playFor({"--config", fixture("DEMO22.CFG").string(), "--sequence", quickSequence(h), "--quiet"},
                              SIGTERM, std::chrono::milliseconds(300));
    EXPECT_EQ(r.exit, ExitOk) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(CliPlay, FailuresEndItBeforeTheFirstTick)
{
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string err;
    };
    const std::string config = fixture("DEMO22.CFG").string();
    const std::string sequence = fixture("SHOW22.CSQ").string();
    // A port that is taken while the cases run.
    sockaddr_in local{};
    const int taken = loopbackSocket(local);
    const std::string takenPort = std::to_string(ntohs(local.sin_port));
    const Case cases[] = {
        {{"play", "--config", config, "--sequence", "/gone/X.CSQ"},
         ExitFailed,
         "message: Konnte Sequenz-Datei nicht finden"},
        {{"play", "--config", config, "--sequence", fixture("SHOW22.CSQ").string(), "--interface", "isa"},
         ExitFailed,
         "tinctara-cli: "},
        {{"play", "--config", config, "--bogus"}, ExitUsage, "tinctara-cli: unknown option --bogus\nUsage:"},
        {{"play", "--config", config}, ExitUsage, "tinctara-cli: --sequence is needed\nUsage:"},
        {{"play", "--universe", "3"},
         ExitUsage,
         "tinctara-cli: --destination and --universe go with --interface sacn or artnet\n"},
        {{"play", "--config", config, "--sequence", sequence, "--osc", "0"},
         ExitUsage,
         "tinctara-cli: --osc takes a number from 1 to 65535\n"},
        {{"play", "--config", config, "--sequence", sequence, "--osc-address", "127.0.0.1"},
         ExitUsage,
         "tinctara-cli: --osc-address goes with --osc\n"},
        {{"play", "--config", config, "--sequence", sequence, "--osc", takenPort},
         ExitFailed,
         "tinctara-cli: OSC kann nicht auf 127.0.0.1:" + takenPort + " hören: Adresse wird bereits verwendet.\n"},
        {{"play", "--config", config, "--sequence", sequence, "--osc", "8000", "--osc-address", "::1"},
         ExitFailed,
         "tinctara-cli: OSC kann nicht auf ::1:8000 hören: das ist keine IPv4-Adresse.\n"},
        {{"play", "--config", config, "--sequence", sequence, "--midi-port", "Pads:0"},
         ExitUsage,
         "tinctara-cli: --midi-port goes with --midi\n"},
        {{"play", "--config", config, "--sequence", sequence, "--midi", "--midi-device", "128"},
         ExitUsage,
         "tinctara-cli: --midi-device takes a number from 0 to 127\n"},
        // One entry the tab would not have stored spoils the list: nothing is half taken.
        {{"play", "--config", config, "--sequence", sequence, "--midi", "--midi-bindings",
          "play,0,note,1,60;stop,0,note,1"},
         ExitUsage,
         "tinctara-cli: --midi-bindings takes ACTION,NUMBER,note|cc|pc,CHANNEL,KEY"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "ltc"},
         ExitUsage,
         "tinctara-cli: --timecode ltc needs --ltc-file FILE\nUsage:"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "mtc"},
         ExitUsage,
         "tinctara-cli: --timecode mtc needs --midi\n"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "artnet", "--timecode-offset",
          "1:00:00:00"},
         ExitUsage,
         "tinctara-cli: --timecode-offset takes HH:MM:SS:FF\n"},
        // The offset is read at the rate given, wherever the rate stands.
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "artnet", "--timecode-offset",
          "01:00:00:24", "--timecode-rate", "24"},
         ExitUsage,
         "tinctara-cli: --timecode-offset takes HH:MM:SS:FF\n"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode-rate", "25"},
         ExitUsage,
         "tinctara-cli: --timecode-rate goes with --timecode\n"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "artnet", "--ltc-file", "x.wav"},
         ExitUsage,
         "tinctara-cli: --ltc-file goes with --timecode ltc\n"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "ltc", "--ltc-file", "x.wav",
          "--timecode-port", "6455"},
         ExitUsage,
         "tinctara-cli: --timecode-port goes with --timecode artnet\n"},
        {{"play", "--config", config, "--sequence", sequence, "--timecode", "ltc", "--ltc-file", config},
         ExitFailed,
         "tinctara-cli: Die Audiodatei " + config + " kann nicht gelesen werden: "},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runCli(c.args, out, err, "/nonexistent"), c.exit) << c.args.back();
        EXPECT_EQ(out.str(), "") << c.args.back();
        EXPECT_NE(err.str().find(c.err), std::string::npos) << c.args.back() << "\n" << err.str();
    }
    ::close(taken);
}

TEST(CliPlay, MidiWithoutASequencerEndsBeforeTheFirstTick)
{
    if (::access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer: play --midi would run";
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"play", "--config", fixture("DEMO22.CFG").string(), "--sequence", fixture("SHOW22.CSQ").string(),
                      "--midi", "--midi-bindings", "play,0,note,1,60;mix,1,cc,1,7"},
                     out, err, "/nonexistent"),
              ExitFailed);
    EXPECT_EQ(out.str(), "");
    const std::string said = "tinctara-cli: MIDI kann nicht starten: kein ALSA-Sequencer (/dev/snd/seq fehlt).\n";
    EXPECT_TRUE(err.str().ends_with(said)) << err.str();
}

// The lines of a run, those beginning with `prefix`.
std::vector<std::string> linesOf(const std::string& out, const std::string& prefix)
{
    std::istringstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix))
            lines.push_back(line.substr(prefix.size()));
    return lines;
}

// Steps change only to the next one: what a chase that seeks backwards or
// replays from ZERO in the middle would break.
void expectStepsInOrder(const std::string& out)
{
    const std::vector<std::string> steps = linesOf(out, "step ");
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const int before = steps[i - 1][0] - '0';
        EXPECT_EQ(steps[i], std::to_string(before % 3 + 1) + " of 3") << i << "\n" << out;
    }
}

// Three steps of four ticks' hold and two ticks' blend.
std::string chasedSequence(FileHarness& h) { return timedSequence(h, " 4, 2, 4, 2, 4, 2"); }

// LTC from a file that starts a second before the offset and runs three
// seconds past it, then ends. An LTC label is heard whole only a frame after
// the time it names, so a freewheel of a frame bridges one label to the next.
TEST(CliPlayTimecode, LtcFileIsChasedThenHeld)
{
    FileHarness h;
    testing::AudioFolder folder;
    const TimecodeRate rate = TimecodeRate::Ebu25;
    const std::int64_t offset = *toFrameCount({1, 0, 0, 0}, rate);
    const std::string wav = folder.path("ltc.wav");
    ASSERT_TRUE(testing::writeSoundFile(wav, encodeLtc(fromFrameCount(offset - 25, rate), rate, 48000.0, 100), 48000));
    const PlayRun r = playFor({"--config", fixture("DEMO22.CFG").string(), "--sequence", chasedSequence(h),
                               "--timecode", "ltc", "--ltc-file", wav, "--freewheel", "1"},
                              SIGINT, std::chrono::milliseconds(5500));
    EXPECT_EQ(r.exit, ExitOk) << r.err;
    // The states in the order they came, a glimpse of freewheel between
    // labels aside: nothing held before the file's end.
    std::vector<std::string> states;
    for (const std::string& state : linesOf(r.out, "timecode: "))
        if (state != "freewheel" && (states.empty() || states.back() != state))
            states.push_back(state);
    EXPECT_EQ(states, (std::vector<std::string>{"waiting", "before offset", "chasing", "held"})) << r.out;
    // The steps run while it is chased, and stand once it is held.
    const std::size_t chasing = r.out.find("timecode: chasing\n");
    const std::size_t held = r.out.rfind("timecode: held\n");
    EXPECT_GE(linesOf(r.out.substr(chasing, held - chasing), "step ").size(), 4u) << r.out;
    EXPECT_EQ(r.out.find("step ", held), std::string::npos) << r.out;
    expectStepsInOrder(r.out);
}

// OpTimeCode at 25 frames a second from the offset for two seconds.
TEST(CliPlayTimecode, ArtNetTimecodeIsChased)
{
    FileHarness h;
    sockaddr_in to{};
    ::close(loopbackSocket(to));  // a port free for play to listen on
    std::thread sender([&to] {
        const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const TimecodeRate rate = TimecodeRate::Ebu25;
        const std::int64_t offset = *toFrameCount({1, 0, 0, 0}, rate);
        auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        for (std::int64_t frame = offset; frame < offset + 50; ++frame) {
            std::this_thread::sleep_until(due);
            const auto packet = encodeArtTimecode({fromFrameCount(frame, rate), rate, 0});
            ::sendto(socket, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            due += std::chrono::milliseconds(40);
        }
        ::close(socket);
    });
    const PlayRun r = playFor({"--config", fixture("DEMO22.CFG").string(), "--sequence", chasedSequence(h),
                               "--timecode", "artnet", "--timecode-port", std::to_string(ntohs(to.sin_port))},
                              SIGINT, std::chrono::milliseconds(2800));
    sender.join();
    EXPECT_EQ(r.exit, ExitOk) << r.err;
    const std::vector<std::string> states = linesOf(r.out, "timecode: ");
    ASSERT_GE(states.size(), 2u) << r.out;
    EXPECT_EQ(states[0], "waiting");
    EXPECT_EQ(states[1], "chasing");
    const std::size_t chasing = r.out.find("timecode: chasing\n");
    EXPECT_GE(linesOf(r.out.substr(chasing), "step ").size(), 4u) << r.out;
    expectStepsInOrder(r.out);
}

}  // namespace
}  // namespace tinctara::cli
