#pragma once

#include "input/ArtNetDecoder.h"
#include "timecode/Timecode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

namespace tinctara {

// The time an Art-Net OpTimeCode carries.
struct ArtTimecode {
    Timecode time;
    TimecodeRate rate = TimecodeRate::Ebu25;
    std::uint8_t streamId = 0;  // 0: the master stream
    friend bool operator==(const ArtTimecode&, const ArtTimecode&) = default;
};

using ArtTimecodeDecoded = std::variant<ArtTimecode, ArtNetDrop>;

// One datagram on the Art-Net port read as an OpTimeCode: the header as for
// every packet we take, at least 19 bytes, a known type, and a label that
// exists at its rate (OutOfRange otherwise). Another op code is UnknownOpcode.
ArtTimecodeDecoded decodeArtTimecode(std::span<const std::uint8_t> datagram);

// The 19 bytes of an OpTimeCode for `time`.
std::array<std::uint8_t, 19> encodeArtTimecode(const ArtTimecode& time);

}  // namespace tinctara
