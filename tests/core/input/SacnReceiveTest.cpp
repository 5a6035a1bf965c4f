#include "input/SacnDecoder.h"
#include "input/SacnSources.h"

#include "fuzz/SacnStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Levels = std::array<std::uint8_t, NetworkSlots>;

Cid cidOf(int n)
{
    Cid cid{};
    cid.fill(static_cast<std::uint8_t>(0xA0 + n));
    cid[15] = static_cast<std::uint8_t>(n);
    return cid;
}

void put16(Bytes& b, std::size_t at, std::size_t value)
{
    b[at] = static_cast<std::uint8_t>(value >> 8);
    b[at + 1] = static_cast<std::uint8_t>(value);
}

// Lengths of the three layers and the value count for the datagram's size.
void fixLengths(Bytes& b)
{
    put16(b, 16, 0x7000 | (b.size() - 16));
    put16(b, 38, 0x7000 | (b.size() - 38));
    put16(b, 115, 0x7000 | (b.size() - 115));
    put16(b, 123, static_cast<unsigned>(b.size() - 125));
}

// A data packet as the output side sends it, cut to `slots` levels when
// fewer than 512; the levels start at `first` and count up.
Bytes packet(int source, int priority, std::uint8_t sequence, std::size_t slots = NetworkSlots, int first = 1,
             int universe = 1)
{
    SacnPacket sender;
    sender.setSource(cidOf(source), "Pult " + std::to_string(source), priority, universe);
    Levels levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<std::uint8_t>(first + i);
    const auto& sent = sender.data(levels.data());
    Bytes b(sent.begin(), sent.end());
    b[111] = sequence;
    b.resize(126 + slots);
    fixLengths(b);
    return b;
}

SacnData decoded(const Bytes& b)
{
    const SacnDecoded d = decodeSacn(b);
    EXPECT_FALSE(d.drop) << "drop " << static_cast<int>(*d.drop);
    return d.data;
}

TEST(SacnDecode, ReadsEveryFieldOfAValidPacket)
{
    Bytes b = packet(3, 200, 77, NetworkSlots, 5, 63999);
    b[112] = 0x80 | 0x20;  // preview, force sync
    put16(b, 109, 4000);
    SacnData d = decoded(b);
    EXPECT_EQ(d.cid, cidOf(3));
    EXPECT_EQ(d.sourceName, "Pult 3");
    EXPECT_EQ(d.priority, 200);
    EXPECT_EQ(d.syncAddress, 4000);
    EXPECT_EQ(d.sequence, 77);
    EXPECT_TRUE(d.preview);
    EXPECT_FALSE(d.streamTerminated);
    EXPECT_TRUE(d.forceSync);
    EXPECT_EQ(d.universe, 63999);
    ASSERT_EQ(d.slots.size(), 512u);
    EXPECT_EQ(d.slots.front(), 5);
    EXPECT_EQ(d.slots.back(), static_cast<std::uint8_t>(5 + 511));
    EXPECT_EQ(d.slots.data(), b.data() + 126);

    b[112] = 0x40;
    EXPECT_TRUE(decoded(b).streamTerminated);

    // A name that fills its field without a closing zero stops at the field.
    std::fill_n(b.begin() + 44, 64, 'x');
    EXPECT_EQ(decoded(b).sourceName.size(), 64u);

    // The fewest slots: the start code alone.
    EXPECT_TRUE(decoded(packet(1, 0, 0, 0)).slots.empty());
    EXPECT_EQ(decoded(packet(1, 100, 0, 24)).slots.size(), 24u);
}

TEST(SacnDecode, DropsEveryBrokenFieldWithItsReason)
{
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        SacnDrop reason;
    };
    const Case cases[] = {
        {"preamble size", [](Bytes& b) { b[1] = 0x11; }, SacnDrop::Preamble},
        {"post-amble size", [](Bytes& b) { b[3] = 1; }, SacnDrop::Preamble},
        {"packet identifier", [](Bytes& b) { b[7] = 'X'; }, SacnDrop::Preamble},
        {"identifier padding", [](Bytes& b) { b[15] = 1; }, SacnDrop::Preamble},
        {"root flags", [](Bytes& b) { b[16] = (b[16] & 0x0F) | 0x60; }, SacnDrop::RootLength},
        {"root length short", [](Bytes& b) { put16(b, 16, 0x7000 | (b.size() - 17)); }, SacnDrop::RootLength},
        {"a byte beyond the root", [](Bytes& b) { b.push_back(0); }, SacnDrop::RootLength},
        {"root length long", [](Bytes& b) { put16(b, 16, 0x7000 | (b.size() - 15)); }, SacnDrop::Truncated},
        {"extended root vector", [](Bytes& b) { b[21] = 0x08; }, SacnDrop::Extended},
        {"unknown root vector", [](Bytes& b) { b[21] = 0x03; }, SacnDrop::RootVector},
        {"root vector high byte", [](Bytes& b) { b[18] = 0x01; }, SacnDrop::RootVector},
        {"framing flags", [](Bytes& b) { b[38] = (b[38] & 0x0F) | 0x50; }, SacnDrop::FramingLength},
        {"framing length", [](Bytes& b) { put16(b, 38, 0x7000 | (b.size() - 37)); }, SacnDrop::FramingLength},
        {"framing vector", [](Bytes& b) { b[43] = 0x01; }, SacnDrop::FramingVector},
        {"priority 201", [](Bytes& b) { b[108] = 201; }, SacnDrop::Priority},
        {"priority 255", [](Bytes& b) { b[108] = 255; }, SacnDrop::Priority},
        {"sync address 64000", [](Bytes& b) { put16(b, 109, 64000); }, SacnDrop::SyncAddress},
        {"universe 0", [](Bytes& b) { put16(b, 113, 0); }, SacnDrop::Universe},
        {"universe 64000", [](Bytes& b) { put16(b, 113, 64000); }, SacnDrop::Universe},
        {"DMP flags", [](Bytes& b) { b[115] = (b[115] & 0x0F) | 0xF0; }, SacnDrop::DmpLength},
        {"DMP length", [](Bytes& b) { put16(b, 115, 0x7000 | (b.size() - 116)); }, SacnDrop::DmpLength},
        {"DMP vector", [](Bytes& b) { b[117] = 0x01; }, SacnDrop::DmpLayout},
        {"address and data type", [](Bytes& b) { b[118] = 0xA0; }, SacnDrop::DmpLayout},
        {"first property address", [](Bytes& b) { put16(b, 119, 1); }, SacnDrop::DmpLayout},
        {"address increment", [](Bytes& b) { put16(b, 121, 0); }, SacnDrop::DmpLayout},
        {"value count one short", [](Bytes& b) { put16(b, 123, 512); }, SacnDrop::ValueCount},
        {"value count one over", [](Bytes& b) { put16(b, 123, 514); }, SacnDrop::ValueCount},
        {"value count 0", [](Bytes& b) { put16(b, 123, 0); }, SacnDrop::ValueCount},
        {"514 values that fit", [](Bytes& b) { b.push_back(0), fixLengths(b); }, SacnDrop::ValueCount},
        {"the start code alone, counted 0",
         [](Bytes& b) {
             b.resize(126);
             fixLengths(b);
             put16(b, 123, 0);
         },
         SacnDrop::ValueCount},
        {"start code 0xCC", [](Bytes& b) { b[125] = 0xCC; }, SacnDrop::NotLevels},
        {"start code 0x17", [](Bytes& b) { b[125] = 0x17; }, SacnDrop::NotLevels},
        {"no DMP layer",
         [](Bytes& b) {
             b.resize(115);
             put16(b, 16, 0x7000 | 99);
         },
         SacnDrop::Truncated},
    };
    for (const Case& c : cases) {
        Bytes b = packet(1, 100, 0);
        c.change(b);
        const SacnDecoded d = decodeSacn(b);
        ASSERT_TRUE(d.drop) << c.what;
        EXPECT_EQ(*d.drop, c.reason) << c.what;
    }

    // A synchronisation packet: root and framing layers only.
    Bytes sync = packet(1, 100, 0);
    sync.resize(49);
    put16(sync, 16, 0x7000 | 33);
    sync[21] = 0x08;
    EXPECT_EQ(decodeSacn(sync).drop, SacnDrop::Extended);

    // Cut anywhere, a packet is one its root layer claims more of.
    const Bytes whole = packet(1, 100, 0);
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(decodeSacn(std::span(whole.data(), size)).drop, SacnDrop::Truncated) << "cut at " << size;
}

// Feeds a decoded packet at `nowMs`.
SacnOutcome feed(SacnSources& sources, const Bytes& b, std::int64_t nowMs)
{
    return sources.receive(decoded(b), nowMs);
}

Levels mergedOf(const SacnSources& sources)
{
    Levels levels{};
    levels.fill(0xEE);
    sources.merged(levels);
    return levels;
}

TEST(SacnSources, HighestPriorityWinsAndEqualOnesMergeHighestLevel)
{
    SacnSources sources(1);
    EXPECT_FALSE(sources.live());
    EXPECT_EQ(mergedOf(sources), Levels{});  // nobody sends: dark

    ASSERT_EQ(feed(sources, packet(1, 100, 0, 512, 200), 0), SacnOutcome::Taken);
    ASSERT_EQ(feed(sources, packet(2, 150, 0, 4, 10), 0), SacnOutcome::Taken);
    Levels expected{};
    expected[0] = 10, expected[1] = 11, expected[2] = 12, expected[3] = 13;
    EXPECT_EQ(mergedOf(sources), expected) << "the higher priority wins, even with lower levels and fewer slots";

    // Equal priority: the higher level of each slot; beyond a source's
    // slots only the other counts.
    ASSERT_EQ(feed(sources, packet(3, 150, 0, 3, 11), 0), SacnOutcome::Taken);
    expected[0] = 11, expected[1] = 12, expected[2] = 13;
    EXPECT_EQ(mergedOf(sources), expected);

    ASSERT_EQ(sources.sources().size(), 3u);
    EXPECT_EQ(sources.sources()[1].name(), "Pult 2");
    EXPECT_EQ(sources.sources()[1].priority(), 150);

    // The winner lowers its priority: the first source's levels come back.
    ASSERT_EQ(feed(sources, packet(2, 50, 1, 4, 10), 20), SacnOutcome::Taken);
    ASSERT_EQ(feed(sources, packet(3, 50, 1, 3, 11), 20), SacnOutcome::Taken);
    Levels first{};
    for (std::size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<std::uint8_t>(200 + i);
    EXPECT_EQ(mergedOf(sources), first);
}

TEST(SacnSources, SequenceNumbersOutOfOrderAreDropped)
{
    struct Case {
        std::uint8_t last, next;
        bool taken;
    };
    const Case cases[] = {
        {0, 1, true},   {10, 30, true},  {5, 5, false},  {5, 4, false},    {20, 1, false},
        {21, 1, true},  {255, 0, true},  {250, 3, true}, {0, 255, false},  {3, 240, false},
        {3, 239, true}, {10, 200, true}, {128, 0, true}, {100, 81, false}, {100, 80, true},
    };
    for (const Case& c : cases) {
        SacnSources sources(1);
        ASSERT_EQ(feed(sources, packet(1, 100, c.last, 1, 1), 0), SacnOutcome::Taken);
        const SacnOutcome outcome = feed(sources, packet(1, 100, c.next, 1, 9), 10);
        EXPECT_EQ(outcome, c.taken ? SacnOutcome::Taken : SacnOutcome::OutOfOrder)
            << int(c.last) << " then " << int(c.next);
        EXPECT_EQ(mergedOf(sources)[0], c.taken ? 9 : 1) << int(c.last) << " then " << int(c.next);
    }

    // Each source keeps its own sequence.
    SacnSources sources(1);
    EXPECT_EQ(feed(sources, packet(1, 100, 50), 0), SacnOutcome::Taken);
    EXPECT_EQ(feed(sources, packet(2, 100, 10), 0), SacnOutcome::Taken);
    EXPECT_EQ(feed(sources, packet(1, 100, 40), 0), SacnOutcome::OutOfOrder);
    EXPECT_EQ(feed(sources, packet(2, 100, 11), 0), SacnOutcome::Taken);
    EXPECT_EQ(sources.outcomes()[static_cast<std::size_t>(SacnOutcome::OutOfOrder)], 1u);
}

TEST(SacnSources, PreviewOtherUniversesAndTerminatedStreams)
{
    SacnSources sources(7);
    Bytes preview = packet(1, 100, 0, 512, 1, 7);
    preview[112] = 0x80;
    EXPECT_EQ(feed(sources, preview, 0), SacnOutcome::Preview);
    EXPECT_EQ(feed(sources, packet(1, 100, 0, 512, 1, 8), 0), SacnOutcome::OtherUniverse);
    EXPECT_FALSE(sources.live());

    ASSERT_EQ(feed(sources, packet(1, 200, 0, 512, 90, 7), 0), SacnOutcome::Taken);
    ASSERT_EQ(feed(sources, packet(2, 100, 0, 512, 1, 7), 0), SacnOutcome::Taken);
    Bytes end = packet(1, 200, 1, 512, 90, 7);
    end[112] = 0x40;
    EXPECT_EQ(feed(sources, end, 10), SacnOutcome::Ended);
    ASSERT_EQ(sources.sources().size(), 1u);
    EXPECT_EQ(mergedOf(sources)[0], 1) << "the ended source's levels are gone at once";

    end = packet(2, 100, 1, 512, 1, 7);
    end[112] = 0x40;
    EXPECT_EQ(feed(sources, end, 10), SacnOutcome::Ended);
    EXPECT_FALSE(sources.live());
    EXPECT_EQ(mergedOf(sources), Levels{});
}

TEST(SacnSources, SilentSourcesExpireAfterTwoAndAHalfSeconds)
{
    SacnSources sources(1);
    ASSERT_EQ(feed(sources, packet(1, 100, 0), 1000), SacnOutcome::Taken);
    ASSERT_EQ(feed(sources, packet(2, 100, 0), 2000), SacnOutcome::Taken);
    sources.expire(3499);
    EXPECT_EQ(sources.sources().size(), 2u);
    sources.expire(3500);
    ASSERT_EQ(sources.sources().size(), 1u);
    EXPECT_EQ(sources.sources()[0].cid(), cidOf(2));
    sources.expire(4499);
    EXPECT_TRUE(sources.live());
    sources.expire(4500);
    EXPECT_FALSE(sources.live());
}

TEST(SacnSources, ANinthSourceIsRefusedUntilOneGoes)
{
    SacnSources sources(1);
    for (int n = 1; n <= 8; ++n)
        ASSERT_EQ(feed(sources, packet(n, 100, 0), n == 1 ? 0 : 1000), SacnOutcome::Taken);
    EXPECT_EQ(feed(sources, packet(9, 100, 0, 512, 99), 1000), SacnOutcome::TooManySources);
    EXPECT_EQ(feed(sources, packet(3, 100, 1), 1000), SacnOutcome::Taken) << "known sources go on";
    EXPECT_EQ(sources.outcomes()[static_cast<std::size_t>(SacnOutcome::TooManySources)], 1u);

    sources.expire(2500);
    ASSERT_EQ(feed(sources, packet(9, 100, 0, 512, 99), 2500), SacnOutcome::Taken);
    EXPECT_EQ(sources.sources().size(), 8u);
}

TEST(SacnSources, ASourceSendingTooFastIsBounded)
{
    SacnSources sources(1);
    int taken = 0, refused = 0;
    for (int i = 0; i < 150; ++i) {  // 150 packets in 745 ms
        const SacnOutcome o = feed(sources, packet(1, 100, static_cast<std::uint8_t>(i)), 10'000 + i * 5);
        (o == SacnOutcome::Taken ? taken : refused) += o == SacnOutcome::Taken || o == SacnOutcome::RateExceeded;
    }
    EXPECT_EQ(taken, SacnSources::RateLimit);
    EXPECT_EQ(refused, 50);
    EXPECT_EQ(sources.sources()[0].packetsPerSecond(10'900), 0) << "no whole second yet";

    // The next second takes packets again and reports the last one's.
    EXPECT_EQ(feed(sources, packet(1, 100, 150), 11'000), SacnOutcome::Taken);
    EXPECT_EQ(sources.sources()[0].packetsPerSecond(11'000), 150);
    EXPECT_EQ(sources.sources()[0].packetsPerSecond(12'500), 1);
    EXPECT_EQ(sources.sources()[0].packetsPerSecond(13'000), 0);
    // A second source is not held back by the first.
    EXPECT_EQ(feed(sources, packet(2, 100, 0), 10'999), SacnOutcome::Taken);
}

// The fuzzer's seeds: streams of valid packets. TINCTARA_WRITE_SACN_SEEDS=1
// writes them again from the output side's packets.
TEST(SacnSources, FuzzSeedsAreValidStreams)
{
    struct Seed {
        const char* name;
        std::vector<std::pair<int, Bytes>> arrivals;
    };
    Bytes preview = packet(3, 100, 0, 24, 40);
    preview[112] = 0x80;
    Bytes end = packet(1, 120, 2);
    end[112] = 0x40;
    const Seed seeds[] = {
        {"equal-priorities.sacn",
         {{0, packet(1, 100, 0, 512, 7)},
          {5, packet(2, 100, 0, 16, 90)},
          {20, packet(1, 100, 1, 512, 8)},
          {20, packet(2, 100, 1, 16, 91)}}},
        {"priority-and-end.sacn",
         {{0, packet(1, 120, 0)}, {10, packet(2, 80, 0, 64, 30)}, {25, packet(1, 120, 1)}, {25, end}}},
        {"short-preview-expiry.sacn",
         {{0, packet(4, 200, 9, 1, 255)}, {0, preview}, {3000, packet(5, 0, 250, 100, 3)}}},
    };
    const std::filesystem::path folder = std::filesystem::path(TINCTARA_TEST_DATA_DIR) / "sacn";
    const char* write = std::getenv("TINCTARA_WRITE_SACN_SEEDS");
    for (const Seed& seed : seeds) {
        Bytes stream;
        for (const auto& [afterMs, datagram] : seed.arrivals)
            fuzz::appendSacnArrival(stream, afterMs, datagram);
        if (write && std::string(write) == "1")
            std::ofstream(folder / seed.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
        std::ifstream in(folder / seed.name, std::ios::binary);
        const Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(stored, stream) << seed.name;

        SacnSources sources(1);
        std::int64_t now = 0;
        fuzz::readSacnStream(stored, [&](const fuzz::SacnArrival& a) {
            now += a.afterMs;
            const SacnDecoded d = decodeSacn(a.datagram);
            ASSERT_FALSE(d.drop) << seed.name;
            sources.expire(now);
            sources.receive(d.data, now);
        });
        EXPECT_TRUE(sources.live()) << seed.name;
    }
}

}  // namespace
}  // namespace tinctara
