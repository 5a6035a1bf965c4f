#include "windows/TimecodeText.h"

namespace tinctara {

std::string runningTimecodeText(const TimecodeStatus& status)
{
    return status.time ? formatTimecode(*status.time, status.rate) : NoTimecodeText;
}

}  // namespace tinctara
