#pragma once

#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "transfer/StepFrame.h"

#include <array>
#include <cstdint>

namespace tinctara {

// "Sequenz senden" > "zum Merger über DMX": the sequence goes to the play
// unit through the ISA card, one step per tick of timSendToMerger: the step
// number as start code, the step's frame in the channels. Always 255 ticks.
class PlayUnitTransfer {
public:
    static constexpr int Ticks = 255;

    struct Services {
        ShowModel& model;
        ShowView& view;
        UserInteraction& user;
        OutputTimer& outputTimer;    // AutoXmit
        OutputTimer& transferTimer;  // timSendToMerger, 50 ms
        PortIo& ports;
    };

    explicit PlayUnitTransfer(Services services) : s_(services) {}

    void mnuSequenceToMerger();
    void timSendToMerger_Timer();

    bool transferring() const { return transferring_; }
    // The step the next tick sends.
    int step() const { return step_; }

private:
    void finish();

    Services s_;
    bool transferring_ = false;
    std::uint8_t step_ = 1;
    std::array<std::uint8_t, 17> savedTiming_{};
    StepFrame frame_{};
};

}  // namespace tinctara
