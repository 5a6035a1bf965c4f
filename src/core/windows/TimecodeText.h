#pragma once

#include "timecode/TimecodeControl.h"

#include <string>

namespace tinctara {

inline constexpr const char* NoTimecodeText = "--:--:--:--";

// The running timecode as the options tab and the sequencer show it: the
// label at the rate it came in, "--:--:--:--" before any was heard.
std::string runningTimecodeText(const TimecodeStatus& status);

}  // namespace tinctara
