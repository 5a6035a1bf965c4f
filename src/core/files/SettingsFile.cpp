#include "files/SettingsFile.h"

#include "files/SafeFile.h"
#include "text/Text.h"
#include "text/Windows1252.h"

#include <cmath>
#include <limits>
#include <vector>

namespace tinctara {

namespace {

// The settings file is read as a stream of fields separated by commas and
// line ends; blanks before a field are skipped.
std::vector<std::string> splitFields(std::string_view bytes)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < bytes.size()) {
        while (i < bytes.size() && bytes[i] == ' ')
            ++i;
        std::string field;
        if (i < bytes.size() && bytes[i] == '"') {
            const std::size_t close = bytes.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? bytes.size() : close;
            field = bytes.substr(i + 1, end - i - 1);
            i = end + 1;
        }
        while (i < bytes.size() && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n')
            field.push_back(bytes[i++]);
        fields.push_back(std::move(field));
        if (i < bytes.size() && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        ++i;  // past the separator
    }
    return fields;
}

std::string trimmedUpper(const std::string& field)
{
    const auto first = field.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = field.find_last_not_of(' ');
    std::string result = field.substr(first, last - first + 1);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

// The values after a section marker, or nothing when the marker is missing or
// the file ends before `count` values.
std::optional<std::vector<std::string>> sectionValues(const std::vector<std::string>& fields,
                                                      const std::string& marker, std::size_t count)
{
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (trimmedUpper(fields[i]) != marker)
            continue;
        if (fields.size() - (i + 1) < count)
            return std::nullopt;
        return std::vector<std::string>(fields.begin() + static_cast<long>(i + 1),
                                        fields.begin() + static_cast<long>(i + 1 + count));
    }
    return std::nullopt;
}

template <typename Integer>
std::optional<Integer> integerOf(const std::string& field)
{
    const double value = roundHalfEven(numericValue(field));
    if (!(value >= static_cast<double>(std::numeric_limits<Integer>::min()) &&
          value <= static_cast<double>(std::numeric_limits<Integer>::max())))
        return std::nullopt;
    return static_cast<Integer>(value);
}

template <typename Integer, std::size_t N>
std::optional<std::array<Integer, N>> integersOf(const std::vector<std::string>& fields)
{
    std::array<Integer, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto value = integerOf<Integer>(fields[i]);
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    return values;
}

void appendList(std::string& out, const auto& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += numberForm(values[i]);
        if (i + 1 < values.size())
            out += ',';
    }
    out += "\r\n";
}

}  // namespace

SettingsFileSections parseSettingsFile(std::string_view bytes)
{
    SettingsFileSections sections;
    const std::vector<std::string> fields = splitFields(bytes);

    if (auto values = sectionValues(fields, "[DMXINI]", DmxTimingValues))
        sections.dmxTiming = integersOf<std::int16_t, DmxTimingValues>(*values);

    if (auto values = sectionValues(fields, "[OPTIONS]", 2)) {
        // The state word is stored as a signed 32-bit number.
        const auto saved = integerOf<std::int32_t>((*values)[0]);
        const auto zoom = integerOf<std::int32_t>((*values)[1]);
        if (saved && zoom)
            sections.options = SettingsOptions{static_cast<std::uint32_t>(*saved), *zoom};
    }

    if (auto values = sectionValues(fields, "[FILES]", 4)) {
        std::array<std::string, 4> names;
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = windows1252ToUtf8((*values)[i]);
        sections.files = names;
    }

    if (auto values = sectionValues(fields, "[WINDOWSPOS]", WindowSlots * WindowFields))
        sections.windowPositions = integersOf<std::int32_t, WindowSlots * WindowFields>(*values);

    return sections;
}

SettingsFileSections readSettingsFile(const std::string& path)
{
    const auto bytes = readWholeFile(path);
    return bytes ? parseSettingsFile(*bytes) : SettingsFileSections{};
}

std::string settingsFileBytes(const ShowModel& model, std::uint32_t stateFlags)
{
    std::string out = "ini-Datei von TINCTARA 98\r\n[DMXINI]\r\n";
    appendList(out, model.DmxTiming);
    out += "[OPTIONS]\r\n";
    out += numberForm(static_cast<std::int32_t>(stateFlags)) + "\r\n";
    out += numberForm(model.WallZoom) + "\r\n";
    out += "[FILES]\r\n";
    for (const std::string* name :
         {&model.ConfigFileName, &model.SceneFileName, &model.SequenceFileName, &model.ColourTableFileName})
        out += utf8ToWindows1252(*name) + "\r\n";
    out += "[WINDOWSPOS]\r\n";
    appendList(out, model.WindowPositions);
    return out;
}

bool writeSettingsFile(const std::string& path, const ShowModel& model, std::uint32_t stateFlags)
{
    return writeFileAtomically(path, settingsFileBytes(model, stateFlags));
}

}  // namespace tinctara
