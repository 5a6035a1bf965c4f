#include "timecode/TimecodeSettings.h"

#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

#include <functional>

namespace tinctara {
namespace {

TEST(TimecodeSettings, EachStoredValueLoadsOrFallsBackAlone)
{
    using Expect = std::function<void(TimecodeSettings&)>;
    const struct {
        const char* key;
        const char* value;
        Expect expect;  // what differs from the defaults
    } cases[] = {
        {"Source", "2", [](auto& s) { s.source = TimecodeSource::Mtc; }},
        {"Source", "4", {}},
        {"Source", "-1", {}},
        {"Source", "LTC", {}},
        {"Rate", "0", [](auto& s) { s.rate = TimecodeRate::Film24; }},
        {"Rate", "3", [](auto& s) { s.rate = TimecodeRate::Smpte30; }},
        {"Rate", "4", {}},
        {"Rate", "", {}},
        {"Offset", "00:59:30:24",
         [](auto& s) {
             s.offset = {0, 59, 30, 24};
         }},
        {"Offset", "00:59:30:25", {}},  // no frame 25 at 25 fps
        {"Offset", "0:59:30:24", {}},
        {"Offset", "24:00:00:00", {}},
        {"Offset", "", {}},
        {"FreewheelFrames", "0", [](auto& s) { s.freewheelFrames = 0; }},
        {"FreewheelFrames", "250", [](auto& s) { s.freewheelFrames = 250; }},
        {"FreewheelFrames", "251", {}},
        {"FreewheelFrames", "-1", {}},
        {"FreewheelFrames", "zehn", {}},
        {"Mode", "1", [](auto& s) { s.mode = TimecodeMode::StartAt; }},
        {"Mode", "2", {}},
        {"LtcDevice", "alsa_input.usb", [](auto& s) { s.ltcDevice = "alsa_input.usb"; }},
        {"SendArtNet", "1", [](auto& s) { s.sendArtNet = true; }},
        {"SendArtNet", "true", {}},
        {"ArtNetTarget", "192.168.1.20", [](auto& s) { s.artNetTarget = "192.168.1.20"; }},
        {"ArtNetTarget", "192.168.1", {}},
        {"ArtNetTarget", "pult", {}},
        {"SendMtc", "1", [](auto& s) { s.sendMtc = true; }},
        {"SendMtc", "2", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testing::FakeSettingsStore store;
        store.write("TINCTARA", "Timecode", c.key, c.value);
        TimecodeSettings expected;
        if (c.expect)
            c.expect(expected);
        EXPECT_EQ(loadTimecodeSettings(store), expected);
    }
}

TEST(TimecodeSettings, TheOffsetIsReadAtTheStoredRate)
{
    const struct {
        const char* rate;
        const char* offset;
        Timecode expected;
    } cases[] = {
        {"2", "00:10:00;00", {0, 10, 0, 0}}, {"2", "00:10:00:00", {0, 10, 0, 0}},  // either mark before the frames
        {"2", "00:01:00;00", {1, 0, 0, 0}},                                        // dropped at 29.97
        {"1", "00:01:00;00", {0, 1, 0, 0}},  {"0", "01:00:00:24", {1, 0, 0, 0}},  {"3", "01:00:00:29", {1, 0, 0, 29}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.offset) + " at rate " + c.rate);
        testing::FakeSettingsStore store;
        store.write("TINCTARA", "Timecode", "Rate", c.rate);
        store.write("TINCTARA", "Timecode", "Offset", c.offset);
        EXPECT_EQ(loadTimecodeSettings(store).offset, c.expected);
    }
}

}  // namespace
}  // namespace tinctara
