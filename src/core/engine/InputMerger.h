#pragma once

#include "dmx/OutputPort.h"
#include "engine/FrameBuilder.h"
#include "input/DmxInput.h"
#include "model/ShowModel.h"
#include "platform/PortIo.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tinctara {

// Merges a desk's universe into the frame a tick leaves. While it merges, the
// program's builds go into a shadow of the destination that persists across
// ticks as the destination's memory does (a hold build writes only patched
// channels), and each tick writes all 512 merged levels into the destination.
// When the merge stops the shadow goes back once, so no input level lingers
// on a channel the program does not write.
//
// LTP: a channel follows the source whose level on it differs from that
// source's level one tick before. Both at once: the input, since a fading
// program moves every tick and would otherwise never let a fader in. A level
// that appears (the merge begins, or a channel becomes covered) is not a
// change, so the program keeps a channel until the desk moves it.
class InputMerger {
public:
    InputMerger() = default;
    InputMerger(const InputMerger&) = delete;
    InputMerger& operator=(const InputMerger&) = delete;

    // Whether a merge is under way, holding the program's frame of shape().
    bool holding() const { return shape_ != FrameShape::None; }
    FrameShape shape() const { return shape_; }

    // Before the build of a merged tick: on the first, the shadow takes the
    // destination's levels; on later ones, what others wrote into a frame in
    // memory since (an interface opening clears it, the sequencer's "clear
    // all"). Card memory is read back only when the merge begins: each read
    // costs port writes. Returns where the program's build goes.
    FrameDestination& prepare(const OutputPort& port, const ShowModel& model, PortIo& ports);
    // After the build: every channel's merged level into the destination.
    void merge(const DmxInputFrame& input, InputMerge mode, FrameDestination& destination);
    // The program's levels back into the destination, once; the merge ends.
    void release(FrameDestination& destination, const ShowModel& model);

    // Every channel of the program was set to 0 from outside (CLR ALL);
    // needed for card memory, which the merge does not read back each tick.
    void programCleared() { program_.fill(0); }

    // The program's own level of a channel (1..512), as the build left it.
    std::uint8_t programLevel(int channel) const { return program_[static_cast<std::size_t>(channel - 1)]; }

private:
    // A frame in memory that no longer holds what the merge wrote was written
    // by someone else: that is now the program's level.
    void adoptOutsideWrites(const ShowModel& model);

    using Levels = std::array<std::uint8_t, DmxChannels>;

    class Shadow final : public FrameDestination {
    public:
        explicit Shadow(Levels& levels) : levels_(levels) {}
        void writeLevel(int channel, std::uint8_t level) override
        {
            levels_[static_cast<std::size_t>(channel - 1)] = level;
        }

    private:
        Levels& levels_;
    };

    Levels program_{};
    Shadow shadow_{program_};
    Levels sent_{};         // what the merge last wrote into the destination
    Levels lastProgram_{};  // the levels of the tick before, for LTP
    Levels lastInput_{};
    std::size_t lastCovered_ = 0;
    std::array<bool, DmxChannels> inputHolds_{};  // LTP: the input moved the channel last
    FrameShape shape_ = FrameShape::None;
};

}  // namespace tinctara
