#include "effects/BeatLayout.h"
#include "files/ShowFiles.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using testing::EngineHarness;

std::vector<double> steadyBeats(double bpm, int count, double first = 0)
{
    std::vector<double> beats;
    for (int i = 0; i < count; ++i)
        beats.push_back(first + i * 60.0 / bpm);
    return beats;
}

// Two input steps, all lamps dark and all lamps full, so that every step
// change of the laid-out sequence flips the wall.
void twoStepInput(EngineHarness& h)
{
    h.buildWall(2, 1);
    for (int element = 1; element <= 2; ++element) {
        h.setStep(1, element, 0, 0, 0, 0, 0, 1);
        h.setStep(2, element, 255, 255, 255, 255, 0, 1);
    }
    h.model.StepCount = 2;
    h.model.setState(StateFlag::SequencePresent);
}

std::string temporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-beats-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

template <typename Outcome>
Outcome silently(EngineHarness& h, const std::string& folder, const std::string& path,
                 Outcome (*command)(ShowFileContext&))
{
    ShowFileContext context{h.model, h.view, h.user, h.timer, folder};
    h.model.SequenceFileName = path;
    h.model.setState(StateFlag::SilentFileOp);
    const Outcome outcome = command(context);
    h.model.clearState(StateFlag::SilentFileOp);
    return outcome;
}

struct Played {
    std::vector<long long> firstChange;  // tick the wall leaves a picture
    std::vector<long long> arrival;      // tick the next picture is reached
};

// Lays the two-step input onto the beats, writes the .CSQ, loads it into a
// fresh show and plays it from PLAY, tick by tick, until `changes` pictures
// have been reached.
Played playLaidOut(const BeatLayout& layout, std::size_t changes)
{
    const std::string folder = temporaryFolder();
    const std::string path = folder + "/BEATS.CSQ";
    {
        EngineHarness writer;
        twoStepInput(writer);
        EXPECT_TRUE(ApplyBeatLayout(writer.model, writer.user, layout).applied);
        EXPECT_EQ(silently(writer, folder, path, SaveSequence), SaveOutcome::Saved);
    }
    EngineHarness h;
    h.buildWall(2, 1);
    EXPECT_EQ(silently(h, folder, path, LoadSequence), LoadOutcome::Loaded);
    std::filesystem::remove_all(folder);
    h.play(1);

    Played played;
    int level = h.model.colour(Red, 1);
    for (long long tick = 0; played.arrival.size() < changes && tick < 100000; ++tick) {
        h.tick();
        const int now = h.model.colour(Red, 1);
        if (now != level && (level == 0 || level == 255))
            played.firstChange.push_back(tick);
        if (now != level && (now == 0 || now == 255))
            played.arrival.push_back(tick);
        level = now;
    }
    return played;
}

// Every new picture is reached within 25 ms of its beat when the written
// sequence runs through the engine, and the fade begins where the blend says.
TEST(BeatLayout, PicturesArriveOnTheBeatsWhenPlayed)
{
    std::vector<double> tempoChange = steadyBeats(120, 20);
    for (double beat : steadyBeats(90, 20, tempoChange.back() + 60.0 / 90))
        tempoChange.push_back(beat);
    struct Case {
        const char* name;
        std::vector<double> beats;
        BeatLayoutOptions options;
        double bpm;
        bool grouped;
    };
    const Case cases[] = {
        {"120 BPM", steadyBeats(120, 40), {}, 120, false},
        {"90 BPM", steadyBeats(90, 40), {}, 90, false},
        {"128 BPM", steadyBeats(128, 60), {}, 128, false},
        {"128 BPM, every 4 beats, short blend", steadyBeats(128, 60), {4, 0.2, 0}, 128, false},
        {"tempo change 120 to 90", tempoChange, {}, 0, false},
        {"started late, first beats skipped", steadyBeats(128, 60, 0.3), {1, 0.5, 2.0}, 128, false},
        {"1000 BPM: beats under 2 ticks apart", steadyBeats(1000, 120), {}, 1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BeatLayout layout = LayOntoBeats(2, c.beats, c.options);
        ASSERT_GE(layout.steps.size(), 4u);
        EXPECT_EQ(layout.report.groupedSteps > 0, c.grouped);
        EXPECT_LE(layout.report.worstErrorSeconds, TickSeconds / 2 + 1e-9);
        if (c.bpm > 0) {
            EXPECT_NEAR(layout.report.tempoBpm, c.bpm, 0.01);
        }

        const Played played = playLaidOut(layout, layout.steps.size());
        // The last step fades back to step 1; with an odd count both are dark.
        const std::size_t flips = layout.steps.size() - layout.steps.size() % 2;
        ASSERT_GE(played.arrival.size(), flips);
        for (std::size_t k = 0; k < flips; ++k) {
            SCOPED_TRACE(k);
            const BeatStep& step = layout.steps[k];
            const double arrived = static_cast<double>(played.arrival[k]) * TickSeconds + c.options.startSeconds;
            EXPECT_LE(std::abs(arrived - step.beatSeconds), TickSeconds / 2 + 1e-9);
            EXPECT_EQ(played.arrival[k], step.arrivalTick);
            EXPECT_EQ(played.firstChange[k], step.arrivalTick - std::max<int>(step.blend, 1) + 1);
            // A beat's step never reaches its picture at the next beat's.
            if (k > 0) {
                EXPECT_GE(step.arrivalTick - layout.steps[k - 1].arrivalTick, 2);
            }
        }
    }
}

// The blend follows the beat period where the beat leaves room for it, and
// the input's steps repeat in order.
TEST(BeatLayout, BlendIsTheFractionOfTheBeatAndStepsRepeatInOrder)
{
    const BeatLayout layout = LayOntoBeats(3, steadyBeats(90, 11), {2, 0.75, 0});
    ASSERT_EQ(layout.steps.size(), 5u);
    for (std::size_t k = 0; k < layout.steps.size(); ++k) {
        EXPECT_EQ(layout.steps[k].inputStep, static_cast<int>(k % 3) + 1);
        EXPECT_EQ(layout.steps[k].blend, 10);  // 0.75 of 2/3 s
        EXPECT_NEAR(layout.steps[k].beatSeconds, static_cast<double>(k + 1) * 2 * 60.0 / 90, 1e-9);
    }
    // 2 beats at 90 BPM are 26.67 ticks: the targets 27, 53, 80 are rounded
    // from the beats, so the lengths alternate rather than drift.
    EXPECT_EQ(layout.steps[0].arrivalTick, 27);
    EXPECT_EQ(layout.steps[1].arrivalTick, 53);
    EXPECT_EQ(layout.steps[2].arrivalTick, 80);
    EXPECT_EQ(layout.steps[0].hold, 27 - 10);  // the first cycle has the tick the load takes from -1
    EXPECT_EQ(layout.steps[1].hold, 26 - 1 - 10);
}

// A song longer than 250 steps stops at 250 and says how the loop falls.
TEST(BeatLayout, TheStepLimitReportsTheBeatsLeftAndTheLoopsDrift)
{
    const BeatLayout layout = LayOntoBeats(4, steadyBeats(120, 301), {});
    ASSERT_EQ(layout.steps.size(), 250u);
    const BeatLayoutReport& report = layout.report;
    EXPECT_TRUE(report.limited);
    EXPECT_EQ(report.beatsLeft, 50);
    // The loop is 250 beats and the one tick step 1 spends loading at PLAY.
    EXPECT_NEAR(report.loopSeconds, 125.05, 1e-9);
    EXPECT_NEAR(report.loopBeats, 250.1, 1e-9);
    EXPECT_NEAR(report.driftAtEndSeconds, 0.05, 1e-9);
    EXPECT_NEAR(report.worstDriftSeconds, 0.05, 1e-9);

    // Exactly 250 steps' worth of beats is no limit.
    EXPECT_FALSE(LayOntoBeats(4, steadyBeats(120, 251), {}).report.limited);
}

// What yields no steps, and beats that are not in order or not numbers.
TEST(BeatLayout, UnusableInputGivesNoStepsAndBadBeatsAreLeftOut)
{
    EXPECT_TRUE(LayOntoBeats(0, steadyBeats(120, 20), {}).steps.empty());
    EXPECT_TRUE(LayOntoBeats(2, {0.5}, {}).steps.empty());
    EXPECT_TRUE(LayOntoBeats(2, steadyBeats(120, 4), {4, 0.5, 0}).steps.empty());
    EXPECT_TRUE(LayOntoBeats(2, steadyBeats(120, 20), {1, 0.5, NAN}).steps.empty());
    EXPECT_TRUE(LayOntoBeats(2, steadyBeats(120, 20), {1, 0.5, 100}).steps.empty());

    const BeatLayout shuffled = LayOntoBeats(2, {1.5, NAN, 0.5, 1e300, 1.0, -3, INFINITY, 0}, {});
    EXPECT_EQ(shuffled.report.beats, 4);
    EXPECT_EQ(shuffled.report.firstBeatSeconds, 0);
    ASSERT_EQ(shuffled.steps.size(), 3u);
    EXPECT_EQ(shuffled.steps[2].arrivalTick, 30);
}

}  // namespace
}  // namespace tinctara
