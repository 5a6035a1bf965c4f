#include "timecode/TimecodeSettings.h"

#include "dmx/NetworkOutput.h"
#include "text/Text.h"

namespace tinctara {

namespace {

std::string read(SettingsStore& store, const char* key, const std::string& fallback)
{
    return store.read(TimecodeSettingsApplication, TimecodeSettingsGroup, key, fallback);
}

void write(SettingsStore& store, const char* key, const std::string& value)
{
    store.write(TimecodeSettingsApplication, TimecodeSettingsGroup, key, value);
}

int readNumber(SettingsStore& store, const char* key, int fallback, int low, int high)
{
    return numberInRange(read(store, key, std::to_string(fallback)), low, high).value_or(fallback);
}

}  // namespace

TimecodeSettings loadTimecodeSettings(SettingsStore& store)
{
    TimecodeSettings settings;
    settings.source = static_cast<TimecodeSource>(readNumber(store, "Source", 0, 0, 3));
    settings.rate =
        rateOfTimecodeCode(static_cast<unsigned>(readNumber(store, "Rate", timecodeRateCode(settings.rate), 0, 3)))
            .value_or(settings.rate);
    settings.offset =
        parseTimecode(read(store, "Offset", formatTimecode(settings.offset, settings.rate)), settings.rate)
            .value_or(settings.offset);
    settings.freewheelFrames = readNumber(store, "FreewheelFrames", FreewheelFramesDefault, 0, FreewheelFramesMax);
    settings.mode = static_cast<TimecodeMode>(readNumber(store, "Mode", 0, 0, 1));
    settings.ltcDevice = read(store, "LtcDevice", "");
    settings.sendArtNet = read(store, "SendArtNet", "0") == "1";
    settings.artNetTarget = read(store, "ArtNetTarget", "");
    if (!artNetTimecodeAddress(settings.artNetTarget))
        settings.artNetTarget.clear();
    settings.sendMtc = read(store, "SendMtc", "0") == "1";
    return settings;
}

void storeTimecodeSettings(SettingsStore& store, const TimecodeSettings& settings)
{
    write(store, "Source", std::to_string(static_cast<int>(settings.source)));
    write(store, "Rate", std::to_string(timecodeRateCode(settings.rate)));
    write(store, "Offset", formatTimecode(settings.offset, settings.rate));
    write(store, "FreewheelFrames", std::to_string(settings.freewheelFrames));
    write(store, "Mode", std::to_string(static_cast<int>(settings.mode)));
    write(store, "LtcDevice", settings.ltcDevice);
    write(store, "SendArtNet", settings.sendArtNet ? "1" : "0");
    write(store, "ArtNetTarget", settings.artNetTarget);
    write(store, "SendMtc", settings.sendMtc ? "1" : "0");
}

std::optional<std::uint32_t> artNetTimecodeAddress(const std::string& target)
{
    if (target.empty())
        return 0xFFFFFFFFu;
    return parseIpv4(target);
}

}  // namespace tinctara
