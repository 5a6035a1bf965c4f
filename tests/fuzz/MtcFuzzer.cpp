// The MIDI timecode decoder, fed what a port may deliver. The first byte
// picks the sizes of the pieces the rest arrives in. Beside any crash: a time
// that does not exist at its rate, a running time not two frames from the
// label carried, and a stream that decodes otherwise in pieces than whole.
#include "FuzzRequire.h"
#include "timecode/Mtc.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "mtc", what); }

void check(const MtcTime& t)
{
    require(isValid(t.time, t.rate) && isValid(t.carried, t.rate), "a label that does not exist");
    const std::int64_t gap = *toFrameCount(t.time, t.rate) - *toFrameCount(t.carried, t.rate);
    const std::int64_t day = framesPerDay(t.rate);
    if (t.fullFrame)
        require(gap == 0 && t.direction == MtcDirection::Unknown, "a full frame moved");
    else if (t.direction == MtcDirection::Forwards)
        require(gap == 2 || gap == 2 - day, "forwards, not two frames on");
    else
        require(t.direction == MtcDirection::Backwards && (gap == -2 || gap == day - 2),
                "backwards, not two frames back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);

    std::vector<MtcTime> whole;
    MtcDecoder once;
    once.feed(stream, [&](const MtcTime& t) {
        check(t);
        whole.push_back(t);
    });

    std::vector<MtcTime> pieced;
    MtcDecoder inPieces;
    const std::size_t piece = 1 + (data[0] & 0x0F);
    for (std::size_t at = 0; at < stream.size(); at += piece)
        inPieces.feed(stream.subspan(at, std::min(piece, stream.size() - at)),
                      [&](const MtcTime& t) { pieced.push_back(t); });
    require(pieced == whole, "pieces decode otherwise than the whole stream");
    return 0;
}
