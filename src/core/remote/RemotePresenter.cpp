#include "remote/RemotePresenter.h"

#include "model/ShowOperations.h"

namespace tinctara {

RemotePresenter::Reply RemotePresenter::perform(std::string_view message)
{
    // Under a question even a message the page should not have sent gets the
    // question's answer.
    if (auto refusal = control_.refusedNow())
        return *refusal;
    const std::optional<RemoteAction> action = parseRemoteAction(message);
    if (!action)
        return {false, RemoteText::Unknown};
    return control_.perform(*action);
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
