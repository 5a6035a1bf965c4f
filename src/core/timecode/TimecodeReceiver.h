#pragma once

#include "timecode/Ltc.h"
#include "timecode/Mtc.h"
#include "timecode/TimecodeChaser.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tinctara {

// The three doors timecode comes in by, each through its decoder into the
// chaser, with the time each label's frame began: an OpTimeCode datagram
// as it arrives, MIDI bytes (the last quarter frame comes a quarter frame
// before the frame the decoder reports), and LTC samples (a frame is heard
// whole only at its end).
class TimecodeReceiver {
public:
    explicit TimecodeReceiver(TimecodeChaser& chaser) : chaser_(chaser) {}
    ~TimecodeReceiver();

    // A datagram from the Art-Net port; other packets are passed over.
    // Only the master stream (id 0) is followed.
    void artNetDatagram(std::span<const std::uint8_t> datagram, double arrivedMs);
    // MIDI bytes as they were read.
    void midiBytes(std::span<const std::uint8_t> bytes, double arrivedMs);
    // Mono samples (-1..1); `endMs`: when the last of them was heard. A new
    // sample rate starts a new decoder.
    void ltcSamples(std::span<const float> samples, double sampleRate, double endMs);

    // Labels handed to the chaser so far.
    std::uint64_t labels() const { return labels_; }

private:
    void heard(const Timecode& time, TimecodeRate rate, double atMs, bool locate = false);

    TimecodeChaser& chaser_;
    MtcDecoder mtc_;
    std::unique_ptr<LtcDecoder> ltc_;
    double ltcRate_ = 0.0;
    std::uint64_t labels_ = 0;
};

}  // namespace tinctara
