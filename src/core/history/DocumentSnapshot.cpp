#include "history/DocumentSnapshot.h"

#include <algorithm>
#include <type_traits>

namespace tinctara::history {

namespace {

// Memory slots 0..9 (F2 to F10) are what a sequence file keeps.
constexpr int StoredSelectionGroups = 10;

std::size_t selectionSlot(int slot, int group) { return static_cast<std::size_t>(SelectionGroups * slot + group); }

ConfigurationState takeConfiguration(const ShowModel& model)
{
    return {model.WallName,
            model.WallColumns,
            model.WallRows,
            model.ElementCount,
            model.hasState(StateFlag::WallPresent),
            model.ElementWidth,
            model.ElementHeight,
            model.WallZoom,
            model.ElementPositions,
            model.DmxTiming,
            model.PatchTable,
            model.CorrectionTable};
}

SequenceState takeSequence(const ShowModel& model)
{
    SequenceState state;
    state.StepCount = model.StepCount;
    state.sequencePresent = model.hasState(StateFlag::SequencePresent);
    state.currentStep = model.CurrentStep;
    state.elements = model.elementsInUse();
    const int steps = std::min<int>(model.StepCount, StepSlots);
    state.colours.reserve(static_cast<std::size_t>(steps * Planes * state.elements));
    state.times.reserve(static_cast<std::size_t>(steps));
    for (int step = 1; step <= steps; ++step) {
        for (int plane = Red; plane <= White; ++plane)
            for (int element = 1; element <= state.elements; ++element)
                state.colours.push_back(model.stepColour(step, element, plane));
        state.times.push_back(model.SequenceTimes[step - 1]);
    }
    state.selections.reserve(static_cast<std::size_t>(ElementSlots * StoredSelectionGroups));
    for (int slot = 0; slot < ElementSlots; ++slot)
        for (int group = 0; group < StoredSelectionGroups; ++group)
            state.selections.push_back(model.SelectionMemory[selectionSlot(slot, group)]);
    return state;
}

void restoreConfiguration(ShowModel& model, const ConfigurationState& state)
{
    model.WallName = state.WallName;
    model.WallColumns = state.WallColumns;
    model.WallRows = state.WallRows;
    // The channel total follows the wall, as building it made it follow.
    if (model.hasState(StateFlag::AutoChannelCount) && model.ElementCount != state.ElementCount)
        model.ChannelCount = static_cast<std::int16_t>(4 * state.ElementCount);
    model.ElementCount = state.ElementCount;
    if (state.wallPresent)
        model.setState(StateFlag::WallPresent);
    else
        model.clearState(StateFlag::WallPresent);
    model.ElementWidth = state.ElementWidth;
    model.ElementHeight = state.ElementHeight;
    model.WallZoom = state.WallZoom;
    model.ElementPositions = state.ElementPositions;
    // A card that got the other timing must be sent this one, as after a load.
    if (model.DmxTiming != state.DmxTiming)
        model.TimingBlockPending = 1;
    model.DmxTiming = state.DmxTiming;
    model.PatchTable = state.PatchTable;
    model.CorrectionTable = state.CorrectionTable;
}

void restoreSequence(ShowModel& model, const SequenceState& state)
{
    // Where steps came or went (REC, CLR ALL, an effect) the sequencer goes
    // back to the step it stood on then. Otherwise it stays where it is: the
    // wall shows that step, and with immediate apply the next button press
    // stores the wall into the step the sequencer stands on.
    if (model.StepCount != state.StepCount && !model.hasState(StateFlag::SequencePlaying))
        model.CurrentStep = state.currentStep;
    model.StepCount = state.StepCount;
    if (state.sequencePresent)
        model.setState(StateFlag::SequencePresent);
    else
        model.clearState(StateFlag::SequencePresent);
    std::size_t next = 0;
    for (std::size_t step = 1; step <= state.times.size(); ++step) {
        const int number = static_cast<int>(step);
        for (int plane = Red; plane <= White; ++plane)
            for (int element = 1; element <= state.elements; ++element)
                model.stepColour(number, element, plane) = state.colours[next++];
        model.SequenceTimes[step - 1] = state.times[step - 1];
    }
    next = 0;
    for (int slot = 0; slot < ElementSlots; ++slot)
        for (int group = 0; group < StoredSelectionGroups; ++group)
            model.SelectionMemory[selectionSlot(slot, group)] = state.selections[next++];
    // The sequencer must stand on a step that exists.
    if (model.StepCount == 0)
        model.CurrentStep = 0;
    else if (model.CurrentStep == 0 || model.CurrentStep > model.StepCount)
        model.CurrentStep = model.CurrentStep == 0 ? 1 : model.StepCount;
}

// libstdc++ keeps up to 15 characters inside the string itself.
std::size_t heapBytes(const std::string& text) { return text.capacity() > 15 ? text.capacity() + 1 : 0; }

}  // namespace

namespace {

// Each kind's marks in ShowModel::DocumentFlags, in the order of DocumentKind.
struct DocumentMarks {
    std::uint16_t isNew;
    std::uint16_t changed;
};
constexpr std::array<DocumentMarks, DocumentKindCount> MarksOfKind{{
    {DocumentFlag::ConfigNew, DocumentFlag::ConfigChanged},
    {DocumentFlag::SceneNew, DocumentFlag::SceneChanged},
    {DocumentFlag::SequenceNew, DocumentFlag::SequenceChanged},
    {DocumentFlag::ColourTableNew, DocumentFlag::ColourTableChanged},
}};

}  // namespace

std::uint16_t changedFlag(DocumentKind kind) { return MarksOfKind[static_cast<std::size_t>(kind)].changed; }

std::uint16_t newFlag(DocumentKind kind) { return MarksOfKind[static_cast<std::size_t>(kind)].isNew; }

DocumentSnapshot take(const ShowModel& model, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return DocumentSnapshot(takeConfiguration(model));
    case DocumentKind::Scene:
        return DocumentSnapshot(SceneState{model.ElementColours});
    case DocumentKind::Sequence:
        return DocumentSnapshot(takeSequence(model));
    case DocumentKind::ColourTable:
        break;
    }
    return DocumentSnapshot(ColourTableState{model.ColourNames, model.ColourLevels});
}

bool sameWall(const DocumentSnapshot& one, const DocumentSnapshot& other)
{
    const auto* a = std::get_if<ConfigurationState>(&one.state());
    const auto* b = std::get_if<ConfigurationState>(&other.state());
    if (!a || !b)
        return false;
    return a->WallName == b->WallName && a->WallColumns == b->WallColumns && a->WallRows == b->WallRows &&
           a->ElementCount == b->ElementCount && a->wallPresent == b->wallPresent &&
           a->ElementWidth == b->ElementWidth && a->ElementHeight == b->ElementHeight && a->WallZoom == b->WallZoom &&
           a->ElementPositions == b->ElementPositions;
}

void restore(ShowModel& model, const DocumentSnapshot& snapshot)
{
    std::visit(
        [&model](const auto& state) {
            using Held = std::decay_t<decltype(state)>;
            if constexpr (std::is_same_v<Held, ConfigurationState>) {
                restoreConfiguration(model, state);
            } else if constexpr (std::is_same_v<Held, SceneState>) {
                model.ElementColours = state.ElementColours;
            } else if constexpr (std::is_same_v<Held, SequenceState>) {
                restoreSequence(model, state);
            } else {
                model.ColourNames = state.ColourNames;
                model.ColourLevels = state.ColourLevels;
            }
        },
        snapshot.state());
}

std::size_t DocumentSnapshot::bytes() const
{
    return sizeof(*this) + std::visit(
                               [](const auto& state) -> std::size_t {
                                   using Held = std::decay_t<decltype(state)>;
                                   if constexpr (std::is_same_v<Held, ConfigurationState>) {
                                       return heapBytes(state.WallName);
                                   } else if constexpr (std::is_same_v<Held, SequenceState>) {
                                       return state.colours.capacity() +
                                              state.times.capacity() * sizeof(state.times[0]) +
                                              state.selections.capacity();
                                   } else if constexpr (std::is_same_v<Held, ColourTableState>) {
                                       std::size_t total = 0;
                                       for (const auto& name : state.ColourNames)
                                           total += heapBytes(name);
                                       return total;
                                   } else {
                                       return 0;
                                   }
                               },
                               state_);
}

}  // namespace tinctara::history
