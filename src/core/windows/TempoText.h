#pragma once

#include <string>

namespace tinctara {

inline constexpr const char* TempoUnknownText = "Tempo: –";

// "Tempo: 120 BPM", "Tempo: 127,5 BPM" (a tenth only where it is not whole);
// "Tempo: –" for a tempo not known (0, negative or not a number).
std::string tempoText(double bpm);

// The tempo of a beat period in ticks of 50 ms; 0 when not known.
double bpmOfPeriod(double periodTicks);

}  // namespace tinctara
