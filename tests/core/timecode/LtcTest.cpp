#include "timecode/Ltc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tinctara {
namespace {

constexpr TimecodeRate Df() { return TimecodeRate::DropFrame2997; }

std::vector<LtcFrame> decodeInPieces(const std::vector<float>& samples, double sampleRate, TimecodeRate expected,
                                     std::size_t piece)
{
    LtcDecoder decoder(sampleRate, expected);
    std::vector<LtcFrame> frames;
    const std::span<const float> all(samples);
    for (std::size_t at = 0; at < all.size(); at += piece)
        decoder.feed(all.subspan(at, std::min(piece, all.size() - at)),
                     [&](const LtcFrame& f) { frames.push_back(f); });
    EXPECT_EQ(decoder.position(), static_cast<std::int64_t>(samples.size()));
    return frames;
}

TEST(Ltc, EveryEncodedFrameComesBackInOrder)
{
    struct Case {
        std::string name;
        Timecode start;
        TimecodeRate rate;
        double sampleRate;
        int frames;
        std::size_t piece;
    };
    const Case cases[] = {
        {"5 s at 25", {10, 0, 0, 0}, TimecodeRate::Ebu25, 48000, 125, 4096},
        {"24 at 44.1 kHz in odd pieces", {0, 59, 59, 0}, TimecodeRate::Film24, 44100, 48, 777},
        {"30 over midnight", {23, 59, 59, 10}, TimecodeRate::Smpte30, 48000, 40, 1024},
        {"drop-frame over a minute", {0, 0, 59, 15}, Df(), 48000, 40, 480},
        {"drop-frame over ten minutes", {0, 9, 59, 15}, Df(), 48000, 40, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A frame ends where the next one's sync word starts: one more
        // frame than is checked.
        const std::vector<float> signal = encodeLtc(c.start, c.rate, c.sampleRate, c.frames + 1);
        const double samplesPerFrame =
            c.sampleRate / (c.rate == Df() ? 30000.0 / 1001.0 : labelFramesPerSecond(c.rate));
        ASSERT_NEAR(static_cast<double>(signal.size()), samplesPerFrame * (c.frames + 1), samplesPerFrame);

        const auto frames = decodeInPieces(signal, c.sampleRate, c.rate, c.piece);
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.frames));
        const std::int64_t first = *toFrameCount(c.start, c.rate);
        std::int64_t previousEnd = -1;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(frames[i].time, fromFrameCount(first + static_cast<std::int64_t>(i), c.rate));
            EXPECT_EQ(frames[i].rate, c.rate);
            EXPECT_FALSE(frames[i].reverse);
            EXPECT_GT(frames[i].endSample, previousEnd);
            EXPECT_NEAR(static_cast<double>(frames[i].endSample), samplesPerFrame * static_cast<double>(i + 1),
                        samplesPerFrame / 4);
            previousEnd = frames[i].endSample;
        }
    }
}

// Bytes the fuzzer found, as it feeds them (unsigned 8-bit at 8 kHz, 512 at
// a time): the decoder reported a frame ending after the last sample fed.
TEST(Ltc, EveryFrameLiesWithinTheSamplesFed)
{
    std::ifstream in(std::filesystem::path(TINCTARA_TEST_DATA_DIR) / "ltc" / "late_end_8k.u8", std::ios::binary);
    std::vector<float> samples;
    for (int byte = in.get(); byte != EOF; byte = in.get())
        samples.push_back((static_cast<float>(byte) - 128.0f) / 128.0f);
    ASSERT_FALSE(samples.empty());
    LtcDecoder decoder(8000);
    const std::span<const float> all(samples);
    for (std::size_t at = 0; at < all.size(); at += 512)
        decoder.feed(all.subspan(at, std::min<std::size_t>(512, all.size() - at)), [&](const LtcFrame& frame) {
            EXPECT_LE(frame.startSample, frame.endSample);
            EXPECT_LT(frame.endSample, decoder.position());
        });
}

TEST(Ltc, NoiseAndSilenceGiveNoFrames)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> level(-1.0f, 1.0f);
    std::vector<float> noise(48000 * 2);
    for (float& sample : noise)
        sample = level(random);
    EXPECT_TRUE(decodeInPieces(noise, 48000, TimecodeRate::Ebu25, 1000).empty());
    EXPECT_TRUE(decodeInPieces(std::vector<float>(48000, 0.0f), 48000, TimecodeRate::Ebu25, 1000).empty());
}

}  // namespace
}  // namespace tinctara
