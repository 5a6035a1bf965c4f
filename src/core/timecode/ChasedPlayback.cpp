#include "timecode/ChasedPlayback.h"

namespace tinctara {

bool ChasedPlayback::zero()
{
    ShowModel& model = sequencer_.model;
    if (model.StepCount == 0 || !model.hasState(StateFlag::SequencePresent))
        return false;
    if (model.hasState(StateFlag::SequencePlaying))
        StopSequence(sequencer_);
    model.CurrentStep = 1;
    engine_.JumpToStep();
    return true;
}

void ChasedPlayback::seek(std::int64_t tick)
{
    if (!engine_.seekTo(*timeline_, tick))
        engine_.AutoXmit();
}

void ChasedPlayback::serve(const ChaseAction& action)
{
    using Kind = ChaseAction::Kind;
    switch (action.kind) {
    case Kind::Free:
        engine_.AutoXmit();
        return;
    case Kind::Run:
        for (int tick = 0; tick < action.ticks; ++tick)
            engine_.AutoXmit();
        return;
    case Kind::Zero:
        zero();
        timeline_.reset();
        engine_.AutoXmit();
        return;
    case Kind::Seek:
    case Kind::Hold:
        // A sequence edited or loaded meanwhile starts anew from its step 1.
        if (timeline_ && sequencer_.model.hasState(StateFlag::SequencePlaying) &&
            timeline_->sameSequence(sequencer_.model)) {
            seek(action.tick);
            return;
        }
        [[fallthrough]];
    case Kind::Start:
        if (!zero()) {
            engine_.AutoXmit();
            return;
        }
        PlaySequence(sequencer_);
        timeline_.emplace(sequencer_.model);
        seek(action.tick);
        return;
    }
}

}  // namespace tinctara
