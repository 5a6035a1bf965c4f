#include "dmx/NetworkPackets.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace tinctara {
namespace {

unsigned be16(const std::uint8_t* at) { return static_cast<unsigned>(at[0] << 8 | at[1]); }

std::uint32_t be32(const std::uint8_t* at) { return static_cast<std::uint32_t>(be16(at)) << 16 | be16(at + 2); }

std::array<std::uint8_t, 512> rampSlots()
{
    std::array<std::uint8_t, 512> slots{};
    for (std::size_t i = 0; i < slots.size(); ++i)
        slots[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return slots;
}

const Cid TestCid{0x01, 0x23, 0xab, 0xcd, 0x45, 0x67, 0x89, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};

TEST(SacnPacket, LayersFollowE131)
{
    SacnPacket packet;
    packet.setSource(TestCid, "Wand", 150, 0x1234);
    const auto slots = rampSlots();
    const auto& b = packet.data(slots.data());

    ASSERT_EQ(b.size(), 638u);
    // Root layer.
    EXPECT_EQ(be16(&b[0]), 0x0010u);
    EXPECT_EQ(be16(&b[2]), 0x0000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4]), 12), std::string("ASC-E1.17\0\0\0", 12));
    EXPECT_EQ(be16(&b[16]), 0x7000u | 622);
    EXPECT_EQ(be32(&b[18]), 0x00000004u);
    EXPECT_TRUE(std::equal(TestCid.begin(), TestCid.end(), &b[22]));
    // Framing layer.
    EXPECT_EQ(be16(&b[38]), 0x7000u | 600);
    EXPECT_EQ(be32(&b[40]), 0x00000002u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[44])), "Wand");
    EXPECT_EQ(b[44 + 63], 0);
    EXPECT_EQ(b[108], 150);
    EXPECT_EQ(be16(&b[109]), 0u) << "no synchronisation";
    EXPECT_EQ(b[111], 0) << "first sequence number";
    EXPECT_EQ(b[112], 0) << "options";
    EXPECT_EQ(be16(&b[113]), 0x1234u);
    // DMP layer.
    EXPECT_EQ(be16(&b[115]), 0x7000u | 523);
    EXPECT_EQ(b[117], 0x02);
    EXPECT_EQ(b[118], 0xA1);
    EXPECT_EQ(be16(&b[119]), 0u);
    EXPECT_EQ(be16(&b[121]), 1u);
    EXPECT_EQ(be16(&b[123]), 513u);
    EXPECT_EQ(b[125], 0) << "start code";
    EXPECT_TRUE(std::equal(slots.begin(), slots.end(), &b[126]));
}

TEST(SacnPacket, SequenceWrapsAndTerminationContinuesIt)
{
    SacnPacket packet;
    packet.setSource(TestCid, "x", 100, 1);
    const auto slots = rampSlots();
    std::vector<int> sequences;
    for (int i = 0; i < 257; ++i)
        sequences.push_back(packet.data(slots.data())[111]);
    EXPECT_EQ(sequences[255], 255);
    EXPECT_EQ(sequences[256], 0);

    const auto& last = packet.terminated();
    EXPECT_EQ(last[111], 1);
    EXPECT_EQ(last[112], 0x40) << "Stream_Terminated";
    EXPECT_TRUE(std::equal(slots.begin(), slots.end(), &last[126])) << "the last levels stay";
    EXPECT_EQ(packet.data(slots.data())[112], 0) << "a new stream is not terminated";
}

TEST(SacnPacket, SourceNameAndRangesAreCut)
{
    struct Case {
        std::string name;
        std::size_t bytesKept;
    };
    const Case cases[] = {
        {std::string(100, 'n'), 63},
        {std::string(62, 'n') + "ü", 62},  // the two-byte character would end at byte 64
        {std::string(61, 'n') + "ü", 63},
        {"", 0},
    };
    for (const auto& c : cases) {
        SacnPacket packet;
        packet.setSource(TestCid, c.name, 100, 1);
        const auto& b = packet.terminated();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[44])), c.name.substr(0, c.bytesKept));
        EXPECT_EQ(b[44 + 63], 0);
    }
    SacnPacket packet;
    packet.setSource(TestCid, "x", 999, 70000);
    const auto& b = packet.terminated();
    EXPECT_EQ(b[108], 200);
    EXPECT_EQ(be16(&b[113]), 63999u);
}

TEST(SacnPacket, MulticastAddressOfUniverse)
{
    const std::pair<int, std::uint32_t> cases[] = {
        {1, 0xEFFF0001}, {256, 0xEFFF0100}, {0x1234, 0xEFFF1234}, {63999, 0xEFFFF9FF}};
    for (const auto& [universe, address] : cases)
        EXPECT_EQ(sacnMulticastAddress(universe), address) << universe;
}

TEST(ArtDmxPacket, LayoutFollowsArtNet4)
{
    ArtDmxPacket packet;
    packet.setPortAddress(0x1234);
    const auto slots = rampSlots();
    const auto& b = packet.data(slots.data());
    ASSERT_EQ(b.size(), 530u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[0]), 8), std::string("Art-Net\0", 8));
    EXPECT_EQ(b[8], 0x00) << "OpDmx, low byte first";
    EXPECT_EQ(b[9], 0x50);
    EXPECT_EQ(be16(&b[10]), 14u) << "protocol version, high byte first";
    EXPECT_EQ(b[12], 1) << "first sequence";
    EXPECT_EQ(b[13], 0) << "physical";
    EXPECT_EQ(b[14], 0x34) << "SubUni";
    EXPECT_EQ(b[15], 0x12) << "Net";
    EXPECT_EQ(be16(&b[16]), 512u);
    EXPECT_TRUE(std::equal(slots.begin(), slots.end(), &b[18]));
}

TEST(ArtDmxPacket, SequenceSkipsZeroWhenItWraps)
{
    ArtDmxPacket packet;
    const auto slots = rampSlots();
    std::vector<int> sequences;
    for (int i = 0; i < 256; ++i)
        sequences.push_back(packet.data(slots.data())[12]);
    EXPECT_EQ(sequences[254], 255);
    EXPECT_EQ(sequences[255], 1);
}

TEST(ArtDmxPacket, PortAddressArithmetic)
{
    struct Case {
        int portAddress;
        ArtNetAddress parts;
    };
    const Case cases[] = {
        {0, {0, 0, 0}}, {2, {0, 0, 2}}, {0x0010, {0, 1, 0}}, {0x0123, {1, 2, 3}}, {0x7FFF, {127, 15, 15}}};
    for (const auto& c : cases) {
        const ArtNetAddress parts = splitPortAddress(c.portAddress);
        EXPECT_EQ(parts.net, c.parts.net) << c.portAddress;
        EXPECT_EQ(parts.subNet, c.parts.subNet) << c.portAddress;
        EXPECT_EQ(parts.universe, c.parts.universe) << c.portAddress;
        EXPECT_EQ(joinPortAddress(c.parts), c.portAddress);
    }
    ArtDmxPacket packet;
    packet.setPortAddress(0x8001);  // beyond 15 bits: the top bit is not the Net's
    const auto slots = rampSlots();
    const auto& b = packet.data(slots.data());
    EXPECT_EQ(b[14], 0x01);
    EXPECT_EQ(b[15], 0x00);
}

}  // namespace
}  // namespace tinctara
