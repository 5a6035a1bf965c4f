#include "audio/MonoMix.h"

namespace tinctara {

std::size_t frameCount(const InterleavedSamples& samples, int channels)
{
    if (channels < 1)
        return 0;
    return std::visit([&](auto span) { return span.size() / static_cast<std::size_t>(channels); }, samples);
}

std::size_t mixToMono(const InterleavedSamples& samples, int channels, std::span<float> out)
{
    std::size_t written = 0;
    std::visit(
        [&](auto span) {
            const std::size_t frames = std::min(frameCount(samples, channels), out.size());
            mixFrames(span.first(frames * static_cast<std::size_t>(std::max(channels, 0))), channels,
                      [&](float sample) { out[written++] = sample; });
        },
        samples);
    return written;
}

}  // namespace tinctara
