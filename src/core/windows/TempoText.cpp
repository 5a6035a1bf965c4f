#include "windows/TempoText.h"

#include "engine/MusicSync.h"

#include <cmath>

namespace tinctara {

std::string tempoText(double bpm)
{
    if (!(bpm > 0) || !std::isfinite(bpm))
        return TempoUnknownText;
    const long tenths = std::lround(bpm * 10);
    std::string text = "Tempo: " + std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "," + std::to_string(tenths % 10);
    return text + " BPM";
}

double bpmOfPeriod(double periodTicks)
{
    if (!(periodTicks > 0) || !std::isfinite(periodTicks))
        return 0.0;
    return 60000.0 / (periodTicks * MusicSync::TickMilliseconds);
}

}  // namespace tinctara
