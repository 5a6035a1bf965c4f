#include "core/files/FileHarness.h"
#include "engine/FrameBuilder.h"
#include "input/InputRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::fixture;

// One tick's input: '.' not live, 'a'..'z' live with the levels of that letter
// (a new letter is a new version), so "aab" is two ticks of one frame and a change.
DmxInputFrame frameOf(char tick, std::uint64_t& version, char& last)
{
    DmxInputFrame frame;
    if (tick == '.') {
        if (last != '.')
            ++version;
        last = '.';
        frame.version = version;
        return frame;
    }
    if (tick != last)
        ++version;
    last = tick;
    frame.live = true;
    frame.covered = NetworkSlots;
    frame.levels.fill(static_cast<std::uint8_t>(tick));
    frame.version = version;
    return frame;
}

// The ticks (1-based) that took a step.
std::vector<int> stepsTaken(ShowModel& model, RecorderSettings settings, const std::string& ticks)
{
    InputRecorder recorder(model, settings);
    std::vector<int> taken;
    std::uint64_t version = 0;
    char last = '.';
    for (std::size_t i = 0; i < ticks.size(); ++i)
        if (recorder.tick(frameOf(ticks[i], version, last)))
            taken.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(recorder.recorded(), static_cast<int>(taken.size()));
    return taken;
}

ShowModel& straightWall(ShowModel& model)
{
    model.ElementCount = 2;
    for (int element = 1; element <= 2; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.patch(element, plane) = static_cast<std::uint16_t>((element - 1) * Planes + plane);
    return model;
}

TEST(InputRecorder, TakesStepsOnlyWhileLiveEveryNTicksOrOnChange)
{
    struct Case {
        const char* name;
        int every;
        bool onChange;
        int limit;
        std::string ticks;
        std::vector<int> taken;
    };
    const Case cases[] = {
        {"nothing live", 2, false, 250, "......", {}},
        {"every tick", 1, false, 250, "aaaa", {1, 2, 3, 4}},
        {"every third, from the first live tick", 3, false, 250, "..aaaaaaa", {3, 6, 9}},
        {"a gap is not recorded; live again after it records at once", 3, false, 250, "aa....aa", {1, 7}},
        {"the default: one step a second",
         RecorderSettings::DefaultEvery,
         false,
         250,
         std::string(45, 'a'),
         {1, 21, 41}},
        {"on change: first live frame, then every new version", 1, true, 250, ".aaabbbbcd", {2, 5, 9, 10}},
        {"on change: losing the input is no step", 1, true, 250, "aa..", {1}},
        {"on change: back after a loss is a new version", 1, true, 250, "aa..a", {1, 5}},
        {"the step limit ends it", 1, false, 3, "aaaaaa", {1, 2, 3}},
        {"on change with the limit", 1, true, 2, "abcd", {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowModel model;
        straightWall(model);
        const std::vector<int> taken = stepsTaken(model, {c.every, c.onChange, c.limit}, c.ticks);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(model.StepCount, c.taken.size());
        EXPECT_EQ(model.CurrentStep, c.taken.size());
        EXPECT_EQ(model.hasState(StateFlag::SequencePresent), !c.taken.empty());
    }
}

// Played back, every step lasts as long as the desk held it: a load tick, the
// hold and a one-tick change.
TEST(InputRecorder, StepsKeepThePaceTheyWereTakenAt)
{
    struct Case {
        const char* name;
        RecorderSettings settings;
        std::string ticks;
        std::vector<int> holds;
    };
    const Case cases[] = {
        {"the default: 20 ticks a step", {}, std::string(45, 'a'), {18, 18, 18}},
        {"on change: until the next change, the last until the end", {.onChange = true}, ".aaabbbbbbbc...", {1, 5, 1}},
        {"faster than a load and a change cannot be", {.every = 1}, "abc", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowModel model;
        straightWall(model);
        InputRecorder recorder(model, c.settings);
        std::uint64_t version = 0;
        char last = '.';
        for (const char tick : c.ticks)
            recorder.tick(frameOf(tick, version, last));
        recorder.finish();
        std::vector<int> holds;
        for (int step = 1; step <= model.StepCount; ++step) {
            holds.push_back(model.holdTime(step));
            EXPECT_EQ(model.blendTime(step), 0);
        }
        EXPECT_EQ(holds, c.holds);
    }
}

// A step is the picture of that tick's levels, with REC's times and flags, and
// the wall (the program's output) stays as it was.
TEST(InputRecorder, AStepHoldsThatTicksPictureAndLeavesTheWall)
{
    ShowModel model;
    straightWall(model);
    model.correction(2, Green) = 40;
    model.colour(Red, 1) = 9;
    InputRecorder recorder(model, {.every = 1});
    std::uint64_t version = 0;
    char last = '.';
    ASSERT_TRUE(recorder.tick(frameOf('a', version, last)));
    ASSERT_TRUE(recorder.tick(frameOf('z', version, last)));
    EXPECT_EQ(model.stepColour(1, 1, Red), 'a');
    EXPECT_EQ(model.stepColour(2, 1, Red), 'z');
    EXPECT_EQ(model.stepColour(2, 2, Green), 'z' + 40);
    for (int step = 1; step <= 2; ++step) {
        EXPECT_EQ(model.holdTime(step), 0);
        EXPECT_EQ(model.blendTime(step), 0);
    }
    EXPECT_TRUE(model.hasDocument(DocumentFlag::SequenceNew));
    EXPECT_TRUE(model.hasDocument(DocumentFlag::SequenceChanged));
    EXPECT_EQ(model.colour(Red, 1), 9);
}

// Steps already in the sequence count toward the limit; the new ones follow them.
TEST(InputRecorder, AppendsAfterTheStepsThereUpToTheLimit)
{
    ShowModel model;
    straightWall(model);
    model.StepCount = 248;
    model.CurrentStep = 248;
    model.setState(StateFlag::SequencePresent);
    EXPECT_EQ(stepsTaken(model, {.every = 1}, "abcd"), (std::vector<int>{1, 2}));
    EXPECT_EQ(model.StepCount, 250);
    EXPECT_EQ(model.stepColour(250, 1, Red), 'b');
    EXPECT_FALSE(model.hasDocument(DocumentFlag::SequenceNew));
}

// Saved as a sequence, loaded into a fresh show and played, the recorded steps
// send the levels that came in, as far as each channel's correction lets them.
TEST(InputRecorder, TheSavedSequencePlaysBackTheLevelsThatCameIn)
{
    FileHarness recording;
    ASSERT_EQ(recording.loadConfiguration(fixture("DEMO22.CFG").string()), LoadOutcome::Loaded);
    InputRecorder recorder(recording.model, {.every = 1});
    std::array<DmxInputFrame, 2> frames{};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i].live = true;
        frames[i].version = i + 1;
        for (int channel = 1; channel <= DmxChannels; ++channel)
            frames[i].levels[channel - 1] = static_cast<std::uint8_t>((channel * 37 + i * 101) % 256);
        frames[i].levels[15] = 254;  // channel 16: correction 10, 245 at most
        ASSERT_TRUE(recorder.tick(frames[i]));
    }
    const std::string saved = recording.path("IN.CSQ");
    ASSERT_EQ(recording.saveSequence(saved), SaveOutcome::Saved);

    FileHarness playing;
    ASSERT_EQ(playing.loadConfiguration(fixture("DEMO22.CFG").string()), LoadOutcome::Loaded);
    ASSERT_EQ(playing.loadSequence(saved), LoadOutcome::Loaded);
    ASSERT_EQ(playing.model.StepCount, 2);
    ShowModel& model = playing.model;
    for (int step = 1; step <= 2; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(model.holdTime(step), 0);
        EXPECT_EQ(model.blendTime(step), 0);
        for (int element = 1; element <= model.ElementCount; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model.colour(plane, element) = model.stepColour(step, element, plane);
        struct Levels final : FrameDestination {
            std::array<int, DmxChannels> sent{};
            void writeLevel(int channel, std::uint8_t level) override { sent[channel - 1] = level; }
        } frame;
        MitKarteHold(model, frame);
        int checked = 0;
        for (int element = 1; element <= model.ElementCount; ++element)
            for (int plane = Red; plane <= White; ++plane) {
                const int channel = model.patch(element, plane);
                const int came = frames[step - 1].levels[channel - 1];
                EXPECT_EQ(frame.sent[channel - 1], std::min(came, 255 - model.correction(element, plane)))
                    << "channel " << channel;
                ++checked;
            }
        EXPECT_EQ(checked, 16);
    }
    EXPECT_EQ(playing.model.patch(4, White), 16);
    EXPECT_EQ(playing.model.correction(4, White), 10);
}

}  // namespace
}  // namespace tinctara
