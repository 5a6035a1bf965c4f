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

// How one section of TINCTARA.ini was read.
template <typename Values>
struct SettingsSection {
    bool failed = false;           // missing, cut short or a value out of range
    std::optional<Values> values;  // empty when failed or when the file ends after its first line
};

struct SettingsFileSections {
    SettingsSection<std::array<std::int16_t, DmxTimingValues>> dmxTiming;
    SettingsSection<SettingsOptions> options;
    SettingsSection<std::array<std::string, 4>> files;  // configuration, scene, sequence, colour table
    SettingsSection<std::array<std::int32_t, WindowSlots * WindowFields>> windowPositions;  // in the model's order
    // The file is there but too large or holds only blanks: no section was
    // read, and the load as a whole fails ("Fehler beim Laden der TINCTARA.INI").
    bool unreadable = false;
};

SettingsFileSections parseSettingsFile(std::string bytes);
// A file that cannot be opened, or has 0 bytes, fails every section.
SettingsFileSections readSettingsFile(const std::string& path);

// The settings file's bytes with every [FILES] name that lies below the
// folder `from` moved below `to` (both without a trailing "/"); everything
// else stays byte for byte. For a settings file copied into another program
// folder, so that it names the copies of its shows.
std::string moveSettingsFileNames(std::string_view bytes, std::string_view from, std::string_view to);

// The file's bytes: header, [DMXINI], [OPTIONS] with the given state word,
// [FILES] and [WINDOWSPOS], Windows-1252 with CR LF.
std::string settingsFileBytes(const ShowModel& model, std::uint32_t stateFlags);
// Written through a temporary file: a failure leaves the previous file intact.
bool writeSettingsFile(const std::string& path, const ShowModel& model, std::uint32_t stateFlags);

}  // namespace tinctara
