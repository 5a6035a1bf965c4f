#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

namespace tinctara {

// A capture device's interleaved frames in one of the sample formats it
// may deliver.
using InterleavedSamples = std::variant<std::span<const std::uint8_t>, std::span<const std::int16_t>,
                                        std::span<const std::int32_t>, std::span<const float>>;

// One sample as -1..1: unsigned 8-bit is centred on 128, the signed
// integers scaled by their full range, floats over full scale clipped
// rather than passed on.
inline float unitSample(std::uint8_t sample) { return (static_cast<float>(sample) - 128.0F) / 128.0F; }
inline float unitSample(std::int16_t sample) { return static_cast<float>(sample) / 32768.0F; }
inline float unitSample(std::int32_t sample) { return static_cast<float>(sample) / 2147483648.0F; }
inline float unitSample(float sample) { return std::clamp(sample, -1.0F, 1.0F); }

// Each whole frame of `channels` samples averaged to one mono sample,
// handed to `sink` in order; a frame cut short at the end is left out.
template <typename Sample, typename Sink>
void mixFrames(std::span<const Sample> samples, int channels, Sink&& sink)
{
    if (channels < 1)
        return;
    const auto width = static_cast<std::size_t>(channels);
    for (std::size_t frame = 0; frame + width <= samples.size(); frame += width) {
        float sum = 0.0F;
        for (std::size_t channel = 0; channel < width; ++channel)
            sum += unitSample(samples[frame + channel]);
        sink(sum / static_cast<float>(channels));
    }
}

// The whole frames in `samples`.
std::size_t frameCount(const InterleavedSamples& samples, int channels);
// The frames mixed to mono into `out`, as many as fit; how many were written.
std::size_t mixToMono(const InterleavedSamples& samples, int channels, std::span<float> out);

}  // namespace tinctara
