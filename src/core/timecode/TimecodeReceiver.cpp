#include "timecode/TimecodeReceiver.h"

#include "timecode/ArtTimecode.h"

namespace tinctara {

TimecodeReceiver::~TimecodeReceiver() = default;

void TimecodeReceiver::heard(const Timecode& time, TimecodeRate rate, double atMs, bool locate)
{
    ++labels_;
    chaser_.heard(time, rate, atMs, locate);
}

void TimecodeReceiver::artNetDatagram(std::span<const std::uint8_t> datagram, double arrivedMs)
{
    const ArtTimecodeDecoded decoded = decodeArtTimecode(datagram);
    if (const auto* time = std::get_if<ArtTimecode>(&decoded); time && time->streamId == 0)
        heard(time->time, time->rate, arrivedMs);
}

void TimecodeReceiver::midiBytes(std::span<const std::uint8_t> bytes, double arrivedMs)
{
    mtc_.feed(bytes, [&](const MtcTime& time) {
        const double quarter =
            time.fullFrame || time.direction != MtcDirection::Forwards ? 0.0 : frameMilliseconds(time.rate) / 4.0;
        heard(time.time, time.rate, arrivedMs + quarter, time.fullFrame);
    });
}

void TimecodeReceiver::ltcSamples(std::span<const float> samples, double sampleRate, double endMs)
{
    if (!(sampleRate > 0.0))
        return;
    if (!ltc_ || ltcRate_ != sampleRate) {
        ltc_ = std::make_unique<LtcDecoder>(sampleRate, chaser_.settings().rate);
        ltcRate_ = sampleRate;
    }
    const std::int64_t end = ltc_->position() + static_cast<std::int64_t>(samples.size());
    ltc_->feed(samples, [&](const LtcFrame& frame) {
        // The frame's label belongs to the time its first bit began.
        const double startMs = endMs - static_cast<double>(end - frame.startSample) * 1000.0 / sampleRate;
        if (!frame.reverse)
            heard(frame.time, frame.rate, startMs);
    });
}

}  // namespace tinctara
