#include "engine/FrameBuilder.h"
#include "model/InputPicture.h"

#include <gtest/gtest.h>

#include <array>

namespace tinctara {
namespace {

struct RecordingFrame final : FrameDestination {
    std::array<int, DmxChannels> levels{};
    RecordingFrame() { levels.fill(-1); }
    void writeLevel(int channel, std::uint8_t level) override { levels[channel - 1] = level; }
};

TEST(InputPicture, ColourForLevelTurnsTheCorrectionAround)
{
    struct Case {
        int level, correction, colour;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{0, 40, 0}, Case{1, 0, 1}, Case{1, 40, 41}, Case{215, 40, 255},
                          Case{216, 40, 255}, Case{255, 40, 255}, Case{255, 0, 255}, Case{1, 255, 255}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " correction " << c.correction);
        EXPECT_EQ(colourForLevel(static_cast<std::uint8_t>(c.level), static_cast<std::uint8_t>(c.correction)),
                  c.colour);
    }
}

// Recorded from the input and played back, a picture sends the levels that
// came in, wherever the correction lets it.
TEST(InputPicture, PlaysBackTheLevelsThatCameIn)
{
    ShowModel model;
    model.ElementCount = 3;
    // Element 1 straight, element 2 with corrections, element 3 shares
    // channel 1 with element 1's red and leaves white unpatched; one plane
    // points outside the universe.
    const int patch[3][4] = {{1, 2, 3, 4}, {10, 11, 12, 512}, {1, 20, 600, 0}};
    const int correction[3][4] = {{0, 0, 0, 0}, {10, 50, 0, 255}, {30, 0, 0, 0}};
    for (int e = 1; e <= 3; ++e)
        for (int p = Red; p <= White; ++p) {
            model.patch(e, p) = static_cast<std::uint16_t>(patch[e - 1][p - 1]);
            model.correction(e, p) = static_cast<std::uint8_t>(correction[e - 1][p - 1]);
        }
    model.colour(White, 3) = 99;  // replaced: the picture is the input's alone

    std::array<std::uint8_t, DmxChannels> input{};
    input[0] = 100;  // channel 1
    input[1] = 7;
    input[2] = 0;
    input[3] = 255;
    input[9] = 250;   // unreachable with correction 10: nearest is 245
    input[10] = 210;  // unreachable with correction 50: nearest is 205
    input[11] = 1;
    input[511] = 0;  // correction 255 sends 0 whatever the colour
    input[19] = 33;

    WallPicture picture;
    picture.fill(77);
    pictureFromInput(model, input, picture);
    EXPECT_EQ(picture[ShowModel::colourIndex(Red, 1)], 100);
    EXPECT_EQ(picture[ShowModel::colourIndex(Red, 2)], 255);
    EXPECT_EQ(picture[ShowModel::colourIndex(Green, 2)], 255);
    EXPECT_EQ(picture[ShowModel::colourIndex(White, 2)], 0);
    EXPECT_EQ(picture[ShowModel::colourIndex(Red, 3)], 130);
    EXPECT_EQ(picture[ShowModel::colourIndex(Blue, 3)], 0);   // outside the universe
    EXPECT_EQ(picture[ShowModel::colourIndex(White, 3)], 0);  // unpatched
    EXPECT_EQ(picture[ShowModel::colourIndex(Red, 4)], 0);    // not in use

    std::copy(picture.begin(), picture.end(), model.ElementColours.begin());
    RecordingFrame frame;
    MitKarteHold(model, frame);
    const std::array<std::pair<int, int>, 10> expected{
        {{1, 100}, {2, 7}, {3, 0}, {4, 255}, {10, 245}, {11, 205}, {12, 1}, {512, 0}, {20, 33}, {600, -1}}};
    for (const auto& [channel, level] : expected) {
        if (channel > DmxChannels)
            continue;
        SCOPED_TRACE(testing::Message() << "channel " << channel);
        EXPECT_EQ(frame.levels[channel - 1], level);
    }
}

}  // namespace
}  // namespace tinctara
