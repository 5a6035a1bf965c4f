#include "remote/RemoteMessages.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace tinctara {

namespace {

void appendHex(std::string& out, Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", colour.red, colour.green, colour.blue);
    out += '"';
    out += text;
    out += '"';
}

Rgb screenColour(const std::array<std::uint8_t, Planes>& levels)
{
    auto add = [&](int primary) { return static_cast<std::uint8_t>(std::min(255, primary + levels[3])); };
    return {add(levels[0]), add(levels[1]), add(levels[2])};
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find(' '), text.size());
        result.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return result;
}

// A whole decimal number within [low, high], or nothing.
bool number(std::string_view text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

}  // namespace

std::optional<RemoteAction> parseRemoteAction(std::string_view message)
{
    using Kind = RemoteAction::Kind;
    const std::vector<std::string_view> word = words(message);
    if (word.empty() || word.size() > 5)
        return std::nullopt;
    const std::string_view command = word[0];
    RemoteAction action;
    if (word.size() == 1) {
        static constexpr std::pair<std::string_view, Kind> Plain[] = {
            {"all", Kind::All},   {"none", Kind::None}, {"play", Kind::Play},
            {"stop", Kind::Stop}, {"back", Kind::Back}, {"forward", Kind::Forward},
        };
        for (const auto& [name, kind] : Plain)
            if (command == name) {
                action.kind = kind;
                return action;
            }
        return std::nullopt;
    }
    static constexpr struct {
        std::string_view name;
        Kind kind;
        int high;
    } Numbered[] = {
        {"tap", Kind::Tap, ElementSlots},
        {"user", Kind::User, UserColours},
        {"memory", Kind::Memory, SelectionMemories},
    };
    for (const auto& [name, kind, high] : Numbered)
        if (command == name && word.size() == 2 && number(word[1], 1, high, action.number)) {
            action.kind = kind;
            return action;
        }
    if (command == "mix" && word.size() == 5) {
        for (int plane = 0; plane < Planes; ++plane) {
            int value = 0;
            if (!number(word[plane + 1], 0, 255, value))
                return std::nullopt;
            action.levels[plane] = static_cast<std::uint8_t>(value);
        }
        action.kind = Kind::Mix;
        return action;
    }
    if (command == "jump" && word.size() == 2 && word[1].size() <= 5) {
        action.kind = Kind::Jump;
        action.text = std::string(word[1]);
        return action;
    }
    return std::nullopt;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\')
                out += {'\\', static_cast<char>(c)};
            else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        // A UTF-8 sequence is copied whole when it is well formed.
        int length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        bool good = length > 0 && i + length <= text.size();
        for (int k = 1; good && k < length; ++k)
            good = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (good && length == 3) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            good = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second >= 0xA0);
        } else if (good && length == 4) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            good = !(c == 0xF0 && second < 0x90) && !(c == 0xF4 && second >= 0x90);
        }
        if (good) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
    return out;
}

std::string remoteUpdate(const RemoteState* before, const RemoteState& now)
{
    std::string out;
    auto field = [&](const char* name, const std::string& value) {
        out += out.empty() ? "{\"t\":\"state\"," : ",";
        out += '"';
        out += name;
        out += "\":";
        out += value;
    };
    const bool wallChanged =
        !before || before->columns != now.columns || before->rows != now.rows || before->count != now.count;
    if (wallChanged)
        field("wall", "[" + std::to_string(now.columns) + "," + std::to_string(now.rows) + "," +
                          std::to_string(now.count) + "]");
    std::string cells;
    for (int index = 0; index < now.count && index < ElementSlots; ++index) {
        const auto& cell = now.cells[index];
        if (!wallChanged && before->cells[index] == cell)
            continue;
        cells += cells.empty() ? "[" : ",";
        cells += "[" + std::to_string(index) + ",";
        appendHex(cells, cell.colour);
        cells += cell.selected ? ",1]" : ",0]";
    }
    if (!cells.empty())
        field("cells", cells + "]");
    if (!before || before->playing != now.playing)
        field("playing", now.playing ? "true" : "false");
    if (!before || before->step != now.step)
        field("step", jsonString(now.step));
    if (!before || before->stepCount != now.stepCount)
        field("steps", std::to_string(now.stepCount));
    if (!before || before->title != now.title)
        field("title", jsonString(now.title));
    if (!before || before->colours != now.colours) {
        std::string colours = "[";
        for (const auto& colour : now.colours) {
            if (colours.size() > 1)
                colours += ",";
            colours += "[" + jsonString(colour.name) + ",";
            appendHex(colours, screenColour(colour.levels));
            for (const auto level : colour.levels)
                colours += "," + std::to_string(level);
            colours += "]";
        }
        field("colours", colours + "]");
    }
    if (!out.empty())
        out += "}";
    return out;
}

std::string remoteStatusMessage(const RemoteReply& reply)
{
    return std::string("{\"t\":\"status\",\"done\":") + (reply.done ? "true" : "false") +
           ",\"text\":" + jsonString(reply.status) + "}";
}

}  // namespace tinctara
