#include "audio/PreviewPacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace tinctara {
namespace {

// A sound card against the grid: its clock runs `rate` times the grid's,
// is read in whole device periods (what a card reports moves in steps), and
// the reading wobbles by up to `wobbleMs` either way (the queue measured in
// chunks). Grid requests come every 50 ms from `startMs` on the card's time.
struct SoundCard {
    double rate = 1.0;
    double periodMs = 0.0;
    double wobbleMs = 0.0;
    double startMs = 0.0;     // card time at the first request (negative: not heard yet,
                              // so the song starts inside a tick, not on its edge)
    double stallMs = 0.0;     // the card stands still this long...
    double stallAtMs = -1.0;  // ...from this grid time on
};

struct PacedRun {
    PreviewPacer pacer;
    double maxOffset = 0.0;  // largest |offset| the pacer reported
    double maxTrue = 0.0;    // largest |card ticks - ticks run| without the reading's error
    int mostTicks = 0;
    // Corrections in the first second: the first reading lags by up to a
    // period, which the pacer rightly makes up once.
    int startDrops = 0;
    int startRepeats = 0;
    std::int64_t requests = 0;
};

double cardMs(const SoundCard& card, double gridMs)
{
    double heard = card.startMs + gridMs * card.rate;
    if (card.stallAtMs >= 0 && gridMs > card.stallAtMs)
        heard -= std::min(gridMs - card.stallAtMs, card.stallMs) * card.rate;
    return heard;
}

// Runs the grid for `minutes`; a grid held up (`gridStallMs` from `gridStallAtMs`)
// asks once when it goes on, as the sender does.
void play(PacedRun& run, const SoundCard& card, double minutes, unsigned seed = 1, double gridStallAtMs = -1,
          double gridStallMs = 0)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> wobble(-card.wobbleMs, card.wobbleMs);
    const double endMs = minutes * 60000.0;
    for (double grid = 0; grid < endMs; grid += PreviewPacer::TickMs) {
        if (gridStallAtMs >= 0 && grid > gridStallAtMs && grid < gridStallAtMs + gridStallMs)
            continue;
        const double exact = cardMs(card, grid);
        double reading = exact;
        if (card.periodMs > 0)
            reading = std::floor(reading / card.periodMs) * card.periodMs;
        if (card.wobbleMs > 0)
            reading += wobble(random);
        const std::int64_t before = run.pacer.ticksRun();
        const int ticks = run.pacer.ticksFor(reading, grid);
        ++run.requests;
        if (grid < 1000.0) {
            run.startDrops = run.pacer.drops();
            run.startRepeats = run.pacer.repeats();
        }
        run.mostTicks = std::max(run.mostTicks, ticks);
        if (run.pacer.heard() && grid > 1000.0) {
            run.maxOffset = std::max(run.maxOffset, std::fabs(run.pacer.offsetTicks()));
            run.maxTrue = std::max(run.maxTrue, std::fabs(exact / PreviewPacer::TickMs - static_cast<double>(before)));
        }
    }
}

// A card 0.1 % off drifts 12 ticks in ten minutes: the pacer corrects each
// one as it comes, in one direction only, and never lets the offset reach
// a tick, also when the clock is read in periods and wobbles.
TEST(PreviewPacer, FollowsACardThatDriftsForTenMinutes)
{
    struct Case {
        const char* name;
        double rate;
        double periodMs;
        double wobbleMs;
    };
    const Case cases[] = {
        {"fast, exact", 1.001, 0, 0},  {"slow, exact", 0.999, 0, 0},       {"fast, 10 ms", 1.001, 10, 0},
        {"slow, 40 ms", 0.999, 40, 0}, {"fast, 20 ms ±10", 1.001, 20, 10}, {"slow, 40 ms ±15", 0.999, 40, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PacedRun run;
        play(run, SoundCard{c.rate, c.periodMs, c.wobbleMs, -25.0}, 10.0);
        const double driftTicks = std::round(std::fabs(c.rate - 1.0) * 600000.0 / PreviewPacer::TickMs);  // 12
        const int drops = run.pacer.drops() - run.startDrops;
        const int repeats = run.pacer.repeats() - run.startRepeats;
        EXPECT_LE(run.startDrops + run.startRepeats, 1);
        const int needed = c.rate > 1 ? drops : repeats;
        const int wrong = c.rate > 1 ? repeats : drops;
        EXPECT_EQ(wrong, 0);
        EXPECT_GE(needed, driftTicks - 1);
        EXPECT_LE(needed, driftTicks + 1);
        EXPECT_LT(run.maxOffset, 1.0);
        // The reading lags by up to a period: the card's own clock is at most
        // that much further off.
        EXPECT_LT(run.maxTrue, 1.05 + c.periodMs / PreviewPacer::TickMs);
        EXPECT_LE(run.mostTicks, 2);
    }
}

// In step with the grid, a clock that jumps by its period and wobbles in
// every phase against the grid corrects at most once (a start right at the
// edge of a tick), never back and forth.
TEST(PreviewPacer, JitterAloneDropsAndRepeatsNothing)
{
    for (const double periodMs : {10.0, 20.0, 40.0}) {
        for (double startMs = 1.0; startMs < 50.0; startMs += 7.0) {
            SCOPED_TRACE("period " + std::to_string(periodMs) + " start " + std::to_string(startMs));
            PacedRun run;
            play(run, SoundCard{1.0, periodMs, periodMs / 2, startMs}, 10.0, static_cast<unsigned>(startMs));
            EXPECT_LE(run.pacer.drops() + run.pacer.repeats(), 1);
            EXPECT_LT(run.maxOffset, 1.0);
        }
    }
}

// A sound server that now and then reports a chunk as heard a moment
// early (the clock read while it takes the next chunk) must not make the
// sequence jump ahead and back: single early readings are passed over.
TEST(PreviewPacer, AnEarlyReadingNowAndThenChangesNothing)
{
    for (const int every : {7, 23, 60}) {
        SCOPED_TRACE("an 80 ms early reading every " + std::to_string(every) + " requests");
        PreviewPacer pacer;
        int atStart = 0;  // the first readings lag by up to a chunk: made up once
        for (int request = 0; request < 20 * 120; ++request) {
            if (request == 20)
                atStart = pacer.drops() + pacer.repeats();
            const double grid = 50.0 * request;
            double heard = std::floor((grid + 13.0) / 80.0) * 80.0;  // 80 ms chunks
            if (request % every == every - 1)
                heard += 80.0;
            pacer.ticksFor(heard, grid);
        }
        EXPECT_EQ(pacer.drops() + pacer.repeats(), atStart)
            << "drops " << pacer.drops() << ", repeats " << pacer.repeats();
        EXPECT_LT(std::fabs(pacer.offsetTicks()), 1.0);
    }
}

// Before the first sample is heard nothing runs and nothing counts; the
// first tick runs in the request that hears it.
TEST(PreviewPacer, WaitsForTheSongToBeHeard)
{
    PreviewPacer pacer;
    for (const double notYet : {-120.0, -20.0, 0.0, std::nan("")})
        EXPECT_EQ(pacer.ticksFor(notYet, 1000.0), 0);
    EXPECT_FALSE(pacer.heard());
    EXPECT_EQ(pacer.repeats(), 0);
    EXPECT_EQ(pacer.ticksFor(12.0, 1050.0), 1);
    EXPECT_TRUE(pacer.heard());
    EXPECT_EQ(pacer.ticksRun(), 1);
    for (int i = 1; i < 100; ++i)
        EXPECT_EQ(pacer.ticksFor(12.0 + 50.0 * i, 1050.0 + 50.0 * i), 1);
    EXPECT_NEAR(pacer.offsetTicks(), 12.0 / 50.0, 1e-9);
}

// A held-up grid (a modal loop on the show's thread) leaves the sequence
// 300 ms behind the song; a held-up card leaves it 300 ms ahead. Either is
// made up within a few requests, two ticks at most per request, each tick
// once, and the pacer is in step again afterwards.
TEST(PreviewPacer, CatchesUpAStallWithoutABurst)
{
    struct Case {
        const char* name;
        double gridStallMs;
        double cardStallMs;
    };
    for (const Case c : {Case{"grid held", 300, 0}, Case{"card held", 0, 300}}) {
        SCOPED_TRACE(c.name);
        SoundCard card{1.0, 20, 5, -25.0};
        card.stallMs = c.cardStallMs;
        card.stallAtMs = c.cardStallMs > 0 ? 60000 : -1;
        PacedRun run;
        play(run, card, 2.0, 7, c.gridStallMs > 0 ? 30000 : -1, c.gridStallMs);
        EXPECT_LE(run.mostTicks, 2);
        // 300 ms are six ticks; the jump in phase may make it one more or less.
        const int made = c.gridStallMs > 0 ? run.pacer.drops() : run.pacer.repeats();
        EXPECT_GE(made, 5);
        EXPECT_LE(made, 7);
        EXPECT_EQ(c.gridStallMs > 0 ? run.pacer.repeats() : run.pacer.drops(), 0);
        EXPECT_LT(std::fabs(run.pacer.offsetTicks()), 1.0);
    }
}

}  // namespace
}  // namespace tinctara
