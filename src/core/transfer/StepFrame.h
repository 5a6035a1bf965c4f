#pragma once

#include "model/ShowModel.h"

#include <array>
#include <cstdint>

namespace tinctara {

// One 512-byte frame of a sequence for the stand-alone player, as written to
// the memory card (one per slot) and sent to the play unit (one per tick):
// the picture by patched channel, then blend and hold time high byte first at
// 506..509, 0 at 510, and at 511 128 while more steps follow.
using StepFrame = std::array<std::uint8_t, DmxChannels>;

namespace StepFrameOffset {
inline constexpr int BlendHigh = 506;
inline constexpr int BlendLow = 507;
inline constexpr int HoldHigh = 508;
inline constexpr int HoldLow = 509;
inline constexpr int Reserved = 510;
inline constexpr int Mark = 511;
}  // namespace StepFrameOffset

inline constexpr std::uint8_t MoreStepsFollow = 128;

// What slot k holds for a sequence of StepCount steps.
enum class SlotKind {
    Step,      // k <= StepCount: step k's picture, marked
    LastStep,  // k = StepCount + 1: step 1's picture again, unmarked
    Fill,      // beyond: no picture, only the times found at position k
};

SlotKind slotKind(const ShowModel& model, int slot);

// Builds slot k (1-based). Times come from SequenceTimes at position k; a
// slot past the 255 positions has none and gets times 0. A patch channel
// outside 1..512 has no place in the frame and is skipped.
SlotKind buildStepFrame(const ShowModel& model, int slot, StepFrame& frame);

}  // namespace tinctara
