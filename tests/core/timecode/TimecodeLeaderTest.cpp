#include "timecode/TimecodeLeader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Sent {
    double atMs = 0;
    std::optional<ArtTimecode> art;  // else MIDI timecode
    Bytes mtc;
};

// The program's loop over a simulated clock: tick k of `ticks` runs at
// startMs + k × 50 ms + jitter(k), and the leader is polled every `stepMs`.
struct Playback {
    TimecodeLeader leader;
    std::vector<Sent> sent;

    void poll(double nowMs)
    {
        leader.poll(
            nowMs,
            [&](const ArtTimecode& art) {
                sent.push_back({nowMs, art, {}});
            },
            [&](std::span<const std::uint8_t> bytes) {
                sent.push_back({nowMs, {}, Bytes(bytes.begin(), bytes.end())});
            });
    }

    // Ticks `first` .. `first + count - 1`; returns when the last tick's period ends.
    double play(std::int64_t first, int count, double startMs, const std::function<double(std::int64_t)>& jitter,
                double stepMs = 1)
    {
        const double endMs = startMs + count * TimecodeLeader::TickMs;
        int next = 0;
        for (double now = startMs; now < endMs; now += stepMs) {
            while (next < count && startMs + next * TimecodeLeader::TickMs + jitter(first + next) <= now) {
                leader.ticked(first + next, startMs + next * TimecodeLeader::TickMs + jitter(first + next));
                ++next;
            }
            poll(now);
        }
        return endMs;
    }

    std::vector<Sent> art() const
    {
        std::vector<Sent> labels;
        for (const Sent& s : sent)
            if (s.art)
                labels.push_back(s);
        return labels;
    }
};

double noJitter(std::int64_t) { return 0; }
// Up to 10 ms late, and every seventh tick 40 ms.
double jittered(std::int64_t tick) { return tick % 7 == 3 ? 40 : static_cast<double>((tick * 37) % 11); }

std::int64_t frameOf(const Timecode& time, TimecodeRate rate) { return toFrameCount(time, rate).value_or(-1); }

// Real time in ms from tick 0 to the start of the frame `frames` after the offset.
double frameStartMs(std::int64_t frames, TimecodeRate rate)
{
    return isDropFrame(rate) ? frames * 1001.0 / 30 : frames * 1000.0 / labelFramesPerSecond(rate);
}

TEST(TimecodeLeader, LabelsAndMidiTimecodeFollowTheTickAtEveryRate)
{
    struct Case {
        TimecodeRate rate;
        Timecode offset;  // near a minute, so drop-frame skips labels on the way
    };
    const Case cases[] = {
        {TimecodeRate::Film24, {1, 0, 59, 0}},
        {TimecodeRate::Ebu25, {10, 59, 58, 13}},
        {TimecodeRate::DropFrame2997, {0, 0, 59, 0}},
        {TimecodeRate::DropFrame2997, {0, 9, 59, 20}},  // minute 10 keeps its frames 0 and 1
        {TimecodeRate::Smpte30, {23, 59, 59, 0}},       // and on past midnight
    };
    for (const Case& c : cases) {
        const std::string name = formatTimecode(c.offset, c.rate);
        Playback p;
        p.leader.configure(c.offset, c.rate);
        const double startMs = 1000;
        p.play(0, 80, startMs, jittered);  // 4 s

        const auto labels = p.art();
        ASSERT_FALSE(labels.empty()) << name;
        const std::int64_t offsetFrame = frameOf(c.offset, c.rate);
        const std::int64_t day = framesPerDay(c.rate);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const ArtTimecode& art = *labels[i].art;
            ASSERT_EQ(art.rate, c.rate) << name;
            ASSERT_TRUE(isValid(art.time, c.rate)) << name << " " << formatTimecode(art.time, c.rate);
            // One label a frame, in order, from the offset on.
            ASSERT_EQ(frameOf(art.time, c.rate), (offsetFrame + static_cast<std::int64_t>(i)) % day)
                << name << " label " << i;
            // Sent once its frame began on the tick's clock, and not a tick later.
            const double late = labels[i].atMs - startMs - frameStartMs(static_cast<std::int64_t>(i), c.rate);
            EXPECT_GE(late, 0) << name << " label " << i;
            EXPECT_LE(late, TimecodeLeader::TickMs) << name << " label " << i;
        }
        EXPECT_NEAR(static_cast<double>(labels.size()), 4000 / frameStartMs(1, c.rate), 2) << name;

        // MIDI timecode decodes to the running label: a full frame first,
        // exactly, then quarter frames within the decoder's two frames.
        MtcDecoder decoder;
        std::optional<Timecode> running;
        int fullFrames = 0;
        int quarterTimes = 0;
        int quarterFrames = 0;
        for (const Sent& s : p.sent) {
            if (s.art) {
                running = s.art->time;
                continue;
            }
            if (s.mtc.size() == 2)
                ++quarterFrames;
            decoder.feed(s.mtc, [&](const MtcTime& t) {
                ASSERT_TRUE(running) << name;
                EXPECT_EQ(t.rate, c.rate) << name;
                if (t.fullFrame) {
                    ++fullFrames;
                    EXPECT_EQ(t.time, *running) << name;
                    return;
                }
                ++quarterTimes;
                std::int64_t apart = std::llabs(frameOf(t.time, c.rate) - frameOf(*running, c.rate));
                apart = std::min(apart, day - apart);
                EXPECT_LE(apart, 2) << name << " " << formatTimecode(t.time, c.rate) << " while "
                                    << formatTimecode(*running, c.rate) << " ran";
            });
        }
        EXPECT_EQ(fullFrames, 1) << name;
        EXPECT_NEAR(quarterFrames, 4 * static_cast<int>(labels.size() - 1), 3) << name;
        EXPECT_NEAR(quarterTimes, quarterFrames / 8, 1) << name;
        EXPECT_EQ(p.leader.sent(), labels.back().art->time) << name;
    }
}

TEST(TimecodeLeader, StopSendsNothingAndPlayStartsAgainWithAFullFrame)
{
    Playback p;
    p.leader.configure({1, 0, 0, 0}, TimecodeRate::Ebu25);
    double now = p.play(0, 20, 0, noJitter);
    p.leader.ticked(std::nullopt, now);
    const std::size_t beforeStop = p.sent.size();
    for (const double end = now + 500; now < end; now += 2)
        p.poll(now);
    EXPECT_EQ(p.sent.size(), beforeStop);
    EXPECT_FALSE(p.leader.playing());
    EXPECT_EQ(p.leader.sent(), std::nullopt);

    // PLAY again: tick 0 follows no tick, so it starts as after a jump.
    p.play(0, 2, now, noJitter);
    ASSERT_GT(p.sent.size(), beforeStop + 2);
    EXPECT_EQ(p.sent[beforeStop].art->time, (Timecode{1, 0, 0, 0}));
    EXPECT_EQ(p.sent[beforeStop + 1].mtc, (Bytes{0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x21, 0, 0, 0, 0xF7}));
}

TEST(TimecodeLeader, AJumpSendsAFullFrameThenQuarterFramesFromTheNewPlace)
{
    struct Case {
        const char* what;
        std::int64_t to;  // the tick after the jump
        Timecode label;   // its label at 25 fps, offset 01:00:00:00
    };
    const Case cases[] = {
        {"a seek forwards", 1200, {1, 1, 0, 0}},
        {"a seek backwards", 5, {1, 0, 0, 6}},
        {"the same tick again", 39, {1, 0, 1, 23}},
    };
    for (const Case& c : cases) {
        Playback p;
        p.leader.configure({1, 0, 0, 0}, TimecodeRate::Ebu25);
        const double now = p.play(0, 40, 0, noJitter);
        const std::size_t before = p.sent.size();
        p.play(c.to, 20, now, noJitter);

        ASSERT_GT(p.sent.size(), before + 2) << c.what;
        EXPECT_EQ(p.sent[before].art->time, c.label) << c.what;
        const auto fullFrame = mtcFullFrame(c.label, TimecodeRate::Ebu25);
        EXPECT_EQ(p.sent[before + 1].mtc, Bytes(fullFrame.begin(), fullFrame.end())) << c.what;
        // From there on labels run forwards one a frame, and quarter frames
        // decode to a time near the label that ran.
        MtcDecoder decoder;
        std::int64_t expected = frameOf(c.label, TimecodeRate::Ebu25);
        std::int64_t running = expected;
        int quarterTimes = 0;
        for (std::size_t i = before; i < p.sent.size(); ++i) {
            if (p.sent[i].art) {
                running = frameOf(p.sent[i].art->time, TimecodeRate::Ebu25);
                EXPECT_EQ(running, expected++) << c.what;
                continue;
            }
            decoder.feed(p.sent[i].mtc, [&](const MtcTime& t) {
                if (t.fullFrame)
                    return;
                ++quarterTimes;
                EXPECT_LE(std::llabs(frameOf(t.time, TimecodeRate::Ebu25) - running), 2) << c.what;
            });
        }
        EXPECT_GE(quarterTimes, 10) << c.what;  // a second at two frames a time
    }
}

TEST(TimecodeLeader, LateTicksHoldTheClockInsteadOfRunningItAheadOrBack)
{
    Playback p;
    p.leader.configure({0, 0, 0, 0}, TimecodeRate::Smpte30);
    // Ticks late by up to 49 ms, some right after a late one, polled every 3 ms.
    const auto irregular = [](std::int64_t tick) { return static_cast<double>((tick * 29) % 50); };
    double now = p.play(0, 60, 0, irregular, 3);

    // A tick that does not come: the clock stops a tick past the last one.
    p.leader.ticked(60, now);
    for (const double end = now + 400; now < end; now += 3)
        p.poll(now);
    const auto labels = p.art();
    ASSERT_FALSE(labels.empty());
    for (std::size_t i = 1; i < labels.size(); ++i)
        EXPECT_EQ(frameOf(labels[i].art->time, TimecodeRate::Smpte30),
                  frameOf(labels[i - 1].art->time, TimecodeRate::Smpte30) + 1)
            << "label " << i;
    // 61 ticks are 3.05 s: frame 91 runs; 92 would be ahead of the show.
    EXPECT_EQ(labels.back().art->time, (Timecode{0, 0, 3, 1}));
    EXPECT_LE(p.sent.back().atMs, 3000 + 50 + 3);

    // The late tick comes at last: the clock goes on from where it held.
    p.play(61, 4, now, noJitter);
    EXPECT_EQ(p.art()[labels.size()].art->time, (Timecode{0, 0, 3, 2}));
}

}  // namespace
}  // namespace tinctara
