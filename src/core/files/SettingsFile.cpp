#include "files/SettingsFile.h"

#include "files/SectionedFile.h"
#include "text/Windows1252.h"

#include <cctype>

namespace tinctara {

namespace {

using WindowTable = std::array<std::int32_t, WindowSlots * WindowFields>;

// The file lists the table window by window (left, top, width, height, state
// of window 1, then of window 2, ...); the model keeps it field by field.
WindowTable windowsInFileOrder(const WindowTable& model)
{
    WindowTable file{};
    for (int window = 1; window <= WindowSlots; ++window)
        for (int field = 1; field <= WindowFields; ++field)
            file[(window - 1) * WindowFields + (field - 1)] = model[ShowModel::windowPositionIndex(window, field)];
    return file;
}

WindowTable windowsInModelOrder(const WindowTable& file)
{
    WindowTable model{};
    for (int window = 1; window <= WindowSlots; ++window)
        for (int field = 1; field <= WindowFields; ++field)
            model[ShowModel::windowPositionIndex(window, field)] = file[(window - 1) * WindowFields + (field - 1)];
    return model;
}

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
    writer.valueList(windowsInFileOrder(model.WindowPositions));
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
    sections.windowPositions = readSection<WindowTable>(reader, "[WINDOWSPOS]", [](Section& s, WindowTable& values) {
        WindowTable file{};
        if (!readNumbers(s, file))
            return false;
        values = windowsInModelOrder(file);
        return true;
    });
    return sections;
}

}  // namespace

SettingsFileSections parseSettingsFile(std::string bytes) { return sectionsOf(ShowFileReader(std::move(bytes))); }

SettingsFileSections readSettingsFile(const std::string& path)
{
    ReadProblem problem = ReadProblem::None;
    if (auto reader = ShowFileReader::open(path, &problem))
        return sectionsOf(*reader);
    SettingsFileSections failed;
    if (problem == ReadProblem::TooLarge || problem == ReadProblem::Blank) {
        failed.unreadable = true;  // nothing is searched: the model keeps what it has
        return failed;
    }
    // Missing, and a file of 0 bytes alike: as on a first run.
    failed.dmxTiming.failed = failed.options.failed = failed.files.failed = failed.windowPositions.failed = true;
    return failed;
}

std::string settingsFileBytes(const ShowModel& model, std::uint32_t stateFlags)
{
    return settingsWriter(model, stateFlags).bytes();
}

std::string moveSettingsFileNames(std::string_view bytes, std::string_view from, std::string_view to)
{
    const std::string oldFolder = utf8ToWindows1252(from) + "/";
    const std::string newFolder = utf8ToWindows1252(to) + "/";
    std::string result;
    result.reserve(bytes.size());
    int namesLeft = -1;  // -1: before [FILES]; then the names still to come
    bool header = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
        bytes.remove_prefix(line.size());
        std::string_view text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        const std::string_view ending = line.substr(text.size());
        if (namesLeft > 0) {
            --namesLeft;
            if (text.substr(0, oldFolder.size()) == oldFolder) {
                result.append(newFolder).append(text.substr(oldFolder.size())).append(ending);
                continue;
            }
        } else if (namesLeft < 0 && !header) {
            std::string marker{text};
            marker.erase(0, marker.find_first_not_of(" \t"));
            marker.erase(marker.find_last_not_of(" \t") + 1);
            for (char& c : marker)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (marker == "[FILES]")
                namesLeft = 4;
        }
        header = false;
        result.append(line);
    }
    return result;
}

bool writeSettingsFile(const std::string& path, const ShowModel& model, std::uint32_t stateFlags)
{
    return settingsWriter(model, stateFlags).commit(path);
}

}  // namespace tinctara
