#include "timecode/Mtc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr auto Df = TimecodeRate::DropFrame2997;

Bytes quarterFrames(MtcEncoder& encoder, int count)
{
    Bytes bytes;
    for (int i = 0; i < count; ++i)
        for (const std::uint8_t b : encoder.nextQuarterFrame())
            bytes.push_back(b);
    return bytes;
}

std::vector<MtcTime> decodeAll(MtcDecoder& decoder, const Bytes& bytes)
{
    std::vector<MtcTime> times;
    decoder.feed(bytes, [&](const MtcTime& t) { times.push_back(t); });
    return times;
}

TEST(Mtc, QuarterFramesReportTheRunningFrameEitherWay)
{
    struct Case {
        std::string name;
        TimecodeRate rate;
        MtcDirection direction;
        Timecode start;
        Timecode firstTime;   // two frames on (or back) from the start
        Timecode secondTime;  // the next label, two frames further
    };
    const Case cases[] = {
        {"25 forwards", TimecodeRate::Ebu25, MtcDirection::Forwards, {1, 2, 3, 4}, {1, 2, 3, 6}, {1, 2, 3, 8}},
        {"24 over a second", TimecodeRate::Film24, MtcDirection::Forwards, {0, 0, 0, 21}, {0, 0, 0, 23}, {0, 0, 1, 1}},
        {"30 over the day",
         TimecodeRate::Smpte30,
         MtcDirection::Forwards,
         {23, 59, 59, 27},
         {23, 59, 59, 29},
         {0, 0, 0, 1}},
        {"drop-frame over a minute", Df, MtcDirection::Forwards, {0, 0, 59, 28}, {0, 1, 0, 2}, {0, 1, 0, 4}},
        {"drop-frame backwards over a minute",
         Df,
         MtcDirection::Backwards,
         {0, 1, 0, 3},
         {0, 0, 59, 29},
         {0, 0, 59, 27}},
        {"drop-frame backwards over ten minutes",
         Df,
         MtcDirection::Backwards,
         {0, 10, 0, 1},
         {0, 9, 59, 29},
         {0, 9, 59, 27}},
        {"backwards over midnight",
         TimecodeRate::Ebu25,
         MtcDirection::Backwards,
         {0, 0, 0, 1},
         {23, 59, 59, 24},
         {23, 59, 59, 22}},
        {"hour 23", TimecodeRate::Ebu25, MtcDirection::Forwards, {23, 45, 30, 10}, {23, 45, 30, 12}, {23, 45, 30, 14}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MtcEncoder encoder(c.start, c.rate, c.direction);
        MtcDecoder decoder;
        const auto times = decodeAll(decoder, quarterFrames(encoder, 16));
        ASSERT_EQ(times.size(), 2u);
        EXPECT_EQ(times[0].carried, c.start);
        EXPECT_EQ(times[0].time, c.firstTime);
        EXPECT_EQ(times[1].time, c.secondTime);
        for (const MtcTime& t : times) {
            EXPECT_EQ(t.rate, c.rate);
            EXPECT_EQ(t.direction, c.direction);
            EXPECT_FALSE(t.fullFrame);
        }
        EXPECT_EQ(decoder.direction(), c.direction);
    }
}

TEST(Mtc, OnlyEightPiecesInARowMakeATime)
{
    MtcEncoder encoder({0, 0, 10, 0}, TimecodeRate::Ebu25);
    const Bytes stream = quarterFrames(encoder, 24);

    // Joining in the middle: the first whole label is the second one.
    MtcDecoder late;
    const auto joined = decodeAll(late, Bytes(stream.begin() + 6, stream.end()));
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[0].carried, (Timecode{0, 0, 10, 2}));

    // A lost piece spoils its label, not the next.
    Bytes lost = stream;
    lost.erase(lost.begin() + 8, lost.begin() + 10);
    MtcDecoder gaps;
    const auto kept = decodeAll(gaps, lost);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].carried, (Timecode{0, 0, 10, 2}));

    // Turning round: the pieces before the turn are not mixed into a label.
    MtcEncoder back({0, 0, 10, 6}, TimecodeRate::Ebu25, MtcDirection::Backwards);
    Bytes turned(stream.begin(), stream.begin() + 10);  // pieces 0..4 of 00:00:10:00
    const Bytes backwards = quarterFrames(back, 8);
    turned.insert(turned.end(), backwards.begin() + 8, backwards.end());  // pieces 3..0 of 00:00:10:06
    MtcDecoder turning;
    EXPECT_TRUE(decodeAll(turning, turned).empty());
    EXPECT_EQ(turning.direction(), MtcDirection::Backwards);

    // Real-time bytes between the status and its data change nothing.
    Bytes clocked;
    for (std::size_t i = 0; i < 16; i += 2)
        clocked.insert(clocked.end(), {stream[i], 0xF8, 0xFE, stream[i + 1]});
    MtcDecoder clock;
    EXPECT_EQ(decodeAll(clock, clocked).size(), 1u);
}

TEST(Mtc, FullFramesAreLocates)
{
    const auto frame = mtcFullFrame({12, 34, 56, 7}, Df, 0x10);
    EXPECT_EQ(Bytes(frame.begin(), frame.end()), (Bytes{0xF0, 0x7F, 0x10, 0x01, 0x01, 0x4C, 34, 56, 7, 0xF7}));
    MtcDecoder decoder;
    const auto times = decodeAll(decoder, Bytes(frame.begin(), frame.end()));
    ASSERT_EQ(times.size(), 1u);
    EXPECT_EQ(times[0].time, (Timecode{12, 34, 56, 7}));
    EXPECT_EQ(times[0].rate, Df);
    EXPECT_TRUE(times[0].fullFrame);
    EXPECT_EQ(times[0].direction, MtcDirection::Unknown);
}

TEST(Mtc, GarbageIsDropped)
{
    const auto good = mtcFullFrame({1, 2, 3, 4}, TimecodeRate::Ebu25);
    auto patched = [&](std::size_t at, std::uint8_t value) {
        Bytes b(good.begin(), good.end());
        b[at] = value;
        return b;
    };
    struct Case {
        std::string name;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"not real-time universal", patched(1, 0x7E)},
        {"not timecode", patched(3, 0x02)},
        {"a user bits message", patched(4, 0x02)},
        {"hour 24", patched(5, 0x20 | 24)},
        {"minute 60", patched(6, 60)},
        {"frame 25 at 25", patched(8, 25)},
        {"a dropped label", Bytes{0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x40, 1, 0, 0, 0xF7}},
        {"cut short by a status", patched(7, 0x90)},
        {"one byte too many",
         [&] {
             Bytes b(good.begin(), good.end());
             b.insert(b.end() - 1, 0x00);
             return b;
         }()},
        {"no start", Bytes(good.begin() + 1, good.end())},
        {"quarter frames of a dropped label",
         Bytes{0xF1, 0x00, 0xF1, 0x10, 0xF1, 0x20, 0xF1, 0x30, 0xF1, 0x41, 0xF1, 0x50, 0xF1, 0x60, 0xF1, 0x74}},
        {"quarter frame data with no status", Bytes{0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x72}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MtcDecoder decoder;
        EXPECT_TRUE(decodeAll(decoder, c.bytes).empty());
        // Whatever came before, a good full frame is read.
        EXPECT_EQ(decodeAll(decoder, Bytes(good.begin(), good.end())).size(), 1u);
    }
}

}  // namespace
}  // namespace tinctara
