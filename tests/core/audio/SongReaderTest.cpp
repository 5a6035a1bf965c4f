#include "audio/SongReader.h"
#include "support/ClickTrack.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <limits>
#include <vector>

namespace tinctara {
namespace {

std::unique_ptr<SongReader> openSong(const std::string& path)
{
    SongOpened opened = SongReader::open(path);
    if (auto* error = std::get_if<std::string>(&opened)) {
        ADD_FAILURE() << *error;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SongReader>>(opened));
}

// A stereo float file whose left and right differ comes out interleaved at
// its own channels and rate, in 16 bits, whatever pieces it is read in
// (across the decoder's chunks too); out-of-range and non-finite samples
// are held to full scale and silence.
TEST(SongReader, HandsOutTheFileFramesInAnyPieces)
{
    testing::AudioFolder folder;
    constexpr int Frames = 5000;
    std::vector<float> stereo;
    for (int i = 0; i < Frames; ++i) {
        stereo.push_back(std::sin(static_cast<float>(i) * 0.01F) * 0.5F);
        stereo.push_back(i % 2 == 0 ? 0.25F : -0.25F);
    }
    stereo[20] = 3.0F;
    stereo[21] = -3.0F;
    stereo[22] = std::numeric_limits<float>::quiet_NaN();
    const std::string path = folder.path("stereo.wav");
    ASSERT_TRUE(testing::writeSoundFile(path, stereo, 22050, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT));

    for (const std::size_t piece : {std::size_t{7}, std::size_t{512}, std::size_t{9001}}) {
        SCOPED_TRACE(piece);
        auto song = openSong(path);
        ASSERT_TRUE(song);
        EXPECT_EQ(song->sampleRate(), 22050);
        EXPECT_EQ(song->channels(), 2);
        EXPECT_EQ(song->bytesPerFrame(), 4U);
        std::vector<std::int16_t> all;
        std::vector<std::int16_t> buffer(piece);  // odd sizes: only whole frames
        while (!song->ended()) {
            const std::size_t frames = song->read(buffer);
            ASSERT_LE(frames * 2, piece);
            all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(frames * 2));
        }
        ASSERT_EQ(all.size(), stereo.size());
        EXPECT_EQ(song->framesRead(), Frames);
        EXPECT_EQ(all[20], 32767);
        EXPECT_EQ(all[21], -32767);
        EXPECT_EQ(all[22], 0);
        for (std::size_t i = 24; i < all.size(); ++i)
            ASSERT_EQ(all[i], toSample16(stereo[i])) << i;
        EXPECT_EQ(song->read(buffer), 0U);
        EXPECT_EQ(song->error(), "");
    }
}

TEST(SongReader, RefusesWithTheProgramText)
{
    testing::AudioFolder folder;
    const std::string path = folder.path("nichts.wav");
    SongOpened opened = SongReader::open(path);
    ASSERT_TRUE(std::holds_alternative<std::string>(opened));
    EXPECT_EQ(std::get<std::string>(opened).rfind("Die Audiodatei " + path + " kann nicht gelesen werden: ", 0), 0U);
}

}  // namespace
}  // namespace tinctara
