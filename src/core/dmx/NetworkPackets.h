#pragma once

#include "dmx/SacnLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tinctara {

inline constexpr std::uint16_t SacnPort = 5568;
inline constexpr std::uint16_t ArtNetPort = 6454;
inline constexpr int SacnFirstUniverse = 1;
inline constexpr int SacnLastUniverse = 63999;
inline constexpr int SacnDefaultPriority = 100;
inline constexpr int SacnHighestPriority = 200;
inline constexpr int ArtNetLastPortAddress = 0x7FFF;
inline constexpr std::size_t NetworkSlots = 512;

// The component identifier of an sACN source.
using Cid = std::array<std::uint8_t, 16>;

// 239.255.hi.lo for universe hi * 256 + lo (host order).
std::uint32_t sacnMulticastAddress(int universe);

// An Art-Net port-address (15 bits) and its three parts.
struct ArtNetAddress {
    int net = 0;       // 0..127
    int subNet = 0;    // 0..15
    int universe = 0;  // 0..15
};
ArtNetAddress splitPortAddress(int portAddress);
int joinPortAddress(const ArtNetAddress& address);

// An E1.31 data packet (root, framing and DMP layers) with start code 0 and
// 512 slots. The fixed fields are written once; each frame patches the
// sequence number, the options and the slots.
class SacnPacket {
public:
    static constexpr std::size_t Size = 638;
    static constexpr std::uint8_t StreamTerminated = E131::OptionStreamTerminated;
    using Bytes = std::array<std::uint8_t, Size>;

    SacnPacket();
    // The source name is cut to 63 bytes (at a UTF-8 character boundary) and
    // ends with a zero byte.
    void setSource(const Cid& cid, std::string_view sourceName, int priority, int universe);

    // The next packet carrying `slots` (512 levels).
    const Bytes& data(const std::uint8_t* slots);
    // The next packet telling receivers that the stream ends; slots as last sent.
    const Bytes& terminated();

    std::uint8_t nextSequence() const { return sequence_; }

private:
    void stamp(std::uint8_t options);

    Bytes bytes_{};
    std::uint8_t sequence_ = 0;
};

// An Art-Net 4 ArtDmx packet with 512 slots.
class ArtDmxPacket {
public:
    static constexpr std::size_t Size = 530;
    using Bytes = std::array<std::uint8_t, Size>;

    ArtDmxPacket();
    void setPortAddress(int portAddress);
    // The next packet carrying `slots`; its sequence runs 1..255 and wraps to 1
    // (0 would switch the receiver's reordering off).
    const Bytes& data(const std::uint8_t* slots);

    std::uint8_t nextSequence() const { return sequence_; }

private:
    Bytes bytes_{};
    std::uint8_t sequence_ = 1;
};

}  // namespace tinctara
