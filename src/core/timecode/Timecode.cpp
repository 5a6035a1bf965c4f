#include "timecode/Timecode.h"

#include <cstdio>
#include <iterator>

namespace tinctara {

namespace {

// Drop-frame skips labels 0 and 1 of every minute but each tenth: a minute
// holds 1798 frames, ten minutes 17982.
constexpr std::int64_t DroppedPerMinute = 2;
constexpr std::int64_t DropFramesPerMinute = 60 * 30 - DroppedPerMinute;
constexpr std::int64_t DropFramesPerTenMinutes = 10 * 60 * 30 - 9 * DroppedPerMinute;

std::int64_t floorMod(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

constexpr TimecodeRate RateOfCode[] = {TimecodeRate::Film24, TimecodeRate::Ebu25, TimecodeRate::DropFrame2997,
                                       TimecodeRate::Smpte30};

}  // namespace

std::uint8_t timecodeRateCode(TimecodeRate rate)
{
    for (std::uint8_t code = 0; code < std::size(RateOfCode); ++code)
        if (RateOfCode[code] == rate)
            return code;
    return 1;
}

std::optional<TimecodeRate> rateOfTimecodeCode(unsigned code)
{
    if (code >= std::size(RateOfCode))
        return std::nullopt;
    return RateOfCode[code];
}

int labelFramesPerSecond(TimecodeRate rate)
{
    switch (rate) {
    case TimecodeRate::Film24:
        return 24;
    case TimecodeRate::Ebu25:
        return 25;
    case TimecodeRate::DropFrame2997:
    case TimecodeRate::Smpte30:
        break;
    }
    return 30;
}

bool isDropFrame(TimecodeRate rate) { return rate == TimecodeRate::DropFrame2997; }

std::int64_t framesPerDay(TimecodeRate rate)
{
    if (isDropFrame(rate))
        return 24 * 6 * DropFramesPerTenMinutes;
    return std::int64_t{24} * 3600 * labelFramesPerSecond(rate);
}

bool isValid(const Timecode& t, TimecodeRate rate)
{
    if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59 || t.seconds < 0 || t.seconds > 59 ||
        t.frames < 0 || t.frames >= labelFramesPerSecond(rate))
        return false;
    return !(isDropFrame(rate) && t.seconds == 0 && t.frames < DroppedPerMinute && t.minutes % 10 != 0);
}

std::optional<std::int64_t> toFrameCount(const Timecode& t, TimecodeRate rate)
{
    if (!isValid(t, rate))
        return std::nullopt;
    const std::int64_t seconds = (std::int64_t{t.hours} * 60 + t.minutes) * 60 + t.seconds;
    std::int64_t frames = seconds * labelFramesPerSecond(rate) + t.frames;
    if (isDropFrame(rate)) {
        const std::int64_t minutes = std::int64_t{t.hours} * 60 + t.minutes;
        frames -= DroppedPerMinute * (minutes - minutes / 10);
    }
    return frames;
}

Timecode fromFrameCount(std::int64_t frames, TimecodeRate rate)
{
    frames = floorMod(frames, framesPerDay(rate));
    if (isDropFrame(rate)) {
        // Put the skipped labels back, then count as at 30.
        const std::int64_t tens = frames / DropFramesPerTenMinutes;
        const std::int64_t within = frames % DropFramesPerTenMinutes;
        frames += 9 * DroppedPerMinute * tens;
        if (within >= DroppedPerMinute)
            frames += DroppedPerMinute * ((within - DroppedPerMinute) / DropFramesPerMinute);
    }
    const int fps = labelFramesPerSecond(rate);
    Timecode t;
    t.frames = static_cast<int>(frames % fps);
    const std::int64_t seconds = frames / fps;
    t.seconds = static_cast<int>(seconds % 60);
    t.minutes = static_cast<int>(seconds / 60 % 60);
    t.hours = static_cast<int>(seconds / 3600);
    return t;
}

std::int64_t frameCountToMilliseconds(std::int64_t frames, TimecodeRate rate)
{
    // Whole numbers throughout: a day of frames times 1001 fits easily.
    const std::int64_t numerator = frames * (isDropFrame(rate) ? 1001 : 1000);
    const std::int64_t denominator = labelFramesPerSecond(rate);
    return numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
}

std::optional<std::int64_t> toMilliseconds(const Timecode& time, TimecodeRate rate)
{
    const auto frames = toFrameCount(time, rate);
    if (!frames)
        return std::nullopt;
    return frameCountToMilliseconds(*frames, rate);
}

double frameMilliseconds(TimecodeRate rate)
{
    return (isDropFrame(rate) ? 1001.0 : 1000.0) / labelFramesPerSecond(rate);
}

std::string formatTimecode(const Timecode& t, TimecodeRate rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds,
                  isDropFrame(rate) ? ';' : ':', t.frames);
    return text;
}

std::optional<Timecode> parseTimecode(std::string_view text, TimecodeRate rate)
{
    if (text.size() != 11)
        return std::nullopt;
    int fields[4] = {};
    for (int i = 0; i < 4; ++i) {
        const char high = text[i * 3];
        const char low = text[i * 3 + 1];
        if (high < '0' || high > '9' || low < '0' || low > '9')
            return std::nullopt;
        fields[i] = (high - '0') * 10 + (low - '0');
        if (i < 3) {
            const char separator = text[i * 3 + 2];
            if (separator != ':' && !(i == 2 && separator == ';'))
                return std::nullopt;
        }
    }
    const Timecode t{fields[0], fields[1], fields[2], fields[3]};
    if (!isValid(t, rate))
        return std::nullopt;
    return t;
}

}  // namespace tinctara
