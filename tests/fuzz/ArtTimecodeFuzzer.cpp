// The Art-Net OpTimeCode decoder, fed whole datagrams. Beside any crash or
// read outside the datagram: a time taken that does not exist at its rate,
// or one our encoder does not write back to the same time.
#include "FuzzRequire.h"
#include "timecode/ArtTimecode.h"

#include <cstdint>
#include <span>
#include <variant>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "arttimecode", what); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ArtTimecodeDecoded decoded = decodeArtTimecode(std::span<const std::uint8_t>(data, size));
    const auto* time = std::get_if<ArtTimecode>(&decoded);
    if (!time)
        return 0;
    require(size >= 19, "a time from a short datagram");
    require(isValid(time->time, time->rate), "a label that does not exist");
    const auto again = decodeArtTimecode(encodeArtTimecode(*time));
    require(std::holds_alternative<ArtTimecode>(again) && std::get<ArtTimecode>(again) == *time,
            "the encoder does not write the time back");
    return 0;
}
