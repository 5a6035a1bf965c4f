#include "audio/AudioSource.h"

#include <algorithm>

namespace tinctara {

MemorySource::MemorySource(std::vector<float> samples, int sampleRate) : samples_(std::move(samples)), rate_(sampleRate)
{
}

std::size_t MemorySource::read(std::span<float> out)
{
    const std::size_t count = std::min(out.size(), samples_.size() - position_);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(position_), count, out.begin());
    position_ += count;
    return count;
}

}  // namespace tinctara
