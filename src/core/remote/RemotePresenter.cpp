#include "remote/RemotePresenter.h"

#include "model/ShowOperations.h"

namespace tinctara {

namespace {

constexpr int ApplyButton = 1;

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
    const std::optional<RemoteAction> action = parseRemoteAction(message);
    if (!action)
        return {false, RemoteText::Unknown};
    ShowModel& model = s_.model;
    // While a sequence plays the wall's cells and the colour window take no clicks.
    const bool playing = model.hasState(StateFlag::SequencePlaying);
    using Kind = RemoteAction::Kind;
    switch (action->kind) {
    case Kind::Tap:
        if (playing)
            return {false, RemoteText::WallLocked};
        if (action->number > model.ElementCount || !model.hasState(StateFlag::WallPresent))
            return {false, RemoteText::Unknown};
        s_.wall.lblWand_MouseDown(action->number - 1, MouseButton::Left, true);
        return {true, s_.host.wallStatus()};
    case Kind::All:
    case Kind::None:
        if (playing)
            return {false, RemoteText::WallLocked};
        if (action->kind == Kind::All)
            s_.selection.selectAll();
        else
            s_.selection.clear();
        return {true, s_.host.wallStatus()};
    case Kind::User: {
        if (playing)
            return {false, RemoteText::WallLocked};
        std::array<std::uint8_t, Planes> levels{};
        for (int plane = Red; plane <= White; ++plane)
            levels[plane - 1] = model.ColourLevels[ShowModel::userColourIndex(action->number, plane)];
        return {true, s_.host.applyColour(levels)};
    }
    case Kind::Mix:
        if (playing)
            return {false, RemoteText::WallLocked};
        return {true, s_.host.applyColour(action->levels)};
    case Kind::Back:
        return sequencerButton(Back);
    case Kind::Play:
        return sequencerButton(PlayButton);
    case Kind::Stop:
        return sequencerButton(StopButton);
    case Kind::Forward:
        return sequencerButton(Forward);
    case Kind::Jump:
        return jump(action->text);
    }
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
