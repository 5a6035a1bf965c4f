#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tinctara {

// Where music comes from: blocks of mono samples (channels mixed down, -1..1)
// at the source's own sample rate. The analysis takes any rate, so nothing
// resamples.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int sampleRate() const = 0;
    // Fills the front of `out` and says how many samples it wrote; fewer than
    // asked only at the end or on a read error.
    virtual std::size_t read(std::span<float> out) = 0;
    // No more samples will come (the end, or a read error).
    virtual bool ended() const = 0;
    // Why reading stopped early, in the program's words; empty at a clean end.
    virtual const std::string& error() const = 0;
    // Another thread wants a read that waits for samples to return now
    // (sources that never wait ignore it).
    virtual void interrupt() {}
};

// Samples held in memory, for tests and for sounds the program makes itself.
class MemorySource final : public AudioSource {
public:
    MemorySource(std::vector<float> samples, int sampleRate);
    int sampleRate() const override { return rate_; }
    std::size_t read(std::span<float> out) override;
    bool ended() const override { return position_ >= samples_.size(); }
    const std::string& error() const override { return error_; }

private:
    std::vector<float> samples_;
    int rate_;
    std::size_t position_ = 0;
    std::string error_;
};

}  // namespace tinctara
