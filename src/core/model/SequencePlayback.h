#pragma once

#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

namespace tinctara {

// PLAY without a recorded sequence says so.
inline constexpr const char* NoSequenceProgrammed = "Es wurde noch keine Sequenz programmiert !";

// What the sequencer does to the show when it starts and stops playback. The
// sequencer window calls these from its buttons; the scene and sequence
// loaders press its STOP and PLAY through PressStop and PressPlay.
struct Sequencer {
    ShowModel& model;
    ShowView& view;
    UserInteraction& user;
    OutputTimer& timer;
};

// Stores the picture on the wall into step CurrentStep.
void SceneToSequence(ShowModel& model);

// The document and state flags REC sets when it adds steps to the sequence.
void markStepsRecorded(ShowModel& model);

// Starts playback from CurrentStep: locks the wall and the colour window, resets
// the counters and switches the output tick on.
void PlaySequence(Sequencer& sequencer);

// Starts playback unless a sequence is playing already.
void Play(Sequencer& sequencer);

// Stops playback on the step the step field shows and puts that step on the wall.
void StopSequence(Sequencer& sequencer);

// The steps being played were taken away (an undo): the playing ends with
// the wall as it stands, which takes clicks again.
void EndPlayingWithoutSteps(Sequencer& sequencer);

// The sequencer's "PLAY" and "STOP" buttons.
void PressPlay(Sequencer& sequencer);
void PressStop(Sequencer& sequencer);

}  // namespace tinctara
