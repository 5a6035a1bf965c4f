#pragma once

#include "engine/OutputEngine.h"
#include "engine/SequenceTimeline.h"
#include "model/SequencePlayback.h"
#include "timecode/TimecodeChaser.h"

#include <optional>

namespace tinctara {

// Carries out what the chaser says for the grid request pending: ZERO and
// PLAY as the sequencer's buttons do, seeks through the sequence's time
// line (made at every start, from the wall's picture at PLAY, and again
// when the sequence was edited or loaded since), and the ticks to run.
class ChasedPlayback {
public:
    ChasedPlayback(const Sequencer& sequencer, OutputEngine& engine) : sequencer_(sequencer), engine_(engine) {}

    // Serves a grid request the caller took (OutputEngine::takeTickRequest).
    void serve(const ChaseAction& action);

private:
    // Stops on step 1 and shows it; false without a sequence.
    bool zero();
    // A seek refused (the Beat is on) runs the tick as it comes.
    void seek(std::int64_t tick);

    Sequencer sequencer_;
    OutputEngine& engine_;
    std::optional<SequenceTimeline> timeline_;
};

}  // namespace tinctara
