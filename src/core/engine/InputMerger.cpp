#include "engine/InputMerger.h"

#include <algorithm>

namespace tinctara {

namespace {

std::uint8_t levelOf(long long level) { return static_cast<std::uint8_t>(std::clamp(level, 0LL, 255LL)); }

}  // namespace

FrameDestination& InputMerger::prepare(const OutputPort& port, const ShowModel& model, PortIo& ports)
{
    if (!holding()) {
        shape_ = port.shape();
        for (int channel = 1; channel <= DmxChannels; ++channel)
            program_[channel - 1] = levelOf(port.readBack(model, ports, channel));
        sent_ = program_;
        lastProgram_ = program_;
        lastCovered_ = 0;
        inputHolds_.fill(false);
    } else {
        adoptOutsideWrites(model);
    }
    return shadow_;
}

void InputMerger::adoptOutsideWrites(const ShowModel& model)
{
    for (std::size_t i = 0; i < program_.size(); ++i) {
        std::uint8_t level = sent_[i];
        if (shape_ == FrameShape::Bytes)
            level = model.DmxFrame[i];
        else if (shape_ == FrameShape::Wide)
            level = levelOf(model.DmxFrameWide[i]);
        if (level != sent_[i])
            program_[i] = level;
    }
}

void InputMerger::merge(const DmxInputFrame& input, InputMerge mode, FrameDestination& destination)
{
    const std::size_t covered = input.live ? std::min(input.covered, program_.size()) : 0;
    for (std::size_t i = 0; i < program_.size(); ++i) {
        const std::uint8_t program = program_[i];
        const std::uint8_t in = input.levels[i];
        std::uint8_t level = program;
        if (i >= covered) {
            inputHolds_[i] = false;
        } else if (mode == InputMerge::Htp) {
            level = std::max(program, in);
        } else if (mode == InputMerge::InputFirst) {
            level = in;
        } else if (mode == InputMerge::Ltp) {
            if (i < lastCovered_ && in != lastInput_[i])
                inputHolds_[i] = true;
            else if (program != lastProgram_[i])
                inputHolds_[i] = false;
            level = inputHolds_[i] ? in : program;
        }
        destination.writeLevel(static_cast<int>(i) + 1, level);
        // A level master scales what it writes: that is no outside write.
        sent_[i] = destination.leaving(level);
    }
    // Another mode in between starts LTP afresh: the program holds every channel.
    if (mode != InputMerge::Ltp)
        inputHolds_.fill(false);
    lastProgram_ = program_;
    lastInput_ = input.levels;
    lastCovered_ = covered;
}

void InputMerger::release(FrameDestination& destination, const ShowModel& model)
{
    adoptOutsideWrites(model);
    for (int channel = 1; channel <= DmxChannels; ++channel)
        destination.writeLevel(channel, program_[channel - 1]);
    shape_ = FrameShape::None;
}

}  // namespace tinctara
