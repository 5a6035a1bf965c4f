#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tinctara::testing {

// A 512-byte step frame as the memory card and the play unit receive it: the
// levels from channel 1 on, blend and hold times high byte first at 506..509,
// the mark at 511.
inline std::vector<std::uint8_t> frameOf(std::initializer_list<int> channels, int blend, int hold, int mark)
{
    std::vector<std::uint8_t> frame(512, 0);
    int channel = 0;
    for (const int level : channels)
        frame[static_cast<std::size_t>(channel++)] = static_cast<std::uint8_t>(level);
    frame[506] = static_cast<std::uint8_t>(blend >> 8);
    frame[507] = static_cast<std::uint8_t>(blend & 0xFF);
    frame[508] = static_cast<std::uint8_t>(hold >> 8);
    frame[509] = static_cast<std::uint8_t>(hold & 0xFF);
    frame[511] = static_cast<std::uint8_t>(mark);
    return frame;
}

}  // namespace tinctara::testing
