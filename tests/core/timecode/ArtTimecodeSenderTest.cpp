#include "timecode/ArtTimecodeSender.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace tinctara {
namespace {

TEST(ArtTimecodeSender, SendsOpTimeCodeToItsTargetAndSaysWhatItCannot)
{
    UdpListener node;
    ASSERT_EQ(node.open(0x7F000001, 0, {}), 0);
    std::array<std::uint8_t, 64> buffer{};
    const ArtTimecode time{{1, 2, 3, 4}, TimecodeRate::DropFrame2997, 0};

    ArtTimecodeSender sender;
    EXPECT_EQ(sender.open("nirgendwo", node.port()), "Art-Net-Timecode: nirgendwo ist keine IPv4-Adresse.");
    EXPECT_FALSE(sender.isOpen());
    sender.send(time);  // closed: nothing goes

    ASSERT_EQ(sender.open("127.0.0.1", node.port()), "");
    EXPECT_TRUE(sender.isOpen());
    sender.send(time);
    const auto datagram = node.receive(buffer);  // loopback delivers within the send
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->size, 19u);
    const auto decoded = decodeArtTimecode(std::span<const std::uint8_t>(buffer.data(), datagram->size));
    ASSERT_TRUE(std::holds_alternative<ArtTimecode>(decoded));
    EXPECT_EQ(std::get<ArtTimecode>(decoded), time);
    EXPECT_FALSE(node.receive(buffer));

    sender.close();
    sender.send(time);
    EXPECT_FALSE(node.receive(buffer));
}

}  // namespace
}  // namespace tinctara
