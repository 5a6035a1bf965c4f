#include "timecode/Timecode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tinctara {
namespace {

constexpr auto Df = TimecodeRate::DropFrame2997;

TEST(Timecode, LabelsAndFrameCountsMatchEitherWay)
{
    struct Case {
        TimecodeRate rate;
        Timecode time;
        std::int64_t frames;
    };
    const Case cases[] = {
        {TimecodeRate::Film24, {0, 0, 0, 0}, 0},
        {TimecodeRate::Film24, {0, 0, 1, 0}, 24},
        {TimecodeRate::Film24, {23, 59, 59, 23}, 24 * 86400 - 1},
        {TimecodeRate::Ebu25, {1, 0, 0, 0}, 25 * 3600},
        {TimecodeRate::Ebu25, {23, 59, 59, 24}, 25 * 86400 - 1},
        {TimecodeRate::Smpte30, {0, 1, 0, 0}, 1800},
        {TimecodeRate::Smpte30, {23, 59, 59, 29}, 30 * 86400 - 1},
        // Drop-frame: minute 1 starts at label 02, minute 10 at 00.
        {Df, {0, 0, 59, 29}, 1799},
        {Df, {0, 1, 0, 2}, 1800},
        {Df, {0, 1, 59, 29}, 3597},
        {Df, {0, 2, 0, 2}, 3598},
        {Df, {0, 9, 59, 29}, 17981},
        {Df, {0, 10, 0, 0}, 17982},
        {Df, {0, 10, 0, 1}, 17983},
        {Df, {0, 11, 0, 2}, 17982 + 1800},
        {Df, {1, 0, 0, 0}, 107892},
        {Df, {23, 59, 59, 29}, 2589407},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(formatTimecode(c.time, c.rate));
        EXPECT_EQ(toFrameCount(c.time, c.rate), c.frames);
        EXPECT_EQ(fromFrameCount(c.frames, c.rate), c.time);
    }
    EXPECT_EQ(framesPerDay(Df), 2589408);
}

TEST(Timecode, CountingWrapsAtADayEitherWay)
{
    for (const TimecodeRate rate : {TimecodeRate::Film24, TimecodeRate::Ebu25, Df, TimecodeRate::Smpte30}) {
        const int last = labelFramesPerSecond(rate) - 1;
        const Timecode endOfDay{23, 59, 59, last};
        const std::int64_t end = *toFrameCount(endOfDay, rate);
        EXPECT_EQ(fromFrameCount(end + 1, rate), (Timecode{0, 0, 0, 0}));
        EXPECT_EQ(fromFrameCount(-1, rate), endOfDay);
        EXPECT_EQ(fromFrameCount(end + 1 + 5, rate), fromFrameCount(5, rate));
    }
}

TEST(Timecode, EveryDropFrameCountGivesAnExistingLabelOneAfterTheOther)
{
    // Across the first twenty minutes: each count's label is valid, counts
    // back to itself, and the labels skip only the dropped ones.
    Timecode previous = fromFrameCount(0, Df);
    for (std::int64_t frames = 1; frames < 2 * 17982 + 5; ++frames) {
        const Timecode t = fromFrameCount(frames, Df);
        ASSERT_TRUE(isValid(t, Df)) << formatTimecode(t, Df);
        ASSERT_EQ(toFrameCount(t, Df), frames);
        Timecode expected = previous;
        if (++expected.frames == 30) {
            expected.frames = 0;
            if (++expected.seconds == 60) {
                expected.seconds = 0;
                ++expected.minutes;
                if (expected.minutes % 10 != 0)
                    expected.frames = 2;
            }
        }
        ASSERT_EQ(t, expected) << formatTimecode(t, Df);
        previous = t;
    }
}

TEST(Timecode, LabelsThatDoNotExistAreInvalid)
{
    struct Case {
        TimecodeRate rate;
        Timecode time;
        bool valid;
    };
    const Case cases[] = {
        {Df, {0, 1, 0, 0}, false},
        {Df, {0, 1, 0, 1}, false},
        {Df, {0, 1, 0, 2}, true},
        {Df, {0, 10, 0, 0}, true},
        {Df, {0, 20, 0, 1}, true},
        {Df, {5, 59, 0, 1}, false},
        {Df, {0, 1, 1, 0}, true},
        {TimecodeRate::Smpte30, {0, 1, 0, 0}, true},
        {TimecodeRate::Film24, {0, 0, 0, 24}, false},
        {TimecodeRate::Ebu25, {0, 0, 0, 25}, false},
        {TimecodeRate::Ebu25, {24, 0, 0, 0}, false},
        {TimecodeRate::Ebu25, {0, 60, 0, 0}, false},
        {TimecodeRate::Ebu25, {0, 0, 60, 0}, false},
        {TimecodeRate::Ebu25, {0, 0, 0, -1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(formatTimecode(c.time, c.rate));
        EXPECT_EQ(isValid(c.time, c.rate), c.valid);
        EXPECT_EQ(toFrameCount(c.time, c.rate).has_value(), c.valid);
    }
}

TEST(Timecode, RealTimeRunsSlowerThanTheLabelsAtDropFrame)
{
    EXPECT_EQ(toMilliseconds({0, 0, 1, 0}, TimecodeRate::Ebu25), 1000);
    EXPECT_EQ(toMilliseconds({0, 0, 0, 1}, TimecodeRate::Film24), 41);
    EXPECT_EQ(toMilliseconds({1, 0, 0, 0}, TimecodeRate::Smpte30), 3600000);
    // 30000/1001 frames a second: one frame is 33.366 ms, and an hour of
    // labels is an hour of the clock to within a frame.
    EXPECT_EQ(toMilliseconds({0, 0, 0, 1}, Df), 33);
    EXPECT_EQ(toMilliseconds({0, 0, 1, 0}, Df), 1001);
    EXPECT_EQ(toMilliseconds({1, 0, 0, 0}, Df), 3599996);
    EXPECT_EQ(toMilliseconds({0, 1, 0, 0}, Df), std::nullopt);
}

TEST(Timecode, TextsAreReadAndWritten)
{
    struct Case {
        std::string text;
        TimecodeRate rate;
        std::optional<Timecode> time;
    };
    const Case cases[] = {
        {"01:02:03:04", TimecodeRate::Ebu25, Timecode{1, 2, 3, 4}},
        {"23:59:59:23", TimecodeRate::Film24, Timecode{23, 59, 59, 23}},
        {"00:01:00;02", Df, Timecode{0, 1, 0, 2}},
        {"00:01:00:02", Df, Timecode{0, 1, 0, 2}},
        {"00:01:00;00", Df, std::nullopt},
        {"00:00:00:25", TimecodeRate::Ebu25, std::nullopt},
        {"24:00:00:00", TimecodeRate::Ebu25, std::nullopt},
        {"00;00:00:00", TimecodeRate::Ebu25, std::nullopt},
        {"0:00:00:00", TimecodeRate::Ebu25, std::nullopt},
        {"00:00:00:000", TimecodeRate::Ebu25, std::nullopt},
        {"00:00:0x:00", TimecodeRate::Ebu25, std::nullopt},
        {"", TimecodeRate::Ebu25, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseTimecode(c.text, c.rate), c.time);
    }
    EXPECT_EQ(formatTimecode({1, 2, 3, 4}, TimecodeRate::Ebu25), "01:02:03:04");
    EXPECT_EQ(formatTimecode({0, 10, 0, 0}, Df), "00:10:00;00");
}

}  // namespace
}  // namespace tinctara
