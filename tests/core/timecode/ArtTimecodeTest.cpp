#include "input/ArtNetDecoder.h"
#include "timecode/ArtTimecode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An OpTimeCode written out byte by byte, not by the encoder.
Bytes opTimeCode(std::uint8_t h, std::uint8_t m, std::uint8_t s, std::uint8_t f, std::uint8_t type)
{
    return {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x97, 0, 14, 0, 0, f, s, m, h, type};
}

Bytes with(Bytes b, std::size_t at, std::uint8_t value)
{
    b[at] = value;
    return b;
}

TEST(ArtTimecode, ReadsTheTimeAndTheRateOfEachType)
{
    struct Case {
        std::uint8_t type;
        TimecodeRate rate;
    };
    const Case cases[] = {{0, TimecodeRate::Film24},
                          {1, TimecodeRate::Ebu25},
                          {2, TimecodeRate::DropFrame2997},
                          {3, TimecodeRate::Smpte30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.type});
        const auto decoded = decodeArtTimecode(opTimeCode(10, 20, 30, 3, c.type));
        ASSERT_TRUE(std::holds_alternative<ArtTimecode>(decoded));
        const ArtTimecode t = std::get<ArtTimecode>(decoded);
        EXPECT_EQ(t.time, (Timecode{10, 20, 30, 3}));
        EXPECT_EQ(t.rate, c.rate);
        // Our encoder writes the same bytes back.
        const auto encoded = encodeArtTimecode(t);
        EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), opTimeCode(10, 20, 30, 3, c.type));
    }
    Bytes longer = with(opTimeCode(1, 2, 3, 4, 1), 13, 7);
    longer.push_back(0xAA);
    const auto decoded = decodeArtTimecode(longer);
    ASSERT_TRUE(std::holds_alternative<ArtTimecode>(decoded));
    EXPECT_EQ(std::get<ArtTimecode>(decoded).streamId, 7);
}

TEST(ArtTimecode, BrokenPacketsAreDroppedWithTheirReason)
{
    const Bytes good = opTimeCode(1, 2, 3, 4, 1);
    struct Case {
        std::string name;
        Bytes datagram;
        ArtNetDrop drop;
    };
    const std::vector<Case> cases = {
        {"empty", {}, ArtNetDrop::NotArtNet},
        {"wrong ID", with(good, 3, '_'), ArtNetDrop::NotArtNet},
        {"cut after the ID", Bytes(good.begin(), good.begin() + 9), ArtNetDrop::Truncated},
        {"cut in the version", Bytes(good.begin(), good.begin() + 11), ArtNetDrop::Truncated},
        {"cut before the type", Bytes(good.begin(), good.end() - 1), ArtNetDrop::Truncated},
        {"an ArtDmx", with(good, 9, 0x50), ArtNetDrop::UnknownOpcode},
        {"op code big-endian", with(with(good, 8, 0x97), 9, 0x00), ArtNetDrop::UnknownOpcode},
        {"version 13", with(good, 11, 13), ArtNetDrop::OldVersion},
        {"type 4", with(good, 18, 4), ArtNetDrop::OutOfRange},
        {"frame 25 at EBU", with(good, 14, 25), ArtNetDrop::OutOfRange},
        {"frame 24 at film", opTimeCode(0, 0, 0, 24, 0), ArtNetDrop::OutOfRange},
        {"second 60", with(good, 15, 60), ArtNetDrop::OutOfRange},
        {"minute 60", with(good, 16, 60), ArtNetDrop::OutOfRange},
        {"hour 24", with(good, 17, 24), ArtNetDrop::OutOfRange},
        {"a dropped drop-frame label", opTimeCode(0, 1, 0, 1, 2), ArtNetDrop::OutOfRange},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = decodeArtTimecode(c.datagram);
        ASSERT_TRUE(std::holds_alternative<ArtNetDrop>(decoded));
        EXPECT_EQ(std::get<ArtNetDrop>(decoded), c.drop);
    }
    // Version 14 is written big-endian: a high byte makes it newer, not older.
    EXPECT_TRUE(std::holds_alternative<ArtTimecode>(decodeArtTimecode(with(good, 10, 1))));
}

TEST(ArtTimecode, TheDmxDecoderLeavesTimecodeAlone)
{
    const auto decoded = decodeArtNet(opTimeCode(1, 2, 3, 4, 1));
    ASSERT_TRUE(std::holds_alternative<ArtNetDrop>(decoded));
    EXPECT_EQ(std::get<ArtNetDrop>(decoded), ArtNetDrop::UnknownOpcode);
}

}  // namespace
}  // namespace tinctara
