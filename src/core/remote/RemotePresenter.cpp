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

}  // namespace tinctara
