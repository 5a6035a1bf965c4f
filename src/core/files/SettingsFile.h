#pragma once

#include "model/ShowModel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

struct SettingsOptions {
    std::uint32_t savedOptions = 0;  // the StateFlags word of the last run
    std::int32_t wallZoom = 0;
};

// The four sections of TINCTARA.ini as read; an empty optional is a section
// that could not be read (missing, cut short or with a value out of range).
struct SettingsFileSections {
    std::optional<std::array<std::int16_t, DmxTimingValues>> dmxTiming;
    std::optional<SettingsOptions> options;
    std::optional<std::array<std::string, 4>> files;  // configuration, scene, sequence, colour table
    std::optional<std::array<std::int32_t, WindowSlots * WindowFields>> windowPositions;
};

SettingsFileSections parseSettingsFile(std::string_view windows1252Bytes);
SettingsFileSections readSettingsFile(const std::string& path);

// The file's bytes: header, [DMXINI], [OPTIONS] with the given state word,
// [FILES] and [WINDOWSPOS], Windows-1252 with CR LF.
std::string settingsFileBytes(const ShowModel& model, std::uint32_t stateFlags);
bool writeSettingsFile(const std::string& path, const ShowModel& model, std::uint32_t stateFlags);

}  // namespace tinctara
