#include "effects/Effects.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace tinctara {
namespace {

using testing::RecordingView;
using testing::ScriptedUser;

struct ApplyHarness {
    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();
    ShowModel& model = *storage;
    RecordingView view;
    ScriptedUser user;

    ApplyHarness(int columns, int rows)
    {
        initialiseAtStartUp(model);
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        BuildWall(model, view, user, WallBuildKind::FromConfiguration);
        model.DocumentFlags = 0;
    }

    // Steps of one colour each: step i has red = i.
    static std::vector<EffectStep> steps(int count, int elements)
    {
        std::vector<EffectStep> result;
        for (int i = 1; i <= count; ++i)
            result.push_back(
                {std::vector<Rgbw>(static_cast<std::size_t>(elements), Rgbw{static_cast<std::uint8_t>(i), 1, 2, 3}),
                 static_cast<std::uint16_t>(i), 5});
        return result;
    }

    // A recorded sequence of `count` steps with red = 200.
    void record(int count)
    {
        for (int s = 1; s <= count; ++s)
            for (int e = 1; e <= model.ElementCount; ++e)
                model.stepColour(s, e, Red) = 200;
        model.StepCount = static_cast<std::uint8_t>(count);
        model.CurrentStep = static_cast<std::uint8_t>(count);
        model.setState(StateFlag::SequencePresent);
    }
};

TEST(ApplyEffect, ReplaceOnAnEmptySequenceMarksItAsRecDoes)
{
    ApplyHarness h(2, 2);
    const ApplyOutcome outcome = ApplyEffect(h.model, h.user, ApplyHarness::steps(3, 4), ApplyMode::Replace);
    EXPECT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.stepsTaken, 3);
    EXPECT_FALSE(outcome.limited);
    EXPECT_EQ(h.model.StepCount, 3);
    EXPECT_EQ(h.model.CurrentStep, 3);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePresent));
    EXPECT_EQ(h.model.DocumentFlags,
              DocumentFlag::SceneChanged | DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(h.model.stepColour(s, 4, Red), s);
        EXPECT_EQ(h.model.stepColour(s, 4, White), 3);
        EXPECT_EQ(h.model.holdTime(s), s);
        EXPECT_EQ(h.model.blendTime(s), 5);
    }
    EXPECT_EQ(h.model.colour(Red, 1), 3);  // the last step is on the wall
    EXPECT_TRUE(h.user.messages.empty());
}

TEST(ApplyEffect, AppendAndReplaceOnARecordedSequence)
{
    ApplyHarness append(2, 1);
    append.record(2);
    ApplyEffect(append.model, append.user, ApplyHarness::steps(2, 2), ApplyMode::Append);
    EXPECT_EQ(append.model.StepCount, 4);
    EXPECT_EQ(append.model.stepColour(2, 1, Red), 200);
    EXPECT_EQ(append.model.stepColour(3, 1, Red), 1);
    EXPECT_EQ(append.model.stepColour(4, 2, Red), 2);
    // A sequence that was there is changed, not new.
    EXPECT_EQ(append.model.DocumentFlags, DocumentFlag::SceneChanged | DocumentFlag::SequenceChanged);

    ApplyHarness replace(2, 1);
    replace.record(9);
    ApplyEffect(replace.model, replace.user, ApplyHarness::steps(2, 2), ApplyMode::Replace);
    EXPECT_EQ(replace.model.StepCount, 2);
    EXPECT_EQ(replace.model.stepColour(1, 1, Red), 1);
}

TEST(ApplyEffect, StepsBeyondTwoHundredFiftyAreLeftOutWithTheLimitMessage)
{
    const std::string limit = "In dieser Programmversion sind maximal 250 Schritte in einer Sequenz möglich.";
    struct Case {
        int recorded;
        ApplyMode mode;
        int offered;
        bool moreThanGiven;
        int taken;
        int stepCount;
        bool message;
    };
    const Case cases[] = {
        {245, ApplyMode::Append, 10, false, 5, 250, true},
        {245, ApplyMode::Append, 5, false, 5, 250, false},
        {250, ApplyMode::Append, 1, false, 0, 250, true},
        {254, ApplyMode::Append, 1, false, 0, 254, true},  // a file may hold 254; nothing is added
        {10, ApplyMode::Replace, 250, true, 250, 250, true},
        {10, ApplyMode::Replace, 250, false, 250, 250, false},
    };
    for (const Case& c : cases) {
        ApplyHarness h(1, 1);
        h.record(c.recorded);
        const ApplyOutcome outcome =
            ApplyEffect(h.model, h.user, ApplyHarness::steps(c.offered, 1), c.mode, c.moreThanGiven);
        EXPECT_TRUE(outcome.applied);
        EXPECT_EQ(outcome.stepsTaken, c.taken) << c.recorded;
        EXPECT_EQ(h.model.StepCount, c.stepCount) << c.recorded;
        EXPECT_EQ(outcome.limited, c.message);
        ASSERT_EQ(h.user.messages.size(), c.message ? 1u : 0u) << c.recorded;
        if (c.message) {
            EXPECT_EQ(h.user.messages[0].text, limit);
        }
    }
}

TEST(ApplyEffect, RefusedWhileASequencePlaysOrWithoutAWall)
{
    ApplyHarness h(2, 1);
    h.record(3);
    h.model.setState(StateFlag::SequencePlaying);
    const ApplyOutcome playing = ApplyEffect(h.model, h.user, ApplyHarness::steps(2, 2), ApplyMode::Replace);
    EXPECT_FALSE(playing.applied);
    EXPECT_EQ(h.model.StepCount, 3);
    EXPECT_EQ(h.model.stepColour(1, 1, Red), 200);
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text, "Sie müssen die Sequenz erst anhalten!");

    ApplyHarness empty(1, 1);
    empty.model.ElementCount = 0;
    EXPECT_FALSE(ApplyEffect(empty.model, empty.user, ApplyHarness::steps(1, 1), ApplyMode::Append).applied);
    EXPECT_EQ(empty.model.StepCount, 0);
    EXPECT_FALSE(empty.model.hasState(StateFlag::SequencePresent));
}

}  // namespace
}  // namespace tinctara
