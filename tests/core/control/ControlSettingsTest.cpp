#include "control/ControlSettings.h"

#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

TEST(ControlSettings, OscAndMidiSettingsComeBackAsStoredAndBadValuesFallBack)
{
    testing::FakeSettingsStore store;
    EXPECT_EQ(loadOscSettings(store), OscSettings{});
    EXPECT_EQ(loadMidiSettings(store), MidiSettings{});

    const OscSettings osc{true, "192.168.1.20", 7000, 9001, "192.168.1.5:53000"};
    const MidiSettings midi{true,
                            "Pads:Port 1",
                            5,
                            {{ShowAction::Kind::Play, 0, MidiTrigger::Note, 1, 60},
                             {ShowAction::Kind::Mix, 4, MidiTrigger::Control, 16, 7},
                             {ShowAction::Kind::Memory, 11, MidiTrigger::Program, 2, 127}}};
    storeOscSettings(store, osc);
    storeMidiSettings(store, midi);
    EXPECT_EQ(loadOscSettings(store), osc);
    EXPECT_EQ(loadMidiSettings(store), midi);
    // Only the user's store: nothing under another application's name.
    for (const auto& [key, value] : store.values)
        EXPECT_EQ(key.rfind("TINCTARA/", 0), 0u) << key;

    store.values["TINCTARA/Osc/Port"] = "70000";
    store.values["TINCTARA/Osc/FeedbackPort"] = "9x";
    store.values["TINCTARA/Osc/Address"] = "";
    store.values["TINCTARA/Midi/DeviceId"] = "128";
    EXPECT_EQ(loadOscSettings(store).port, 8000);
    EXPECT_EQ(loadOscSettings(store).feedbackPort, 9000);
    EXPECT_EQ(loadOscSettings(store).address, "127.0.0.1");
    EXPECT_EQ(loadMidiSettings(store).deviceId, 127);
}

TEST(ControlSettings, BindingsThatCannotBeReadAreSkippedAndTheRestKept)
{
    const auto bindings = parseBindings("play,0,note,1,60;"   // kept
                                        "mix,5,cc,1,7;"       // there is no fifth plane
                                        "tap,0,note,1,1;"     // tap needs an element
                                        "user,3,cc,17,1;"     // channel 17
                                        "stop,0,note,1,128;"  // key 128
                                        "dance,0,note,1,1;"   // no such action
                                        "back,0,sysex,1,1;"   // no such trigger
                                        "forward,0,note,1;"   // a field short
                                        "all,0,note,1,2,3;"   // a field over
                                        ";;"
                                        "user,20,pc,16,0");  // kept
    ASSERT_EQ(bindings.size(), 2u);
    EXPECT_EQ(bindings[0], (MidiBinding{ShowAction::Kind::Play, 0, MidiTrigger::Note, 1, 60}));
    EXPECT_EQ(bindings[1], (MidiBinding{ShowAction::Kind::User, 20, MidiTrigger::Program, 16, 0}));

    const auto tempo = parseBindings("tempo,0,note,2,36");
    ASSERT_EQ(tempo.size(), 1u) << "the tempo's tap binds as the other actions do";
    EXPECT_EQ(tempo[0], (MidiBinding{ShowAction::Kind::TapTempo, 0, MidiTrigger::Note, 2, 36}));
    EXPECT_EQ(bindingsText(tempo), "tempo,0,note,2,36");

    std::string many;
    for (int index = 0; index < 200; ++index)
        many += "play,0,note,1," + std::to_string(index % 128) + ";";
    EXPECT_EQ(parseBindings(many).size(), MidiBindingLimit);
    EXPECT_EQ(parseBindings(bindingsText(parseBindings(many))).size(), MidiBindingLimit);
}

TEST(ControlSettings, OnlyLoopbackNeedsNoWarning)
{
    EXPECT_TRUE(isLoopbackAddress("127.0.0.1"));
    EXPECT_TRUE(isLoopbackAddress("127.1.2.3"));
    EXPECT_FALSE(isLoopbackAddress("0.0.0.0"));
    EXPECT_FALSE(isLoopbackAddress("192.168.1.127"));
}

}  // namespace
}  // namespace tinctara
