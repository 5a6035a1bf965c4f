#include "CliRun.h"

#include "core/files/FileHarness.h"
#include "support/ClickTrack.h"
#include "support/EffectsFakes.h"
#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tinctara::cli {
namespace {

namespace fs = std::filesystem;
using testing::fixture;

const std::string Config = fixture("DEMO22.CFG").string();    // 2 x 2 wall
const std::string Sequence = fixture("SHOW22.CSQ").string();  // three steps

double nearest(const std::vector<double>& times, double t)
{
    double best = 1e9;
    for (double time : times)
        best = std::min(best, std::abs(time - t));
    return best;
}

// A click track at 120 BPM laid out every 2 beats: the sequence read back
// holds SHOW22's steps in order, and playing it from step 1 reaches each
// picture on a click (the analysis' own error plus the tick's half).
TEST(BeatsCli, AClickTracksSequenceReachesItsPicturesOnTheClicks)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.25, 120}}, 20);
    ASSERT_TRUE(testing::writeSoundFile(folder.path("click.wav"), track.samples, track.sampleRate));
    const std::string out = folder.path("BEATS.CSQ");

    const CliRun r = runFromBuild({"beats", "--audio", folder.path("click.wav"), "--config", Config, "--sequence",
                                   Sequence, "--out", out, "--every-beats", "2", "--start", "0.25"});
    ASSERT_EQ(r.exit, ExitOk) << r.out;
    EXPECT_NE(r.out.find("Tempo: 120,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Schläge ab 0,25 s, der erste bei "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Schritte geschrieben, einer je 2 Schläge; jeder Bildwechsel liegt höchstens "),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "ok\n");

    testing::FileHarness input;
    ASSERT_EQ(input.loadConfiguration(Config), LoadOutcome::Loaded);
    ASSERT_EQ(input.loadSequence(Sequence), LoadOutcome::Loaded);
    testing::FileHarness laid;
    ASSERT_EQ(laid.loadConfiguration(Config), LoadOutcome::Loaded);
    ASSERT_EQ(laid.loadSequence(out), LoadOutcome::Loaded);
    ASSERT_GE(laid.model.StepCount, 8);  // 20 s at 120 BPM in pairs, a few lost to the analysis' start

    long long arrival = -1;
    for (int step = 1; step <= laid.model.StepCount; ++step) {
        SCOPED_TRACE(step);
        for (int element = 1; element <= 4; ++element)
            EXPECT_EQ(laid.step(step, element), input.step((step - 1) % 3 + 1, element));
        arrival += 1 + laid.model.holdTime(step) + std::max<int>(laid.model.blendTime(step), 1);
        EXPECT_LE(nearest(track.clicks, 0.25 + static_cast<double>(arrival) * 0.05), 0.050 + 0.025);
    }
}

// A song of more beats than a sequence has steps stops at 250 and says what
// the repeated sequence does against the rest of the song.
TEST(BeatsCli, ALongSongStopsAt250StepsAndToldTheDrift)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.5, 120}}, 140);
    ASSERT_TRUE(testing::writeSoundFile(folder.path("long.wav"), track.samples, track.sampleRate));
    const std::string out = folder.path("LONG.CSQ");
    const CliRun r = runFromBuild(
        {"beats", "--audio", folder.path("long.wav"), "--config", Config, "--sequence", Sequence, "--out", out});
    ASSERT_EQ(r.exit, ExitOk) << r.out;
    EXPECT_NE(r.out.find("250 Schritte geschrieben, einer je Schlag;"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Mehr als 250 Schritte nötig: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Schläge bleiben übrig. Die Sequenz beginnt nach 12"), std::string::npos) << r.out;
    testing::FileHarness laid;
    ASSERT_EQ(laid.loadConfiguration(Config), LoadOutcome::Loaded);
    ASSERT_EQ(laid.loadSequence(out), LoadOutcome::Loaded);
    EXPECT_EQ(laid.model.StepCount, 250);
}

// A song that cannot be read, and one without beats, write nothing.
TEST(BeatsCli, NoSongOrNoBeatsFailsWithoutWriting)
{
    testing::AudioFolder folder;
    const testing::ClickTrack silence = testing::silentTrack(5);
    ASSERT_TRUE(testing::writeSoundFile(folder.path("silence.wav"), silence.samples, silence.sampleRate));
    testing::writeBytes(folder.path("noise.wav"), "RIFF, but not really");
    struct Case {
        std::string song;
        std::string says;
    };
    const Case cases[] = {
        {folder.path("silence.wav"), "Keine Schritte: das Lied hat ab dem Start zu wenige Schläge.\n"},
        {folder.path("noise.wav"), "message: "},
        {folder.path("missing.wav"), "message: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song);
        const std::string out = folder.path("OUT.CSQ");
        const CliRun r =
            runFromBuild({"beats", "--audio", c.song, "--config", Config, "--sequence", Sequence, "--out", out});
        EXPECT_EQ(r.exit, ExitFailed);
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - 7), "failed\n");
        EXPECT_FALSE(fs::exists(out));
    }
}

// The effects window's "Auf Musik legen" writes the file the command line
// writes for the same song, sequence and options, byte for byte but for the
// "Speed" line (the sequencer's blend field, which the window sets to the
// new current step's and the command line leaves), and shows the report the
// command line prints.
TEST(BeatsCli, TheEffectsWindowLaysTheSameSequence)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.4, 100}}, 15);
    ASSERT_TRUE(testing::writeSoundFile(folder.path("click.wav"), track.samples, track.sampleRate));
    const CliRun r =
        runFromBuild({"beats", "--audio", folder.path("click.wav"), "--config", Config, "--sequence", Sequence, "--out",
                      folder.path("CLI.CSQ"), "--every-beats", "4", "--blend-fraction", "0.75", "--start", "0.4"});
    ASSERT_EQ(r.exit, ExitOk) << r.out;

    testing::FileHarness window;
    ASSERT_EQ(window.loadConfiguration(Config), LoadOutcome::Loaded);
    ASSERT_EQ(window.loadSequence(Sequence), LoadOutcome::Loaded);
    testing::FakeMainWindowCommands mainWindow;
    testing::FakeSettingsStore settings;
    testing::RecordingEffectsView view;
    EffectsPresenter presenter{{window.model, window.view, window.user, mainWindow, settings}, view};
    ASSERT_TRUE(presenter.Form_Load());
    presenter.txtMusik_Change(SongField, folder.path("click.wav"));
    presenter.cboBeats_Click(2);
    presenter.txtMusik_Change(BeatBlendField, "0,75");
    presenter.txtMusik_Change(SongStartField, "0,4");
    presenter.cmdMusik_Click(LayOntoMusicButton);
    presenter.musicAnalysed();
    ASSERT_EQ(window.saveSequence(folder.path("WINDOW.CSQ")), SaveOutcome::Saved);
    const auto withoutSpeed = [](std::string bytes) {
        const std::size_t line = bytes.find("\r\nSpeed = ");
        EXPECT_NE(line, std::string::npos);
        if (line != std::string::npos)
            bytes.erase(line, bytes.find("\r\n", line + 2) - line);
        return bytes;
    };
    EXPECT_EQ(withoutSpeed(testing::readBytes(folder.path("WINDOW.CSQ"))),
              withoutSpeed(testing::readBytes(folder.path("CLI.CSQ"))));
    EXPECT_GT(window.model.StepCount, 3);
    EXPECT_NE(r.out.find(view.status + "\n"), std::string::npos) << r.out << "\n---\n" << view.status;
}

}  // namespace
}  // namespace tinctara::cli
