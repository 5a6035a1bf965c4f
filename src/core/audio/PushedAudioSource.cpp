#include "audio/PushedAudioSource.h"

#include <algorithm>
#include <bit>

namespace tinctara {

PushedAudioSource::PushedAudioSource(int sampleRate, std::size_t capacitySamples)
    : rate_(sampleRate), ring_(std::bit_ceil(std::max<std::size_t>(capacitySamples, 2))), mask_(ring_.size() - 1)
{
}

bool PushedAudioSource::write(float sample, std::size_t& head, std::size_t tail)
{
    if (head - tail == ring_.size()) {
        return false;
    }
    ring_[head & mask_] = sample;
    ++head;
    return true;
}

void PushedAudioSource::published(std::size_t head)
{
    head_.store(head, std::memory_order_release);
    signal_.fetch_add(1, std::memory_order_release);
    signal_.notify_one();
}

void PushedAudioSource::push(std::span<const float> samples) { pushInterleaved(samples, 1); }

template <typename Sample>
void PushedAudioSource::pushFrames(std::span<const Sample> samples, int channels)
{
    if (channels < 1 || closed_.load(std::memory_order_relaxed)) {
        return;
    }
    std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    std::uint64_t dropped = 0;
    mixFrames(samples, channels, [&](float sample) {
        if (!write(sample, head, tail)) {
            ++dropped;
        }
    });
    if (dropped > 0) {
        dropped_.fetch_add(dropped, std::memory_order_relaxed);
    }
    published(head);
}

void PushedAudioSource::pushInterleaved(std::span<const float> samples, int channels) { pushFrames(samples, channels); }

void PushedAudioSource::pushInterleaved(std::span<const std::int16_t> samples, int channels)
{
    pushFrames(samples, channels);
}

void PushedAudioSource::pushInterleaved(std::span<const std::int32_t> samples, int channels)
{
    pushFrames(samples, channels);
}

void PushedAudioSource::pushInterleaved(std::span<const std::uint8_t> samples, int channels)
{
    pushFrames(samples, channels);
}

void PushedAudioSource::pushInterleaved(const InterleavedSamples& samples, int channels)
{
    std::visit([&](auto span) { pushFrames(span, channels); }, samples);
}

void PushedAudioSource::close()
{
    closed_.store(true, std::memory_order_release);
    signal_.fetch_add(1, std::memory_order_release);
    signal_.notify_all();
}

bool PushedAudioSource::ended() const
{
    return closed_.load(std::memory_order_acquire) &&
           head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_relaxed);
}

std::size_t PushedAudioSource::read(std::span<float> out)
{
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    std::size_t head = head_.load(std::memory_order_acquire);
    while (head - tail < out.size()) {
        const std::uint32_t seen = signal_.load(std::memory_order_acquire);
        head = head_.load(std::memory_order_acquire);
        if (head - tail >= out.size()) {
            break;
        }
        if (closed_.load(std::memory_order_acquire)) {
            break;
        }
        signal_.wait(seen, std::memory_order_acquire);
        head = head_.load(std::memory_order_acquire);
    }
    const std::size_t count = std::min(out.size(), head - tail);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = ring_[(tail + i) & mask_];
    }
    tail_.store(tail + count, std::memory_order_release);
    return count;
}

}  // namespace tinctara
