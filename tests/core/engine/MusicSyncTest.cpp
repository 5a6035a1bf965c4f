#include "engine/MusicSync.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tinctara {
namespace {

TEST(MusicSync, TapsSetTheTempoFromTheirLastIntervals)
{
    struct Case {
        const char* what;
        std::vector<std::int64_t> taps;  // ms
        double period;                   // ticks
    } cases[] = {
        {"one tap: no tempo yet", {0}, 0},
        {"two taps", {0, 500}, 10},
        {"the mean of the intervals", {0, 400, 1000}, 10},
        {"the last four intervals only", {0, 100, 600, 1100, 1600, 2100}, 10},
        {"a bounce is no tap", {0, 500, 500, 1000}, 10},
        {"two seconds still belong together", {0, 2000}, 40},
        {"a longer pause starts afresh", {0, 2001}, 0},
        {"the old tempo stays until the second tap", {0, 500, 3000}, 10},
        {"afresh after the pause", {0, 500, 3000, 3600}, 12},
        {"a quick tempo", {0, 300, 600, 900}, 6},
    };
    for (const Case& c : cases) {
        MusicSync music;
        for (const std::int64_t t : c.taps)
            music.tap(t);
        EXPECT_DOUBLE_EQ(music.tapPeriodTicks(), c.period) << c.what;
        EXPECT_DOUBLE_EQ(music.periodTicks(), c.period) << c.what << ": no audio, the tapped period";
    }
}

// The ticks (1-based) in which a beat falls, over `ticks` ticks.
std::vector<int> beatTicks(MusicSync& music, int ticks)
{
    std::vector<int> beats;
    for (int tick = 1; tick <= ticks; ++tick) {
        music.tick(false);
        if (music.beatThisTick())
            beats.push_back(tick);
    }
    return beats;
}

TEST(MusicSync, TheTappedTempoBeatsOnTheTickGridWithoutAudio)
{
    MusicSync music;
    music.tap(0);
    EXPECT_TRUE(beatTicks(music, 5).empty()) << "one tap gives no tempo";
    music.tap(500);
    EXPECT_EQ(beatTicks(music, 25), (std::vector<int>{1, 11, 21})) << "from the tap on, every 10 ticks";

    // 9.375 ticks (128 per minute): each beat in the nearest tick.
    MusicSync quick;
    quick.tap(0);
    quick.tap(469);
    quick.tap(937);
    EXPECT_DOUBLE_EQ(quick.tapPeriodTicks(), 9.37);
    EXPECT_EQ(beatTicks(quick, 40), (std::vector<int>{1, 10, 20, 29, 38}));

    // A tap realigns the beat without changing the tempo's length.
    MusicSync realigned;
    realigned.tap(0);
    realigned.tap(500);
    beatTicks(realigned, 4);
    realigned.tap(1000);
    EXPECT_EQ(beatTicks(realigned, 12), (std::vector<int>{1, 11}));

    // Audio present: its beats alone, the tapped ones wait.
    MusicSync heard;
    heard.tap(0);
    heard.tap(500);
    std::vector<int> beats;
    for (int tick = 1; tick <= 12; ++tick) {
        heard.feed(tick == 7, 8, 0.5);
        heard.tick(false);
        if (heard.beatThisTick())
            beats.push_back(tick);
    }
    EXPECT_EQ(beats, std::vector<int>{7});
    EXPECT_DOUBLE_EQ(heard.periodTicks(), 8) << "the audio's period before the tapped one";
}

TEST(MusicSync, EnvelopeAndMasterFollowTheLevel)
{
    // Program level 200 through the master, tick by tick; no level fed is
    // silence.
    struct Case {
        const char* what;
        int depth, attack, release;
        std::vector<double> levels;  // < 0: nothing fed
        std::vector<int> out;
    } cases[] = {
        {"full depth, at once", 100, 0, 0, {1, 0.5, 0, 0.25}, {200, 100, 0, 50}},
        {"half depth", 50, 0, 0, {0, 1, 0.5}, {100, 200, 150}},
        {"attack 4, release 2", 100, 4, 2, {1, 1, 1, 1, 1, 0, 0, 0}, {50, 100, 150, 200, 200, 100, 0, 0}},
        {"attack 2 stops at the level, release 4", 100, 2, 4, {0.5, 0.5, 1, 0, 0}, {100, 100, 200, 150, 100}},
        {"silence without audio", 25, 0, 0, {-1, -1}, {150, 150}},
        {"no depth: unchanged", 0, 3, 3, {0, 1, 0}, {200, 200, 200}},
        {"levels beyond 0..1 are cut", 100, 0, 0, {7, -3}, {200, 0}},
    };
    for (const Case& c : cases) {
        MusicSync music;
        MusicSettings settings;
        settings.level = true;
        settings.depth = c.depth;
        settings.attackTicks = c.attack;
        settings.releaseTicks = c.release;
        music.setSettings(settings);
        std::vector<int> out;
        for (const double level : c.levels) {
            if (level != -1)
                music.feed(false, 0, level);
            music.tick(false);
            out.push_back(music.scaled(200));
        }
        EXPECT_EQ(out, c.out) << c.what;
    }
}

TEST(MusicSync, BlendTicksAreTheFractionOfThePeriodAndLeaveRoomForTheLoad)
{
    struct Case {
        int every, percent;
        double period;
        int blend;
    } cases[] = {
        {1, 50, 10, 5},   {1, 25, 10, 3},  {1, 0, 10, 1}, {1, 100, 10, 9}, {2, 100, 10, 10}, {4, 75, 8, 6},
        {1, 100, 9.4, 8}, {1, 50, 9.4, 5}, {1, 50, 1, 1}, {1, 50, 0, 7},   {3, 100, 10, 9},  // every 3 is no choice:
                                                                                             // every beat
    };
    for (const Case& c : cases) {
        MusicSync music;
        MusicSettings settings;
        settings.beat = true;
        settings.beatsPerStep = c.every;
        settings.blendPercent = c.percent;
        music.setSettings(settings);
        music.feed(false, c.period, 0);
        music.tick(true);
        EXPECT_EQ(music.blendTicks(7), c.blend)
            << "every " << c.every << ", " << c.percent << " % of " << c.period << " ticks";
    }
}

}  // namespace
}  // namespace tinctara
