#pragma once

#include "control/ShowAction.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tinctara {

// An OSC time tag: seconds since 1900 in the upper 32 bits, the fraction of a
// second in the lower 32.
using OscTimeTag = std::uint64_t;
inline constexpr OscTimeTag OscImmediately = 1;

// Why a datagram was dropped, for the caller to count.
enum class OscDrop {
    Malformed,       // not OSC, truncated, or an element size beyond what is left
    UnknownAddress,  // not one of /tinctara/...
    WrongArguments,  // wrong argument count or types, a float that is no number
    FutureBundle,    // a bundle to be carried out later
    Oversized,       // more than OscDatagramLimit bytes
    TooDeep,         // bundles nested deeper than OscBundleDepth
};
inline constexpr std::size_t OscDropKinds = 6;

// An Ethernet frame's payload less the IPv4 and UDP headers: what arrives
// unfragmented. Desks send far less; more is not meant for us.
inline constexpr std::size_t OscDatagramLimit = 1472;
inline constexpr int OscBundleDepth = 4;

struct OscDecoded {
    std::vector<ShowAction> actions;  // in the order the datagram carries them
    std::optional<OscDrop> drop;      // set: no action at all
};

// The show actions one UDP datagram carries: a message, or a bundle of
// messages and bundles. A datagram is taken whole or not at all, so a desk
// never sees half a bundle carried out. Addresses (int32 or float32
// arguments; floats round to the nearest integer):
//   /tinctara/play, stop, back, forward, all, none
//   /tinctara/tap N, user K, memory K, jump N (the number's text)
//   /tinctara/mix R G B W (0..255 each)
//   /tinctara/tempo/tap
// Other ranges are ShowControl's to check. `now` decides whether a bundle is
// due; a bundle stamped later is dropped, not kept for later.
OscDecoded decodeOsc(std::span<const std::uint8_t> datagram, OscTimeTag now);

}  // namespace tinctara
