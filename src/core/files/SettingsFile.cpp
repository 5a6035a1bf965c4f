#include "files/SettingsFile.h"

#include "files/SectionedFile.h"

namespace tinctara {

namespace {

ShowFileWriter settingsWriter(const ShowModel& model, std::uint32_t stateFlags)
{
    ShowFileWriter writer;
    writer.line("ini-Datei von TINCTARA 98");
    writer.line("[DMXINI]");
    writer.valueList(model.DmxTiming);
    writer.line("[OPTIONS]");
    writer.numberLine(static_cast<std::int32_t>(stateFlags));  // the word is kept as a signed 32-bit number
    writer.numberLine(model.WallZoom);
    writer.line("[FILES]");
    for (const std::string* name :
         {&model.ConfigFileName, &model.SceneFileName, &model.SequenceFileName, &model.ColourTableFileName})
        writer.line(*name);
    writer.line("[WINDOWSPOS]");
    writer.valueList(model.WindowPositions);
    return writer;
}

// Reads a section's values with `read`; a section that ends early or holds a
// value out of range fails as a whole.
template <typename Values, typename Read>
SettingsSection<Values> readSection(const ShowFileReader& reader, std::string_view marker, Read read)
{
    Section section = reader.section(marker);
    SettingsSection<Values> result;
    if (section.notSearched())
        return result;
    Values values{};
    if (section.found() && read(section, values))
        result.values = values;
    else
        result.failed = true;
    return result;
}

template <typename Array>
bool readNumbers(Section& section, Array& values)
{
    for (auto& value : values)
        if (!section.number(value))
            return false;
    return true;
}

SettingsFileSections sectionsOf(const ShowFileReader& reader)
{
    SettingsFileSections sections;
    sections.dmxTiming = readSection<std::array<std::int16_t, DmxTimingValues>>(
        reader, "[DMXINI]", [](Section& s, auto& values) { return readNumbers(s, values); });
    sections.options = readSection<SettingsOptions>(reader, "[OPTIONS]", [](Section& s, SettingsOptions& options) {
        std::int32_t word = 0;
        if (!s.number(word) || !s.number(options.wallZoom))
            return false;
        options.savedOptions = static_cast<std::uint32_t>(word);
        return true;
    });
    sections.files = readSection<std::array<std::string, 4>>(reader, "[FILES]", [](Section& s, auto& names) {
        for (auto& name : names) {
            auto text = s.text();
            if (!text)
                return false;
            name = std::move(*text);
        }
        return true;
    });
    sections.windowPositions = readSection<std::array<std::int32_t, WindowSlots * WindowFields>>(
        reader, "[WINDOWSPOS]", [](Section& s, auto& values) { return readNumbers(s, values); });
    return sections;
}

}  // namespace

SettingsFileSections parseSettingsFile(std::string bytes)
{
    return sectionsOf(ShowFileReader(std::move(bytes)));
}

SettingsFileSections readSettingsFile(const std::string& path)
{
    if (auto reader = ShowFileReader::open(path))
        return sectionsOf(*reader);
    SettingsFileSections failed;
    failed.dmxTiming.failed = failed.options.failed = failed.files.failed = failed.windowPositions.failed = true;
    return failed;
}

std::string settingsFileBytes(const ShowModel& model, std::uint32_t stateFlags)
{
    return settingsWriter(model, stateFlags).bytes();
}

bool writeSettingsFile(const std::string& path, const ShowModel& model, std::uint32_t stateFlags)
{
    return settingsWriter(model, stateFlags).commit(path);
}

}  // namespace tinctara
