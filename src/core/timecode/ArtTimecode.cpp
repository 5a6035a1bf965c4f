#include "timecode/ArtTimecode.h"

#include "dmx/ArtNetLayout.h"


namespace tinctara {

using namespace artnet;

ArtTimecodeDecoded decodeArtTimecode(std::span<const std::uint8_t> d)
{
    static constexpr unsigned Taken[] = {OpTimeCode};
    const auto header = checkArtNetHeader(d, Taken);
    if (const auto* drop = std::get_if<ArtNetDrop>(&header))
        return *drop;
    if (d.size() < TimeCode::Size)
        return ArtNetDrop::Truncated;
    const auto rate = rateOfTimecodeCode(d[TimeCode::Type]);
    if (!rate)
        return ArtNetDrop::OutOfRange;
    ArtTimecode decoded;
    decoded.rate = *rate;
    decoded.streamId = d[TimeCode::StreamId];
    decoded.time = {d[TimeCode::Hours], d[TimeCode::Minutes], d[TimeCode::Seconds], d[TimeCode::Frames]};
    if (!isValid(decoded.time, decoded.rate))
        return ArtNetDrop::OutOfRange;
    return decoded;
}

std::array<std::uint8_t, 19> encodeArtTimecode(const ArtTimecode& t)
{
    std::array<std::uint8_t, 19> b{};
    static_assert(sizeof b == TimeCode::Size);
    putHeader(b.data(), OpTimeCode);
    b[Version] = static_cast<std::uint8_t>(ProtocolVersion >> 8);
    b[Version + 1] = static_cast<std::uint8_t>(ProtocolVersion & 0xFF);
    b[TimeCode::StreamId] = t.streamId;
    b[TimeCode::Frames] = static_cast<std::uint8_t>(t.time.frames);
    b[TimeCode::Seconds] = static_cast<std::uint8_t>(t.time.seconds);
    b[TimeCode::Minutes] = static_cast<std::uint8_t>(t.time.minutes);
    b[TimeCode::Hours] = static_cast<std::uint8_t>(t.time.hours);
    b[TimeCode::Type] = timecodeRateCode(t.rate);
    return b;
}

}  // namespace tinctara
