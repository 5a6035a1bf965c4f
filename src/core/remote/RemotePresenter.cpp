#include "remote/RemotePresenter.h"

#include "model/ShowOperations.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace tinctara {

namespace {

constexpr int ApplyButton = 1;

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

}  // namespace

std::string ClosedColourWindow::apply(const std::array<std::uint8_t, Planes>& rgbw, ShowModel& model)
{
    model.MixColour = rgbw;
    presenter_.cmdColor_Click(ApplyButton);
    return status_;
}

RemotePresenter::Reply RemotePresenter::perform(std::string_view message)
{
    // Nothing may happen under a question: its answer decides what comes next.
    if (s_.host.questionOpen())
        return {false, RemoteText::QuestionOpen};
    if (s_.host.windowsLocked())
        return {false, RemoteText::Transferring};
    const std::vector<std::string_view> word = words(message);
    if (word.empty() || word.size() > 5)
        return {false, RemoteText::Unknown};
    const std::string_view command = word[0];
    ShowModel& model = s_.model;
    const bool playing = model.hasState(StateFlag::SequencePlaying);
    int value = 0;

    if (command == "tap" && word.size() == 2 && number(word[1], 1, ElementSlots, value)) {
        // While a sequence plays the wall's cells take no clicks.
        if (playing)
            return {false, RemoteText::WallLocked};
        if (value > model.ElementCount || !model.hasState(StateFlag::WallPresent))
            return {false, RemoteText::Unknown};
        s_.wall.lblWand_MouseDown(value - 1, MouseButton::Left, true);
        return {true, s_.host.wallStatus()};
    }
    if ((command == "all" || command == "none") && word.size() == 1) {
        if (playing)
            return {false, RemoteText::WallLocked};
        if (command == "all")
            s_.selection.selectAll();
        else
            s_.selection.clear();
        return {true, s_.host.wallStatus()};
    }
    if (command == "user" && word.size() == 2 && number(word[1], 1, UserColours, value)) {
        if (playing)
            return {false, RemoteText::WallLocked};
        std::array<std::uint8_t, Planes> levels{};
        for (int plane = Red; plane <= White; ++plane)
            levels[plane - 1] = model.ColourLevels[ShowModel::userColourIndex(value, plane)];
        return {true, s_.host.applyColour(levels)};
    }
    if (command == "mix" && word.size() == 5) {
        std::array<std::uint8_t, Planes> levels{};
        for (int plane = 0; plane < Planes; ++plane) {
            if (!number(word[plane + 1], 0, 255, value))
                return {false, RemoteText::Unknown};
            levels[plane] = static_cast<std::uint8_t>(value);
        }
        if (playing)
            return {false, RemoteText::WallLocked};
        return {true, s_.host.applyColour(levels)};
    }
    if (word.size() == 1) {
        if (command == "back")
            return sequencerButton(Back);
        if (command == "play")
            return sequencerButton(PlayButton);
        if (command == "stop")
            return sequencerButton(StopButton);
        if (command == "forward")
            return sequencerButton(Forward);
    }
    if (command == "jump" && word.size() == 2 && word[1].size() <= 5)
        return jump(word[1]);
    return {false, RemoteText::Unknown};
}

RemotePresenter::Reply RemotePresenter::sequencerButton(int index)
{
    s_.sequencer.cmdSequence_MouseDown(index);
    s_.sequencer.cmdSequence_Click(index);
    return {true, s_.host.sequencerStatus()};
}

RemotePresenter::Reply RemotePresenter::jump(std::string_view text)
{
    // As typed into the step field and left with Enter: each of the field's
    // checks applies, and leaving it ends as leaving the field does.
    const char last = text.back();
    const int keyCode = (last >= '0' && last <= '9') ? last : 'A';
    s_.sequencer.txtSequence_GotFocus(StepField);
    s_.sequencer.txtSequence_Change(StepField, text);
    s_.sequencer.txtSequence_KeyUp(StepField, keyCode);
    const std::string status = s_.host.sequencerStatus();
    s_.sequencer.txtSequence_LostFocus(StepField);
    const std::string after = s_.host.sequencerStatus();
    return {true, after.empty() ? status : after};
}

RemoteState RemotePresenter::state() const
{
    const ShowModel& model = s_.model;
    RemoteState state;
    state.columns = model.WallColumns;
    state.rows = model.WallRows;
    state.count = model.hasState(StateFlag::WallPresent) ? model.ElementCount : 0;
    for (int index = 0; index < state.count && index < ElementSlots; ++index)
        state.cells[index] = {displayColour(model, index), model.SelectionFlags[index] == 1};
    state.playing = model.hasState(StateFlag::SequencePlaying);
    state.step = s_.show.sequencerFieldText(StepField);
    state.stepCount = model.hasState(StateFlag::SequencePresent) ? model.StepCount : 0;
    state.title = s_.host.title();
    for (int colour = 1; colour <= UserColours; ++colour) {
        auto& entry = state.colours[colour - 1];
        entry.name = model.ColourNames[colour - 1];
        entry.name.erase(entry.name.find_last_not_of(' ') + 1);
        for (int plane = Red; plane <= White; ++plane)
            entry.levels[plane - 1] = model.ColourLevels[ShowModel::userColourIndex(colour, plane)];
    }
    return state;
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

std::string remoteStatusMessage(const RemotePresenter::Reply& reply)
{
    return std::string("{\"t\":\"status\",\"done\":") + (reply.done ? "true" : "false") +
           ",\"text\":" + jsonString(reply.status) + "}";
}

}  // namespace tinctara
