#include "windows/ShowFileCommands.h"

#include "model/Selection.h"
#include "model/SequencePlayback.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"

#include <utility>
#include <vector>

namespace tinctara {

namespace {

LoadOutcome loadFile(ShowFileContext& context, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return LoadConfiguration(context);
    case DocumentKind::Scene:
        return LoadScene(context);
    case DocumentKind::Sequence:
        return LoadSequence(context);
    case DocumentKind::ColourTable:
        return LoadColourTable(context);
    }
    return LoadOutcome::Failed;
}

SaveOutcome saveFile(ShowFileContext& context, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return SaveConfiguration(context);
    case DocumentKind::Scene:
        return SaveScene(context);
    case DocumentKind::Sequence:
        return SaveSequence(context);
    case DocumentKind::ColourTable:
        return SaveColourTable(context);
    }
    return SaveOutcome::Failed;
}

}  // namespace

bool ShowFileCommands::load(DocumentKind kind)
{
    // A configuration lays a new wall out and a sequence puts its first step
    // onto it: the wall's colours before the load go as well.
    history::DocumentKinds replaced{kind};
    if (kind == DocumentKind::Config || kind == DocumentKind::Sequence)
        replaced.add(history::DocumentKind::Scene);
    // A load that fails part way may have changed its documents already:
    // what an entry recorded is then no longer what stands.
    std::vector<std::pair<history::DocumentKind, history::DocumentSnapshot>> before;
    if (edits_)
        for (const history::DocumentKind replacedKind : history::AllDocumentKinds)
            if (replaced.contains(replacedKind))
                before.emplace_back(replacedKind, history::take(context_.model, replacedKind));

    const bool loaded = loadFile(context_, kind) == LoadOutcome::Loaded;
    for (const auto& [replacedKind, snapshot] : before)
        if (loaded || !(history::take(context_.model, replacedKind) == snapshot))
            edits_->documentLoaded(replacedKind);
    return loaded;
}

bool ShowFileCommands::save(DocumentKind kind)
{
    if (saveFile(context_, kind) != SaveOutcome::Saved)
        return false;
    if (edits_)
        edits_->documentSaved(kind);
    return true;
}

void ShowFileCommands::play()
{
    Sequencer sequencer{context_.model, context_.view, context_.user, context_.timer};
    Play(sequencer);
}

void ShowFileCommands::showRestored(const RestoredDocuments& restored)
{
    ShowModel& model = context_.model;
    ShowView& view = context_.view;
    const history::DocumentKinds kinds = restored.kinds;
    const bool configuration = kinds.contains(history::DocumentKind::Config);
    if (configuration) {
        if (restored.wallChanged) {
            if (model.hasState(StateFlag::WallPresent))
                LayOutWall(model, view);
            else
                view.removeWallCells();
        }
        if (model.hasState(StateFlag::PatchWindowOpen))
            view.refreshPatchWindow();
    }
    if (configuration || kinds.contains(history::DocumentKind::Scene) ||
        kinds.contains(history::DocumentKind::Sequence)) {
        ShowAllElementColours(model, view);
        // Painted over, the selected cells must look selected again.
        Selection(model, view, context_.user).reMark();
    }
    if (kinds.contains(history::DocumentKind::Sequence)) {
        // A step put back by undo may be past the end of what is left.
        if (model.CurrentStep > model.StepCount)
            model.CurrentStep = model.StepCount;
        const bool playingEnded = model.StepCount == 0 && model.hasState(StateFlag::SequencePlaying);
        if (playingEnded) {
            Sequencer sequencer{model, view, context_.user, context_.timer};
            EndPlayingWithoutSteps(sequencer);
        }
        ShowSequencerStep(model, view);
        // The status line must not go on telling of the edit just taken back.
        if (!playingEnded)
            view.setSequencerLabel(restored.caption);
    }
    if (kinds.contains(history::DocumentKind::ColourTable) && model.hasState(StateFlag::ColourWindowOpen))
        view.showUserColours();
}

}  // namespace tinctara
