#pragma once

#include <cstddef>
#include <cstdint>

// Where Art-Net puts its fields: one place for the sending and the receiving
// side. Multi-byte fields are big-endian except the op code and the port of
// an ArtPollReply, which are little-endian.
namespace tinctara::artnet {

inline constexpr std::uint8_t Id[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
inline constexpr std::size_t OpCode = 8;
inline constexpr std::size_t Version = 10;  // not in an ArtPollReply
inline constexpr std::size_t Header = 12;

inline constexpr unsigned OpPoll = 0x2000;
inline constexpr unsigned OpPollReply = 0x2100;
inline constexpr unsigned OpDmx = 0x5000;
inline constexpr unsigned OpTimeCode = 0x9700;
inline constexpr unsigned ProtocolVersion = 14;

namespace Dmx {
inline constexpr std::size_t Sequence = 12;
inline constexpr std::size_t Physical = 13;
inline constexpr std::size_t SubUni = 14;
inline constexpr std::size_t Net = 15;
inline constexpr std::size_t Length = 16;
inline constexpr std::size_t Slots = 18;
}  // namespace Dmx

namespace TimeCode {
inline constexpr std::size_t StreamId = 13;
inline constexpr std::size_t Frames = 14;
inline constexpr std::size_t Seconds = 15;
inline constexpr std::size_t Minutes = 16;
inline constexpr std::size_t Hours = 17;
inline constexpr std::size_t Type = 18;
inline constexpr std::size_t Size = 19;
}  // namespace TimeCode

// The ID and the op code at the start of every packet.
inline void putHeader(std::uint8_t* packet, unsigned opCode)
{
    for (std::size_t i = 0; i < sizeof Id; ++i)
        packet[i] = Id[i];
    packet[OpCode] = static_cast<std::uint8_t>(opCode & 0xFF);
    packet[OpCode + 1] = static_cast<std::uint8_t>(opCode >> 8);
}

}  // namespace tinctara::artnet
