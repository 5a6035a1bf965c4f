#include "engine/FrameBuilder.h"
#include "engine/SequenceTimeline.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>

namespace tinctara {
namespace {

using testing::EngineHarness;

// What a tick leaves behind and a seek must leave byte for byte.
struct Picture {
    std::array<std::uint8_t, Planes * ElementSlots> colours{};
    std::array<std::uint8_t, DmxFrameSlots> frame{};
    std::array<float, PatchSlots * Planes> levels{};
    std::array<float, PatchSlots * Planes> increments{};
    std::int32_t hold = 0, blend = 0;
    std::uint16_t blendTime = 0;
    int step = 0;
    std::string label;
    std::array<std::string, 3> fields;

    explicit Picture(const EngineHarness& show)
        : colours(show.model.ElementColours), frame(show.model.DmxFrame), levels(show.model.BlendLevels),
          increments(show.model.BlendIncrements), hold(show.model.HoldCounter), blend(show.model.BlendCounter),
          blendTime(show.model.BlendTime), step(show.model.CurrentStep), label(show.view.lastLabel()),
          fields(show.view.sequencerFields)
    {
    }
};

::testing::AssertionResult samePicture(const Picture& played, const Picture& sought)
{
    auto fail = [](const char* what) { return ::testing::AssertionFailure() << what << " differ"; };
    if (played.colours != sought.colours)
        return fail("ElementColours");
    if (played.frame != sought.frame)
        return fail("frames");
    if (std::memcmp(played.levels.data(), sought.levels.data(), sizeof played.levels) != 0)
        return fail("fade levels");
    if (std::memcmp(played.increments.data(), sought.increments.data(), sizeof played.increments) != 0)
        return fail("fade increments");
    if (played.hold != sought.hold || played.blend != sought.blend || played.blendTime != sought.blendTime)
        return ::testing::AssertionFailure() << "counters: played hold " << played.hold << " blend " << played.blend
                                             << ", sought hold " << sought.hold << " blend " << sought.blend;
    if (played.step != sought.step)
        return fail("steps");
    if (played.label != sought.label)
        return ::testing::AssertionFailure() << "labels: '" << played.label << "' and '" << sought.label << "'";
    if (played.fields != sought.fields)
        return fail("sequencer fields");
    return ::testing::AssertionSuccess();
}

struct ShowShape {
    const char* name;
    int columns, rows, steps;
    int maxHold, maxBlend;
    // Steps given the longest times (65535) on top of the random ones.
    int longSteps;
    InterfaceKind type;
    std::int64_t lastTick;
    int seeks;
};

// A random sequence on a wall, with a picture at PLAY that is none of its steps.
struct RandomShow : EngineHarness {
    RandomShow(const ShowShape& shape, unsigned seed)
    {
        std::mt19937 random(seed);
        auto upTo = [&](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
        buildWall(shape.columns, shape.rows);
        model.InterfaceType = shape.type;
        model.TimingBlockPending = 0;
        model.CardBaseAddress = 0x120;
        const int elements = shape.columns * shape.rows;
        for (int element = 1; element <= elements; ++element)
            setElement(element, upTo(255), upTo(255), upTo(255), upTo(255));
        for (int step = 1; step <= shape.steps; ++step) {
            const bool isLong = step <= shape.longSteps;
            const int hold = isLong && step % 2 == 0 ? 65535 : upTo(shape.maxHold);
            const int blend = isLong ? 65535 : upTo(shape.maxBlend);
            for (int element = 1; element <= elements; ++element)
                setStep(step, element, upTo(255), upTo(255), upTo(255), upTo(255), hold, blend);
        }
        model.StepCount = static_cast<std::uint8_t>(shape.steps);
        play();
    }
};

const ShowShape shapes[] = {
    {"one lamp, short steps, a whole day", 1, 1, 3, 3, 4, 0, Interface::UsbInterface, 400'000, 3000},
    {"one lamp, blend 0 and hold 0", 1, 1, 5, 0, 0, 0, Interface::UsbInterface, 20'000, 2000},
    {"small wall, longest hold and blend", 3, 2, 4, 10, 10, 3, Interface::UsbInterface, 700'000, 3000},
    {"small wall without an interface", 2, 2, 6, 20, 30, 0, Interface::NoInterface, 30'000, 2000},
    {"121 lamps", 11, 11, 12, 15, 25, 0, Interface::UsbInterface, 4'000, 1000},
};

// The twin plays tick by tick and keeps its picture at the ticks sought (and
// the tick after each); the other seeks to them in random order, then plays
// one tick on from there.
TEST(Seek, MatchesPlayingTickByTick)
{
    for (const ShowShape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        RandomShow twin(shape, 7);
        RandomShow seeker(shape, 7);
        SequenceTimeline timeline(seeker.model);

        std::mt19937_64 random(11);
        std::vector<std::int64_t> ticks;
        for (int i = 0; i < shape.seeks; ++i)
            ticks.push_back(std::uniform_int_distribution<std::int64_t>(0, shape.lastTick)(random));
        ticks.push_back(0);
        ticks.push_back(shape.lastTick);
        for (int step = 1; step <= shape.steps; ++step)  // each load, the tick before and after
            for (std::int64_t offset : {-1, 0, 1})
                ticks.push_back(std::max<std::int64_t>(timeline.stepStart(step) + offset, 0));

        std::vector<std::int64_t> kept = ticks;
        for (std::int64_t tick : ticks)
            kept.push_back(tick + 1);
        std::sort(kept.begin(), kept.end());
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        std::map<std::int64_t, Picture> played;
        std::int64_t next = 0;
        for (std::int64_t tick : kept) {
            for (; next <= tick; ++next) {
                twin.tick();
                if (twin.view.labels.size() > 1000) {  // the recording view keeps every label
                    twin.view.labels.erase(twin.view.labels.begin(), twin.view.labels.end() - 1);
                    twin.view.repaintedElements.clear();
                }
            }
            played.emplace(tick, Picture(twin));
        }

        std::shuffle(ticks.begin(), ticks.end(), random);
        int failures = 0;
        for (std::int64_t tick : ticks) {
            ASSERT_TRUE(seeker.engine.seekTo(timeline, tick));
            const auto sought = samePicture(played.at(tick), Picture(seeker));
            seeker.tick();
            const auto onFromThere = samePicture(played.at(tick + 1), Picture(seeker));
            EXPECT_TRUE(sought) << "seek to tick " << tick;
            EXPECT_TRUE(onFromThere) << "tick after a seek to " << tick;
            if ((!sought || !onFromThere) && ++failures == 5)
                break;
            seeker.view.labels.clear();
            seeker.view.repaintedElements.clear();
        }
    }
}

TEST(Seek, RefusedWithTheBeatOnOrWhileStopped)
{
    const ShowShape shape{"refused", 2, 1, 3, 5, 5, 0, Interface::UsbInterface, 100, 0};
    RandomShow show(shape, 3);
    SequenceTimeline timeline(show.model);
    show.tick(5);
    const Picture before(show);

    MusicSettings beat;
    beat.beat = true;
    show.engine.music().setSettings(beat);
    EXPECT_FALSE(show.engine.seekTo(timeline, 40));
    show.engine.music().setSettings(MusicSettings{});
    EXPECT_FALSE(show.engine.seekTo(timeline, -1));
    ShowModel empty;
    SequenceTimeline none(empty);
    EXPECT_FALSE(show.engine.seekTo(none, 40));
    show.model.clearState(StateFlag::SequencePlaying);
    EXPECT_FALSE(show.engine.seekTo(timeline, 40));
    EXPECT_TRUE(samePicture(before, Picture(show)));
}

// Loop 0 fades from the wall's picture at PLAY, the loops after it from the
// last step's; the show repeats from the first loop that starts on a picture
// seen before.
TEST(SequenceTimeline, LoopsRepeatOnceTheirStartRepeats)
{
    struct Case {
        int redAtPlay;
        std::int64_t firstRepeating;
    } cases[] = {{9, 1}, {1, 0}};
    for (const Case& c : cases) {
        EngineHarness show;
        show.buildWall(1, 1);
        show.setElement(1, c.redAtPlay, 0, 0, 0);
        show.setStep(1, 1, 1, 0, 0, 0, 2, 65535);
        show.setStep(2, 1, 253, 0, 0, 0, 0, 0);
        show.model.StepCount = 2;
        SequenceTimeline timeline(show.model);

        EXPECT_EQ(timeline.loopTicks(), (1 + 2 + 65535) + (1 + 0 + 1));
        EXPECT_EQ(timeline.stepStart(2), 1 + 2 + 65535);
        const TimelinePosition at = timeline.at(3 * timeline.loopTicks() + timeline.stepStart(2) + 1);
        EXPECT_EQ(at.loop, 3);
        EXPECT_EQ(at.step, 2);
        EXPECT_EQ(at.tickInStep, 1);
        EXPECT_EQ(timeline.pictureAtLoad(0, 1)[0], c.redAtPlay);
        EXPECT_EQ(timeline.pictureAtLoad(0, 2)[0], 253);
        EXPECT_EQ(timeline.firstRepeatingLoop(), c.firstRepeating);
        EXPECT_EQ(timeline.periodLoops(), 1);
        EXPECT_EQ(timeline.pictureAtLoad(1'000'000, 1)[0], 1);
    }
}

// The jump through a fade must give the float the tick's additions give, bit
// for bit: fades the engine makes (any levels, blend 1..65535, cut anywhere),
// and increments on exact half spacings, where ties round to even.
TEST(FadedLevel, EqualsTheTickByTickFloatSteps)
{
    auto stepped = [](float level, float increment, std::int64_t ticks) {
        for (std::int64_t tick = 0; tick < ticks; ++tick)
            level = level + increment;
        return level;
    };
    auto bits = [](float level) {
        std::uint32_t word = 0;
        std::memcpy(&word, &level, sizeof word);
        return word;
    };
    std::mt19937 random(21);
    auto upTo = [&](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
    for (int i = 0; i < 3000; ++i) {
        const auto from = static_cast<std::uint8_t>(upTo(255));
        const auto to = static_cast<std::uint8_t>(i % 7 == 0 ? upTo(2) : upTo(255));
        const auto blend = static_cast<std::uint16_t>(i % 3 == 0 ? 65535 - upTo(20) : 1 + upTo(i % 2 ? 65534 : 300));
        const float increment = blendIncrement(from, to, blend);
        const std::int64_t ticks = i % 4 == 0 ? blend : upTo(blend);
        ASSERT_EQ(bits(fadedLevel(from, increment, ticks)), bits(stepped(from, increment, ticks)))
            << int(from) << " -> " << int(to) << " over " << blend << ", " << ticks << " ticks";
    }
    const struct {
        float level, increment;
        std::int64_t ticks;
    } ties[] = {
        {200.0f, 0x1p-17f, 5000},      {200.0f + 0x1p-16f, 0x1p-17f, 5000},
        {129.0f, 3 * 0x1p-17f, 80000}, {-129.0f, -3 * 0x1p-17f, 80000},
        {1.5f, -0x1p-10f, 4000},       {0.0f, 0x1p-20f, 70000},
    };
    for (const auto& c : ties)
        EXPECT_EQ(bits(fadedLevel(c.level, c.increment, c.ticks)), bits(stepped(c.level, c.increment, c.ticks)))
            << c.level << " + " << c.increment << " x " << c.ticks;
}

}  // namespace
}  // namespace tinctara
