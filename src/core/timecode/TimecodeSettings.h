#pragma once

#include "platform/Environment.h"
#include "timecode/Timecode.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tinctara {

// Where the show's clock comes from. None: the program runs on its own tick.
enum class TimecodeSource { None, ArtNet, Mtc, Ltc };
// Chase: the sequence follows every move of the timecode. StartAt: the
// timecode only starts it, then it runs on its own tick.
enum class TimecodeMode { Chase, StartAt };

inline constexpr int FreewheelFramesDefault = 10;
inline constexpr int FreewheelFramesMax = 250;

// Following and leading timecode, as the user chose them. Kept in the
// per-user settings store, group "Timecode"; TINCTARA.ini keeps its layout.
struct TimecodeSettings {
    TimecodeSource source = TimecodeSource::None;
    // The label at which the sequence's tick 0 (ZERO, then PLAY) falls.
    Timecode offset{1, 0, 0, 0};
    // The rate of the offset's label and of the timecode sent.
    TimecodeRate rate = TimecodeRate::Ebu25;
    // Frames the sequence runs on by itself after the timecode stopped
    // coming, before the wall holds.
    int freewheelFrames = FreewheelFramesDefault;
    TimecodeMode mode = TimecodeMode::Chase;
    // The audio input LTC is heard on (a capture device's id); empty: none.
    std::string ltcDevice;
    // Leading: Art-Net OpTimeCode from the own tick while a sequence plays,
    // to the address (dotted IPv4) or, empty, as a broadcast.
    bool sendArtNet = false;
    std::string artNetTarget;
    // Leading: MIDI timecode on the MIDI output port.
    bool sendMtc = false;
    friend bool operator==(const TimecodeSettings&, const TimecodeSettings&) = default;
};

inline constexpr const char* TimecodeSettingsApplication = "TINCTARA";
inline constexpr const char* TimecodeSettingsGroup = "Timecode";

// A value out of range or unreadable falls back to its default; an offset
// that does not exist at the stored rate is 01:00:00:00.
TimecodeSettings loadTimecodeSettings(SettingsStore& store);
void storeTimecodeSettings(SettingsStore& store, const TimecodeSettings& settings);

// The address Art-Net timecode goes to: the limited broadcast for an empty
// target, else the dotted IPv4 address; nothing for a target that is neither.
std::optional<std::uint32_t> artNetTimecodeAddress(const std::string& target);

}  // namespace tinctara
