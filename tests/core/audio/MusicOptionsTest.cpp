#include "audio/MusicOptions.h"

#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

TEST(MusicOptions, StoredOptionsComeBackAndStayInTheirGroup)
{
    testing::FakeSettingsStore store;
    EXPECT_EQ(loadMusicOptions(store), MusicOptions{});  // no live audio, Pegel off
    EXPECT_EQ(MusicOptions{}.releaseTicks, 10);

    const MusicOptions chosen{"alsa_input.pci-0000_00_1b.0.analog-stereo", true, 35, 200, 0};
    storeMusicOptions(store, chosen);
    EXPECT_EQ(loadMusicOptions(store), chosen);
    EXPECT_EQ(store.values.at("TINCTARA/Music/Device"), chosen.device);
    EXPECT_EQ(store.values.at("TINCTARA/Music/Level"), "1");
    EXPECT_EQ(store.values.size(), 5u);
}

TEST(MusicOptions, BadValuesLoadAsDefaults)
{
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"Depth", "101"}, {"Depth", "-1"},    {"Depth", "x"},     {"Depth", ""},    {"Attack", "201"},
        {"Attack", "-5"}, {"Release", "1e3"}, {"Release", "12a"}, {"Level", "yes"}, {"Level", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testing::FakeSettingsStore store;
        storeMusicOptions(store, MusicOptions{"dev", true, 50, 7, 8});
        store.values[std::string("TINCTARA/Music/") + c.key] = c.value;
        MusicOptions expected{"dev", true, 50, 7, 8};
        if (std::string(c.key) == "Depth")
            expected.depth = 100;
        else if (std::string(c.key) == "Attack")
            expected.attackTicks = 0;
        else if (std::string(c.key) == "Release")
            expected.releaseTicks = 10;
        else
            expected.level = false;
        EXPECT_EQ(loadMusicOptions(store), expected);
    }
}

}  // namespace
}  // namespace tinctara
