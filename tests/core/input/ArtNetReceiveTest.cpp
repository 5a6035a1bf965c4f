#include "dmx/NetworkPackets.h"
#include "input/ArtNetDecoder.h"
#include "input/ArtNetInput.h"
#include "input/ArtPollReply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Levels = std::array<std::uint8_t, NetworkSlots>;

constexpr std::uint32_t DeskA = 0xC0A80101;  // 192.168.1.1
constexpr std::uint32_t DeskB = 0xC0A80102;
const int OurAddress = joinPortAddress({1, 2, 3});

// A whole ArtDmx as the output side sends it, with `sequence` patched in.
Bytes artDmx(int portAddress, std::uint8_t fill, std::uint8_t sequence = 0)
{
    Levels slots;
    slots.fill(fill);
    ArtDmxPacket packet;
    packet.setPortAddress(portAddress);
    const auto& bytes = packet.data(slots.data());
    Bytes datagram(bytes.begin(), bytes.end());
    datagram[12] = sequence;
    return datagram;
}

Bytes withLength(Bytes datagram, unsigned length)
{
    datagram[16] = static_cast<std::uint8_t>(length >> 8);
    datagram[17] = static_cast<std::uint8_t>(length);
    return datagram;
}

Bytes artPoll(std::uint8_t flags, int bottom = 0, int top = 0)
{
    Bytes datagram{'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, flags, 0x10};
    if (flags & ArtNetPoll::TargetedMode)
        for (const int value : {top, bottom}) {
            datagram.push_back(static_cast<std::uint8_t>(value >> 8));
            datagram.push_back(static_cast<std::uint8_t>(value));
        }
    return datagram;
}

ArtNetDmx decodedDmx(const Bytes& datagram)
{
    const ArtNetDecoded decoded = decodeArtNet(datagram);
    EXPECT_TRUE(std::holds_alternative<ArtNetDmx>(decoded));
    return std::holds_alternative<ArtNetDmx>(decoded) ? std::get<ArtNetDmx>(decoded) : ArtNetDmx{};
}

Levels mergedOf(const ArtNetInput& input, std::int64_t nowMs)
{
    Levels levels;
    levels.fill(0xEE);
    input.merged(levels, nowMs);
    return levels;
}

TEST(ArtNetDecoder, BrokenDatagramsAreDroppedWithTheirReason)
{
    const Bytes dmx = artDmx(OurAddress, 7, 1);
    struct Case {
        std::string name;
        Bytes datagram;
        ArtNetDrop drop;
    };
    std::vector<Case> cases = {
        {"empty", {}, ArtNetDrop::NotArtNet},
        {"ID without its zero",
         [&] {
             Bytes d = dmx;
             d[7] = ' ';
             return d;
         }(),
         ArtNetDrop::NotArtNet},
        {"ID in lower case",
         [&] {
             Bytes d = dmx;
             d[0] = 'a';
             return d;
         }(),
         ArtNetDrop::NotArtNet},
        {"version 13",
         [&] {
             Bytes d = dmx;
             d[11] = 13;
             return d;
         }(),
         ArtNetDrop::OldVersion},
        {"odd length", withLength(dmx, 511), ArtNetDrop::BadLength},
        {"length 0", withLength(dmx, 0), ArtNetDrop::BadLength},
        {"length 1", withLength(dmx, 1), ArtNetDrop::BadLength},
        {"length 514", withLength(dmx, 514), ArtNetDrop::BadLength},
        {"length 0xFFFE", withLength(dmx, 0xFFFE), ArtNetDrop::BadLength},
        {"length beyond the datagram", withLength(Bytes(dmx.begin(), dmx.begin() + 18 + 100), 102),
         ArtNetDrop::Truncated},
        {"our own reply looped back",
         [] {
             ArtPollReplyPacket reply({});
             const auto& b = reply.reply(true);
             return Bytes(b.begin(), b.end());
         }(),
         ArtNetDrop::UnknownOpcode},
        {"ArtNzs",
         [&] {
             Bytes d = dmx;
             d[9] = 0x51;
             return d;
         }(),
         ArtNetDrop::UnknownOpcode},
        {"op code in the wrong byte order",
         [&] {
             Bytes d = dmx;
             d[8] = 0x50;
             d[9] = 0x00;
             return d;
         }(),
         ArtNetDrop::UnknownOpcode},
        {"poll without priority",
         [] {
             Bytes d = artPoll(0);
             d.pop_back();
             return d;
         }(),
         ArtNetDrop::Truncated},
    };
    // An ArtDmx cut anywhere short of its levels; the ID decides before the op code.
    for (const std::size_t cut : {1, 7, 8, 9, 10, 11, 12, 15, 17, 18, 19, 200, 529})
        cases.push_back({"ArtDmx cut at " + std::to_string(cut), Bytes(dmx.begin(), dmx.begin() + cut),
                         cut < 8 ? ArtNetDrop::NotArtNet : ArtNetDrop::Truncated});
    // A targeted poll without its whole range.
    const Bytes targeted = artPoll(ArtNetPoll::TargetedMode, 0, 100);
    for (const std::size_t cut : {12, 14, 15, 17})
        cases.push_back({"targeted poll cut at " + std::to_string(cut), Bytes(targeted.begin(), targeted.begin() + cut),
                         ArtNetDrop::Truncated});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ArtNetDecoded decoded = decodeArtNet(c.datagram);
        ASSERT_TRUE(std::holds_alternative<ArtNetDrop>(decoded));
        EXPECT_EQ(std::get<ArtNetDrop>(decoded), c.drop);
    }
}

TEST(ArtNetDecoder, ArtDmxFieldsAndLevels)
{
    Bytes datagram = artDmx(joinPortAddress({127, 15, 15}), 0, 42);
    datagram[13] = 3;      // physical
    datagram[15] |= 0x80;  // not part of the port-address
    for (std::size_t i = 0; i < NetworkSlots; ++i)
        datagram[18 + i] = static_cast<std::uint8_t>(i * 3);
    const ArtNetDmx full = decodedDmx(datagram);
    EXPECT_EQ(full.sequence, 42);
    EXPECT_EQ(full.physical, 3);
    EXPECT_EQ(full.portAddress, 0x7FFF);
    ASSERT_EQ(full.levels.size(), NetworkSlots);
    EXPECT_EQ(full.levels.data(), datagram.data() + 18) << "levels are read in place";
    EXPECT_EQ(full.levels[511], static_cast<std::uint8_t>(511 * 3));

    // Two levels in a datagram with bytes to spare: the length decides.
    const Bytes two = withLength(datagram, 2);
    const ArtNetDmx shortest = decodedDmx(two);
    EXPECT_EQ(shortest.levels.size(), 2u);
    EXPECT_EQ(shortest.levels[1], 3);

    // A newer protocol version is taken.
    datagram[10] = 1;
    EXPECT_EQ(decodedDmx(datagram).levels.size(), NetworkSlots);
}

TEST(ArtNetInput, TakesOnlyItsPortAddress)
{
    ArtNetInput input(OurAddress);
    struct Case {
        ArtNetAddress address;
        ArtNetVerdict verdict;
    };
    for (const Case& c :
         {Case{{1, 2, 3}, ArtNetVerdict::Taken}, Case{{1, 2, 4}, ArtNetVerdict::OtherPortAddress},
          Case{{1, 3, 3}, ArtNetVerdict::OtherPortAddress}, Case{{0, 2, 3}, ArtNetVerdict::OtherPortAddress},
          Case{{0, 0, 0}, ArtNetVerdict::OtherPortAddress}}) {
        const int address = joinPortAddress(c.address);
        SCOPED_TRACE(address);
        const Bytes datagram = artDmx(address, static_cast<std::uint8_t>(address));
        EXPECT_EQ(input.take(decodedDmx(datagram), DeskA, 0), c.verdict);
    }
    EXPECT_EQ(mergedOf(input, 0)[0], static_cast<std::uint8_t>(OurAddress)) << "levels of another universe leaked in";
    EXPECT_EQ(input.count(ArtNetVerdict::OtherPortAddress), 4u);
}

TEST(ArtNetInput, MergesHighestLevelAcrossSources)
{
    ArtNetInput input(OurAddress);
    Bytes a = artDmx(OurAddress, 0);
    a[18] = 10;
    a[19] = 200;
    a[20] = 60;
    Bytes b = withLength(artDmx(OurAddress, 0), 2);
    b[18] = 100;
    b[19] = 50;
    b[20] = 255;  // beyond b's length: not a level
    EXPECT_EQ(input.take(decodedDmx(a), DeskA, 0), ArtNetVerdict::Taken);
    EXPECT_EQ(input.take(decodedDmx(b), DeskB, 0), ArtNetVerdict::Taken);

    Levels merged = mergedOf(input, 0);
    EXPECT_EQ(merged[0], 100);
    EXPECT_EQ(merged[1], 200);
    EXPECT_EQ(merged[2], 60);
    EXPECT_EQ(merged[3], 0);
    EXPECT_EQ(input.live(0).count, 2u);

    // A lowers its levels: the merge follows, no level sticks.
    a[19] = 0;
    input.take(decodedDmx(a), DeskA, 25);
    EXPECT_EQ(mergedOf(input, 25)[1], 50);

    // A falls silent; B keeps sending and alone makes the merge.
    for (std::int64_t t = 1000; t <= ArtNetSourceTimeoutMs + 25; t += 1000)
        input.take(decodedDmx(b), DeskB, t);
    merged = mergedOf(input, ArtNetSourceTimeoutMs + 25);
    EXPECT_EQ(merged[0], 100);
    EXPECT_EQ(merged[2], 0);
    const ArtNetLive live = input.live(ArtNetSourceTimeoutMs + 25);
    ASSERT_EQ(live.count, 1u);
    EXPECT_EQ(live.sources[0].address, DeskB);
}

TEST(ArtNetInput, SequenceDropsLatePacketsAcrossTheWrap)
{
    struct Case {
        std::uint8_t last, next;
        bool taken;
    };
    for (const Case& c : {
             Case{10, 11, true},
             Case{10, 10, true},  // a repeat is no step back
             Case{10, 9, false},
             Case{30, 10, false},  // the window's far end
             Case{31, 10, true},   // beyond it: the sender started again
             Case{250, 5, true},   // forward over the wrap
             Case{5, 250, false},  // back over the wrap
             Case{10, 0, true},    // 0 switches the order off
             Case{0, 200, true},
         }) {
        SCOPED_TRACE(std::to_string(c.last) + " then " + std::to_string(c.next));
        ArtNetInput input(OurAddress);
        ASSERT_EQ(input.take(decodedDmx(artDmx(OurAddress, 1, c.last)), DeskA, 0), ArtNetVerdict::Taken);
        const ArtNetVerdict verdict = input.take(decodedDmx(artDmx(OurAddress, 2, c.next)), DeskA, 20);
        EXPECT_EQ(verdict, c.taken ? ArtNetVerdict::Taken : ArtNetVerdict::OutOfOrder);
        EXPECT_EQ(mergedOf(input, 20)[0], c.taken ? 2 : 1);
    }

    // The output side's numbering (1..255, wrapping past 0) never looks late.
    ArtNetInput input(OurAddress);
    ArtDmxPacket packet;
    packet.setPortAddress(OurAddress);
    const Levels slots{};
    for (int i = 0; i < 600; ++i) {
        const auto& bytes = packet.data(slots.data());
        ASSERT_EQ(input.take(decodedDmx(Bytes(bytes.begin(), bytes.end())), DeskA, i * 25), ArtNetVerdict::Taken) << i;
    }
}

TEST(ArtNetInput, BoundsPacketsPerSecondPerSource)
{
    ArtNetInput input(OurAddress);
    const Bytes datagram = artDmx(OurAddress, 9);
    const ArtNetDmx dmx = decodedDmx(datagram);
    // Ten seconds of a source sending every 2 ms (500 a second), and one at 20 a second.
    int takenA = 0;
    int takenB = 0;
    for (std::int64_t t = 0; t < 10'000; t += 2) {
        takenA += input.take(dmx, DeskA, t) == ArtNetVerdict::Taken;
        if (t % 50 == 0)
            takenB += input.take(dmx, DeskB, t) == ArtNetVerdict::Taken;
    }
    // The bucket starts full (one second's worth) and refills at the bound.
    EXPECT_GE(takenA, 10 * ArtNetPacketsPerSecond);
    EXPECT_LE(takenA, 11 * ArtNetPacketsPerSecond);
    EXPECT_EQ(takenB, 200) << "one source's flood cost another its packets";
    EXPECT_EQ(input.count(ArtNetVerdict::OverRate), 5000u - static_cast<unsigned>(takenA));

    const ArtNetLive live = input.live(10'000);
    ASSERT_EQ(live.count, 2u);
    for (const ArtNetSourceInfo& source : live.view())
        EXPECT_EQ(source.packetsPerSecond, source.address == DeskA ? ArtNetPacketsPerSecond : 20) << source.address;
    EXPECT_EQ(input.live(12'500).sources[0].packetsPerSecond, 0) << "a rate outlived its seconds";
}

TEST(ArtNetInput, SourcesExpireAfterSilenceAndFreeTheirPlace)
{
    ArtNetInput input(OurAddress);
    const Bytes datagram = artDmx(OurAddress, 77);
    const ArtNetDmx dmx = decodedDmx(datagram);
    for (std::uint32_t i = 0; i < ArtNetMaxSources; ++i)
        ASSERT_EQ(input.take(dmx, DeskA + i, 0), ArtNetVerdict::Taken);
    EXPECT_EQ(input.take(dmx, DeskA + 100, 0), ArtNetVerdict::TooManySources);
    EXPECT_EQ(input.count(ArtNetVerdict::TooManySources), 1u);

    EXPECT_EQ(input.live(ArtNetSourceTimeoutMs - 1).count, ArtNetMaxSources);
    EXPECT_EQ(mergedOf(input, ArtNetSourceTimeoutMs - 1)[511], 77);
    EXPECT_EQ(input.live(ArtNetSourceTimeoutMs).count, 0u);
    EXPECT_EQ(mergedOf(input, ArtNetSourceTimeoutMs)[511], 0) << "a silent source still lights the wall";

    // The silent ones made room; a returning source starts afresh.
    EXPECT_EQ(input.take(dmx, DeskA + 100, ArtNetSourceTimeoutMs), ArtNetVerdict::Taken);
    EXPECT_EQ(input.take(decodedDmx(artDmx(OurAddress, 5, 50)), DeskA, ArtNetSourceTimeoutMs), ArtNetVerdict::Taken);
    EXPECT_EQ(input.take(decodedDmx(artDmx(OurAddress, 5, 40)), DeskA, ArtNetSourceTimeoutMs),
              ArtNetVerdict::OutOfOrder);
    EXPECT_EQ(input.live(ArtNetSourceTimeoutMs).count, 2u);
}

TEST(ArtPollReply, AnswersPollsAndTargetedPollsInRange)
{
    struct Case {
        std::string name;
        Bytes datagram;
        bool answered;
    };
    for (const Case& c : {
             Case{"plain poll", artPoll(0x02), true},
             Case{"targeted, range around us", artPoll(0x22, 0x100, 0x200), true},
             Case{"targeted, exactly us", artPoll(0x20, OurAddress, OurAddress), true},
             Case{"targeted, below us", artPoll(0x20, 0, OurAddress - 1), false},
             Case{"targeted, above us", artPoll(0x20, OurAddress + 1, 0x7FFF), false},
             Case{"targeted, range upside down", artPoll(0x20, 0x200, 0x100), false},
         }) {
        SCOPED_TRACE(c.name);
        const ArtNetDecoded decoded = decodeArtNet(c.datagram);
        ASSERT_TRUE(std::holds_alternative<ArtNetPoll>(decoded));
        const ArtNetPoll& poll = std::get<ArtNetPoll>(decoded);
        EXPECT_EQ(poll.flags, c.datagram[12]);
        EXPECT_EQ(poll.diagnosticsPriority, 0x10);
        EXPECT_EQ(answersPoll(poll, OurAddress), c.answered);
    }
    // Without the targeted bit, range bytes are not looked at.
    Bytes plain = artPoll(0x00);
    plain.insert(plain.end(), {0, 0, 0, 0});
    EXPECT_TRUE(answersPoll(std::get<ArtNetPoll>(decodeArtNet(plain)), OurAddress));
}

TEST(ArtPollReply, EveryFieldAtItsOffset)
{
    ArtPollReplySetup setup;
    setup.ipAddress = {192, 168, 1, 50};
    setup.portAddress = joinPortAddress({0x25, 0x9, 0xC});
    setup.firmwareVersion = 0x0115;
    setup.mac = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    ArtPollReplyPacket packet(setup);
    const ArtPollReplyPacket::Bytes idle = packet.reply(false);
    const ArtPollReplyPacket::Bytes live = packet.reply(true);
    ASSERT_EQ(idle.size(), 239u);

    auto text = [](const ArtPollReplyPacket::Bytes& b, std::size_t at, std::size_t size) {
        EXPECT_EQ(b[at + size - 1], 0) << "text at " << at << " not closed";
        return std::string(reinterpret_cast<const char*>(&b[at]));
    };
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(idle.data()), 8), std::string("Art-Net\0", 8));
    EXPECT_EQ(text(idle, 26, 18), "Tinctara");
    EXPECT_EQ(text(idle, 44, 64), "Tinctara DMX-Eingang");
    EXPECT_EQ(text(idle, 108, 64), "#0001 [0000] Tinctara");
    EXPECT_EQ(text(live, 108, 64), "#0001 [0001] Tinctara");

    struct Field {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
    };
    const Field fields[] = {
        {"op code low", 8, 0x00},  {"op code high", 9, 0x21}, {"IP 1", 10, 192},          {"IP 4", 13, 50},
        {"port low", 14, 0x36},    {"port high", 15, 0x19},   {"version high", 16, 1},    {"version low", 17, 21},
        {"NetSwitch", 18, 0x25},   {"SubSwitch", 19, 0x9},    {"OEM high", 20, 0},        {"OEM low", 21, 0},
        {"UBEA", 22, 0},           {"Status1", 23, 0xD0},     {"ESTA low", 24, 0},        {"ESTA high", 25, 0},
        {"NumPorts high", 172, 0}, {"NumPorts low", 173, 1},  {"port type 1", 174, 0xC0}, {"port type 2", 175, 0},
        {"GoodInput 2", 179, 0},   {"SwIn 1", 186, 0xC},      {"SwIn 2", 187, 0},         {"SwOut 1", 190, 0xC},
        {"SwOut 2", 191, 0},       {"Style", 200, 0},         {"MAC 1", 201, 0x02},       {"MAC 6", 206, 0x55},
        {"BindIp 1", 207, 192},    {"BindIp 4", 210, 50},     {"BindIndex", 211, 1},      {"Status2", 212, 0x08},
        {"GoodOutputB", 213, 0},   {"Status3", 217, 0},       {"filler", 238, 0},
    };
    for (const Field& f : fields) {
        EXPECT_EQ(idle[f.offset], f.value) << f.name;
        EXPECT_EQ(live[f.offset], f.value) << f.name << " changed with data";
    }
    EXPECT_EQ(idle[178], 0) << "GoodInput without data";
    EXPECT_EQ(live[178], 0x80) << "GoodInput with data";
    EXPECT_EQ(live[182], 0x80) << "GoodOutputA with data";
}

}  // namespace
}  // namespace tinctara
