#include "model/SequencePlayback.h"

#include "model/Selection.h"

#include "model/ShowOperations.h"
#include "model/StatusTexts.h"
#include "text/Text.h"

#include <string>

namespace tinctara {

namespace {

// Every sequencer button ends test mode first.
void endTestMode(Sequencer& s)
{
    if (!s.model.hasState(StateFlag::TestMode))
        return;
    TestModeOff(s.model, s.view);
    s.view.setSequencerLabel("Testmodus wurde abgeschaltet");
}

void copyStepToWall(Sequencer& s, int step)
{
    const int elements = s.model.elementsInUse();
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane)
            s.model.colour(plane, element) = s.model.stepColour(step, element, plane);
        ShowElementColour(s.model, s.view, element - 1);
    }
}

}  // namespace

void SceneToSequence(ShowModel& model)
{
    model.setDocument(DocumentFlag::SequenceChanged);
    const int step = model.CurrentStep;
    if (step < 1 || step > StepSlots)
        return;
    const int elements = model.elementsInUse();
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.stepColour(step, element, plane) = model.colour(plane, element);
}

void markStepsRecorded(ShowModel& model)
{
    if (model.hasState(StateFlag::SequencePresent))
        model.setDocument(DocumentFlag::SceneChanged | DocumentFlag::SequenceChanged);
    else
        model.setDocument(DocumentFlag::SceneChanged | DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    model.setState(StateFlag::SequencePresent);
}

void PlaySequence(Sequencer& s)
{
    ShowModel& model = s.model;
    for (int index = 0; index < model.ElementCount; ++index)
        s.view.setWallCellEnabled(index, false, "");
    if (model.hasState(StateFlag::ColourWindowOpen))
        s.view.setChildWindowEnabled(ChildWindow::Colour, false);
    s.view.focusWallWindow();

    model.HoldCounter = 0;
    model.BlendCounter = 0;
    const int previous = model.CurrentStep > 1 ? model.CurrentStep - 1 : 1;
    model.BlendTime = model.blendTime(previous);

    model.setState(StateFlag::SequencePlaying);
    s.timer.setEnabled(true);
    s.view.setTitle(model.OsName + StatusText::PlayingPrefix + hexUpper(kindNumber(model.InterfaceType)) + ": ");
}

void Play(Sequencer& s)
{
    if (s.model.hasState(StateFlag::SequencePlaying))
        return;
    if (!s.model.hasState(StateFlag::SequencePresent)) {
        s.view.setSequencerLabel(NoSequenceProgrammed);
        return;
    }
    if (s.model.hasState(StateFlag::ImmediateApply))
        SceneToSequence(s.model);
    PlaySequence(s);
}

// After playing the wall's cells and the colour window take clicks again.
void unlockAfterPlaying(Sequencer& s)
{
    ShowModel& model = s.model;
    for (int index = 0; index < model.ElementCount; ++index)
        s.view.setWallCellEnabled(index, true, std::to_string(index + 1));
    if (model.hasState(StateFlag::ColourWindowOpen))
        s.view.setChildWindowEnabled(ChildWindow::Colour, true);
    s.view.focusWallWindow();
    Selection(model, s.view, s.user).reMark();
}

void StopSequence(Sequencer& s)
{
    ShowModel& model = s.model;
    if (!model.hasState(StateFlag::SequencePresent)) {
        s.user.beep();
        s.view.setSequencerLabel(std::string("  ") + NoSequenceProgrammed);
        return;
    }
    model.clearState(StateFlag::SequencePlaying);
    model.HoldCounter = 0;
    model.BlendCounter = 0;

    // The step field names the step to stop on. A field that names no
    // recorded step keeps the current one, so no step outside the store is read.
    const double shown = roundHalfEven(numericValue(s.view.sequencerFieldText(0)));
    if (shown >= 1 && shown <= model.StepCount)
        model.CurrentStep = static_cast<std::uint8_t>(shown);
    else if (model.CurrentStep < 1 || model.CurrentStep > model.StepCount)
        model.CurrentStep = 1;
    copyStepToWall(s, model.CurrentStep);
    unlockAfterPlaying(s);
}

void EndPlayingWithoutSteps(Sequencer& s)
{
    ShowModel& model = s.model;
    model.clearState(StateFlag::SequencePlaying);
    model.HoldCounter = 0;
    model.BlendCounter = 0;
    model.CurrentStep = 0;
    unlockAfterPlaying(s);
    s.view.setSequencerTimeFieldsEnabled(true);
    s.view.setSequencerLabel(std::string("  ") + NoSequenceProgrammed);
}

void PressPlay(Sequencer& s)
{
    endTestMode(s);
    if (s.model.hasState(StateFlag::SequencePresent))
        s.view.setSequencerLabel("Sequenz wird abgespielt.");
    Play(s);
    s.view.setSequencerTimeFieldsEnabled(false);
}

void PressStop(Sequencer& s)
{
    endTestMode(s);
    if (s.model.hasState(StateFlag::SequencePresent))
        s.view.setSequencerLabel("Sequenzer gestoppt.");
    s.view.setSequencerTimeFieldsEnabled(true);
    StopSequence(s);
}

}  // namespace tinctara
