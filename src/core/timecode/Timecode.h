#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// The four frame rates timecode runs at. 29.97 is always drop-frame here:
// non-drop 29.97 labels drift from the clock by 3.6 s an hour.
enum class TimecodeRate { Film24, Ebu25, DropFrame2997, Smpte30 };

// The rate's number where Art-Net and MIDI timecode carry one (0 24, 1 25,
// 2 29.97 drop-frame, 3 30), and back; nothing for a number beyond 3.
std::uint8_t timecodeRateCode(TimecodeRate rate);
std::optional<TimecodeRate> rateOfTimecodeCode(unsigned code);

// Frames a label counts per second (30 for drop-frame).
int labelFramesPerSecond(TimecodeRate rate);
bool isDropFrame(TimecodeRate rate);
// Frames from 00:00:00:00 to 24:00:00:00 (the labels a day has).
std::int64_t framesPerDay(TimecodeRate rate);

// A timecode label. Not every label exists: see isValid.
struct Timecode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    friend bool operator==(const Timecode&, const Timecode&) = default;
};

// Whether the label exists at `rate`: fields in range, and for drop-frame not
// frames 0 and 1 of a minute other than every tenth.
bool isValid(const Timecode& time, TimecodeRate rate);

// Frames since 00:00:00:00; nothing for a label that does not exist.
std::optional<std::int64_t> toFrameCount(const Timecode& time, TimecodeRate rate);
// The label of a frame count, wrapping at a day either way (-1 is the last
// frame of the day before).
Timecode fromFrameCount(std::int64_t frames, TimecodeRate rate);
// Milliseconds of real time from 00:00:00:00 to the frame's start, rounded
// down; drop-frame runs at 30000/1001 frames a second.
std::int64_t frameCountToMilliseconds(std::int64_t frames, TimecodeRate rate);
std::optional<std::int64_t> toMilliseconds(const Timecode& time, TimecodeRate rate);
// A frame's length in milliseconds, not rounded (1001/30 for drop-frame).
double frameMilliseconds(TimecodeRate rate);

// "HH:MM:SS:FF", with ";" before the frames for drop-frame.
std::string formatTimecode(const Timecode& time, TimecodeRate rate);
// Reads "HH:MM:SS:FF" or "HH:MM:SS;FF" (two digits each); nothing for another
// form or a label that does not exist at `rate`.
std::optional<Timecode> parseTimecode(std::string_view text, TimecodeRate rate);

}  // namespace tinctara
