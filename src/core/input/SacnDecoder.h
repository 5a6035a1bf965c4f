#pragma once

#include "dmx/NetworkPackets.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tinctara {

// Why a datagram was dropped, for the caller to count.
enum class SacnDrop {
    Truncated,      // shorter than its root layer says, or than a data packet's header
    Preamble,       // preamble or post-amble size, or the packet identifier
    RootLength,     // root flags not 0x7, or the root length is not the datagram's
    Extended,       // a synchronisation or discovery packet
    RootVector,     // neither data nor extended
    FramingLength,  // framing flags not 0x7, or the framing length does not match
    FramingVector,  // not a data packet's framing layer
    Priority,       // above 200
    SyncAddress,    // above the last universe
    Universe,       // outside 1..63999
    DmpLength,      // DMP flags not 0x7, or the DMP length does not match
    DmpLayout,      // DMP vector, address and data type, first address or increment
    ValueCount,     // 0, above 513, or not the rest of the datagram
    NotLevels,      // a start code other than 0
};
inline constexpr std::size_t SacnDropKinds = static_cast<std::size_t>(SacnDrop::NotLevels) + 1;

// An E1.31 data packet with levels. The name and the slots point into the
// datagram, so they live as long as its buffer.
struct SacnData {
    Cid cid{};
    std::string_view sourceName;  // up to its first zero byte, at most 64 bytes
    int priority = 0;             // 0..200
    int syncAddress = 0;          // 0: not synchronised
    std::uint8_t sequence = 0;
    bool preview = false;
    bool streamTerminated = false;
    bool forceSync = false;
    int universe = 0;  // 1..63999
    std::uint8_t startCode = 0;
    std::span<const std::uint8_t> slots;  // the levels after the start code, 0..512
};

struct SacnDecoded {
    SacnData data;  // valid when nothing was dropped
    std::optional<SacnDrop> drop;
};

// One UDP datagram checked field by field before a byte of it is used;
// anything E1.31 does not allow for a data packet with levels is dropped with
// its reason. Allocates nothing.
SacnDecoded decodeSacn(std::span<const std::uint8_t> datagram);

}  // namespace tinctara
