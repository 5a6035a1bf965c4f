#include "timecode/Ltc.h"

#include <ltc.h>

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

constexpr int QueueLength = 32;

double framesPerSecond(TimecodeRate rate)
{
    return rate == TimecodeRate::DropFrame2997 ? 30000.0 / 1001.0 : labelFramesPerSecond(rate);
}

LTC_TV_STANDARD standardOf(TimecodeRate rate)
{
    switch (rate) {
    case TimecodeRate::Film24:
        return LTC_TV_FILM_24;
    case TimecodeRate::Ebu25:
        return LTC_TV_625_50;
    case TimecodeRate::DropFrame2997:
    case TimecodeRate::Smpte30:
        break;
    }
    return LTC_TV_525_60;
}

TimecodeRate nearestRate(double samplesPerFrame, double sampleRate)
{
    const double fps = sampleRate / samplesPerFrame;
    if (fps < 24.5)
        return TimecodeRate::Film24;
    return fps < 27.5 ? TimecodeRate::Ebu25 : TimecodeRate::Smpte30;
}

}  // namespace

void LtcDecoder::Free::operator()(LTCDecoder* decoder) const { ltc_decoder_free(decoder); }

LtcDecoder::LtcDecoder(double sampleRate, TimecodeRate expected)
    : decoder_(ltc_decoder_create(static_cast<int>(std::lround(sampleRate / framesPerSecond(expected))), QueueLength)),
      sampleRate_(sampleRate)
{
}

LtcDecoder::~LtcDecoder() = default;

std::size_t LtcDecoder::write(std::span<const float> samples)
{
    const std::size_t count = std::min(samples.size(), block_.size());
    std::copy_n(samples.begin(), count, block_.begin());
    if (decoder_)
        ltc_decoder_write_float(decoder_.get(), block_.data(), count, position_);
    position_ += static_cast<std::int64_t>(count);
    return count;
}

std::optional<LtcFrame> LtcDecoder::read()
{
    LTCFrameExt ext;
    while (decoder_ && ltc_decoder_read(decoder_.get(), &ext) > 0) {
        SMPTETimecode smpte;
        ltc_frame_to_time(&smpte, &ext.ltc, 0);
        LtcFrame frame;
        frame.time = {smpte.hours, smpte.mins, smpte.secs, smpte.frame};
        frame.startSample = ext.off_start;
        frame.endSample = ext.off_end;
        frame.reverse = ext.reverse != 0;
        const double length = static_cast<double>(std::max<ltc_off_t>(1, ext.off_end - ext.off_start + 1));
        frame.rate = ext.ltc.dfbit ? TimecodeRate::DropFrame2997 : nearestRate(length, sampleRate_);
        // Offsets that end after the samples fed, or start after their end,
        // come from a signal that is no LTC; such a frame cannot be timed.
        const bool timed = frame.startSample <= frame.endSample && frame.endSample < position_;
        if (timed && isValid(frame.time, frame.rate))
            return frame;
    }
    return std::nullopt;
}

std::vector<float> encodeLtc(const Timecode& start, TimecodeRate rate, double sampleRate, int frames)
{
    std::vector<float> samples;
    LTCEncoder* encoder = ltc_encoder_create(sampleRate, framesPerSecond(rate), standardOf(rate), 0);
    if (!encoder)
        return samples;
    SMPTETimecode smpte{};
    std::copy_n("+0000", 6, smpte.timezone);
    smpte.hours = static_cast<unsigned char>(start.hours);
    smpte.mins = static_cast<unsigned char>(start.minutes);
    smpte.secs = static_cast<unsigned char>(start.seconds);
    smpte.frame = static_cast<unsigned char>(start.frames);
    ltc_encoder_set_timecode(encoder, &smpte);
    for (int i = 0; i < frames; ++i) {
        ltc_encoder_encode_frame(encoder);
        ltcsnd_sample_t* buffer = nullptr;
        const int count = ltc_encoder_get_bufferptr(encoder, &buffer, 1);
        for (int s = 0; s < count; ++s)
            samples.push_back((static_cast<float>(buffer[s]) - 128.0f) / 127.0f);
        ltc_encoder_inc_timecode(encoder);
    }
    ltc_encoder_free(encoder);
    return samples;
}

}  // namespace tinctara
