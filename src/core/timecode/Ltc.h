#pragma once

#include "timecode/Timecode.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct LTCDecoder;

namespace tinctara {

// One LTC frame heard in a signal.
struct LtcFrame {
    Timecode time;
    // The drop-frame bit says 29.97; otherwise the nearest of 24, 25 and 30
    // to the frame's length in samples.
    TimecodeRate rate = TimecodeRate::Ebu25;
    std::int64_t startSample = 0;  // where the frame began in the samples fed
    std::int64_t endSample = 0;
    bool reverse = false;  // the signal ran backwards
    friend bool operator==(const LtcFrame&, const LtcFrame&) = default;
};

// Reads LTC from mono samples (-1..1) at a sample rate, through libltc. The
// decoder follows the speed by itself; `expected` only sets where it starts
// looking. A frame whose label does not exist at its rate, or whose offsets
// do not lie within the samples fed, is dropped.
// Feeding allocates nothing.
class LtcDecoder {
public:
    explicit LtcDecoder(double sampleRate, TimecodeRate expected = TimecodeRate::Ebu25);
    ~LtcDecoder();
    LtcDecoder(const LtcDecoder&) = delete;
    LtcDecoder& operator=(const LtcDecoder&) = delete;

    template <typename Sink>
    void feed(std::span<const float> samples, Sink&& sink)
    {
        while (!samples.empty()) {
            const std::size_t count = write(samples);
            samples = samples.subspan(count);
            while (const auto frame = read())
                sink(*frame);
        }
    }

    // Samples fed so far.
    std::int64_t position() const { return position_; }

private:
    // Hands the decoder a block of the samples; how many it took.
    std::size_t write(std::span<const float> samples);
    std::optional<LtcFrame> read();

    struct Free {
        void operator()(LTCDecoder* decoder) const;
    };
    std::unique_ptr<LTCDecoder, Free> decoder_;
    double sampleRate_;
    std::int64_t position_ = 0;
    // libltc's writer takes a pointer to non-const samples; they go through here.
    std::array<float, 1024> block_{};
};

// An LTC signal of `frames` frames from `start` at `rate`, as mono samples
// at libltc's default level.
std::vector<float> encodeLtc(const Timecode& start, TimecodeRate rate, double sampleRate, int frames);

}  // namespace tinctara
