#pragma once

#include "model/ShowModel.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"

#include <cstdint>

namespace tinctara {

// Where the level of a DMX channel goes. The builder only ever hands it
// channels 1..512.
class FrameDestination {
public:
    virtual ~FrameDestination() = default;
    virtual void writeLevel(int channel, std::uint8_t level) = 0;
    // What a write of `level` leaves in the frame.
    virtual std::uint8_t leaving(std::uint8_t level) const { return level; }
};

// ISA cards: one card-memory write per level, at address 1023 + channel.
class IsaCardDestination final : public FrameDestination {
public:
    IsaCardDestination(PortIo& ports, const std::int16_t& cardBase) : ports_(ports), cardBase_(cardBase) {}
    void writeLevel(int channel, std::uint8_t level) override;

private:
    PortIo& ports_;
    const std::int16_t& cardBase_;
};

// The USB interface's byte frame.
class ByteFrameDestination final : public FrameDestination {
public:
    explicit ByteFrameDestination(std::array<std::uint8_t, DmxFrameSlots>& frame) : frame_(frame) {}
    void writeLevel(int channel, std::uint8_t level) override { frame_[channel - 1] = level; }

private:
    std::array<std::uint8_t, DmxFrameSlots>& frame_;
};

// The driver-library cards' frame of 32-bit levels.
class WideFrameDestination final : public FrameDestination {
public:
    explicit WideFrameDestination(std::array<std::uint32_t, DmxFrameSlots>& frame) : frame_(frame) {}
    void writeLevel(int channel, std::uint8_t level) override { frame_[channel - 1] = level; }

private:
    std::array<std::uint32_t, DmxFrameSlots>& frame_;
};

// Fades without an interface: the arithmetic runs, no channel is written.
class NoDestination final : public FrameDestination {
public:
    void writeLevel(int, std::uint8_t) override {}
};

// The level a fade's float stands for on the wall: rounded half to even and
// held to 0..255.
std::uint8_t roundedLevel(float level);
// What a fade over `blendTime` ticks (at least 1) adds to a level each tick.
float blendIncrement(std::uint8_t from, std::uint8_t to, std::uint16_t blendTime);
// A fade's float after `ticks` more ticks, each adding `increment` in 32-bit
// floats as the tick does.
float fadedLevel(float level, float increment, std::int64_t ticks);

// One build from the current ElementColours.
void MitKarteHold(const ShowModel& model, FrameDestination& destination);
// One fade tick: advances BlendLevels, rounds them into ElementColours, shows
// each element as it is done and writes its levels.
void MitKarteBlend(ShowModel& model, ShowView& view, FrameDestination& destination);
// TestLevels on all 512 channels.
void BuildTestFrame(const ShowModel& model, FrameDestination& destination);

}  // namespace tinctara
