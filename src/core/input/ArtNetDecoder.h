#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

namespace tinctara {

// Why a datagram on the Art-Net port was dropped, for the caller to count.
enum class ArtNetDrop {
    NotArtNet,      // no "Art-Net\0" at its start
    Truncated,      // shorter than its op code's fields, or levels beyond its end
    OldVersion,     // protocol version below 14
    BadLength,      // an ArtDmx length that is odd or outside 2..512
    UnknownOpcode,  // an op code we do not take
    OutOfRange,     // a field outside its values (an OpTimeCode's time for its type)
};
inline constexpr std::size_t ArtNetDropKinds = 6;

// An ArtDmx packet; `levels` points into the datagram it came from.
struct ArtNetDmx {
    std::uint8_t sequence = 0;  // 0: the sender does not number its packets
    std::uint8_t physical = 0;
    int portAddress = 0;  // 15 bits
    std::span<const std::uint8_t> levels;
};

// An ArtPoll. A targeted poll asks only the nodes with a port-address in
// targetBottom..targetTop to answer.
struct ArtNetPoll {
    static constexpr std::uint8_t TargetedMode = 0x20;

    std::uint8_t flags = 0;
    std::uint8_t diagnosticsPriority = 0;
    bool targeted = false;
    int targetBottom = 0;
    int targetTop = 0;
};

using ArtNetDecoded = std::variant<ArtNetDmx, ArtNetPoll, ArtNetDrop>;

// The header every packet we take starts with: the ID, one of `opCodes`, and
// protocol version 14 or later. The op code found, or why the datagram is
// dropped. Only the header's bytes are read.
std::variant<unsigned, ArtNetDrop> checkArtNetHeader(std::span<const std::uint8_t> datagram,
                                                     std::span<const unsigned> opCodes);

// What one UDP datagram on the Art-Net port carries. Reads only inside the
// datagram and allocates nothing.
ArtNetDecoded decodeArtNet(std::span<const std::uint8_t> datagram);

// Whether we answer `poll`: always, and a targeted one only when our
// port-address lies in its range.
bool answersPoll(const ArtNetPoll& poll, int portAddress);

}  // namespace tinctara
