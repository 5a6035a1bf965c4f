// The LTC decoder, fed the input as unsigned 8-bit samples at 8 kHz. Beside
// any crash or read outside the samples: a frame whose label does not exist
// at its rate, or one that ends beyond the samples fed.
#include "FuzzRequire.h"
#include "timecode/Ltc.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "ltc_frame", what); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LtcDecoder decoder(8000);
    std::array<float, 512> samples{};
    for (std::size_t at = 0; at < size; at += samples.size()) {
        const std::size_t count = std::min(samples.size(), size - at);
        for (std::size_t i = 0; i < count; ++i)
            samples[i] = (static_cast<float>(data[at + i]) - 128.0f) / 128.0f;
        decoder.feed(std::span<const float>(samples.data(), count), [&](const LtcFrame& frame) {
            require(isValid(frame.time, frame.rate), "a label that does not exist");
            require(frame.endSample < decoder.position(), "a frame ending beyond the samples");
        });
    }
    return 0;
}
