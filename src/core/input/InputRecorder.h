#pragma once

#include "input/DmxInput.h"
#include "model/InputPicture.h"
#include "model/ShowModel.h"

#include <cstdint>

namespace tinctara {

// When and how many steps the recorder takes.
struct RecorderSettings {
    static constexpr int DefaultEvery = 20;  // a step a second on the 50 ms grid
    static constexpr int MostSteps = 250;    // what the sequencer records at most
    int every = DefaultEvery;                // ticks between two steps (1 and up)
    bool onChange = false;                   // instead: a step whenever the input changed
    int stepLimit = MostSteps;               // 1..MostSteps, counting the steps already there
};

// Records a desk's universe into the sequence: fed the input frame once per
// tick, it appends a step (the picture that plays the levels back through the
// patch turned around) every `every` ticks, or on every change of the frame,
// while the input is live, until the step limit. The first live tick always
// records. Each step keeps the pace it was taken at: it holds until the tick
// the next one was taken (blend 0, a change within one tick), so the sequence
// plays back as the desk went. The wall is left alone: it is what the program
// sends. Allocates nothing.
class InputRecorder {
public:
    InputRecorder(ShowModel& model, RecorderSettings settings);

    // True when this tick took a step.
    bool tick(const DmxInputFrame& frame);

    // The last step's time, when recording ends: `every` ticks, or with
    // on-change the ticks since it was taken.
    void finish();

    int recorded() const { return recorded_; }
    bool full() const { return model_.StepCount >= settings_.stepLimit; }

private:
    ShowModel& model_;
    RecorderSettings settings_;
    WallPicture picture_{};
    int recorded_ = 0;
    int ticksSinceStep_ = 0;
    std::uint64_t lastVersion_ = 0;

    bool due(const DmxInputFrame& frame) const;
    // The last step lasts `ticks` in playback: a load tick, the hold, a fade tick.
    void lastStepLasts(int ticks);
};

// Appends the picture as the sequence's new last step with its times, as REC
// does, and makes it the current step. The caller keeps to the step limit.
void appendStep(ShowModel& model, const WallPicture& picture, std::uint16_t hold, std::uint16_t blend);

}  // namespace tinctara
