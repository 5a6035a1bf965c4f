#pragma once

#include "audio/AudioSource.h"
#include "audio/MonoMix.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tinctara {

// Live audio: the capture side pushes samples as the device delivers them,
// the analysis thread reads them in hops and waits while too few are there.
// One pushing and one reading thread; no lock, and nothing allocated after
// it is made. What does not fit (the reader fell behind by the whole ring)
// is dropped and counted, so capture never waits.
class PushedAudioSource final : public AudioSource {
public:
    PushedAudioSource(int sampleRate, std::size_t capacitySamples);

    // Capture side: mono samples, or interleaved frames of `channels`
    // channels in the device's format, averaged to mono.
    void push(std::span<const float> samples);
    void pushInterleaved(std::span<const float> samples, int channels);
    void pushInterleaved(std::span<const std::int16_t> samples, int channels);
    void pushInterleaved(std::span<const std::int32_t> samples, int channels);
    void pushInterleaved(std::span<const std::uint8_t> samples, int channels);
    void pushInterleaved(const InterleavedSamples& samples, int channels);
    // No more samples: the reader gets what is left, then the end.
    void close();
    std::uint64_t droppedSamples() const { return dropped_.load(std::memory_order_relaxed); }

    int sampleRate() const override { return rate_; }
    std::size_t read(std::span<float> out) override;
    bool ended() const override;
    const std::string& error() const override { return error_; }
    void interrupt() override { close(); }

private:
    template <typename Sample>
    void pushFrames(std::span<const Sample> samples, int channels);
    bool write(float sample, std::size_t& head, std::size_t tail);
    void published(std::size_t head);

    int rate_;
    std::vector<float> ring_;  // a power of two
    std::size_t mask_;
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
    // Bumped on every push and on close: the reader waits on it.
    std::atomic<std::uint32_t> signal_{0};
    std::atomic<bool> closed_{false};
    std::atomic<std::uint64_t> dropped_{0};
    std::string error_;
};

}  // namespace tinctara
