#pragma once

#include "model/ShowModel.h"

#include <array>
#include <cstdint>
#include <span>

namespace tinctara {

// The wall's colours in ElementColours' layout (plane-major).
using WallPicture = std::array<std::uint8_t, Planes * ElementSlots>;

// The colour that sends `level` on a channel with `correction`: the patch
// turned around. 0 stays 0; a level the correction cannot reach gives the
// nearest one (255, which sends 255 - correction).
std::uint8_t colourForLevel(std::uint8_t level, std::uint8_t correction);

// The picture that plays back the 512 input levels: every lamp colour patched
// to a channel takes that channel's level plus its correction; an unpatched
// colour (or one patched outside 1..512) is 0. Elements beyond those in use
// are 0 as well. Allocates nothing.
void pictureFromInput(const ShowModel& model, std::span<const std::uint8_t, DmxChannels> levels, WallPicture& picture);

}  // namespace tinctara
