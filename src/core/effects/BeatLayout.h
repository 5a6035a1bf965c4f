#pragma once

#include "effects/Effects.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {

// Laying a sequence onto a song's beats: the input's steps are repeated in
// order, one per group of beats, with hold and blend times in whole ticks
// chosen so that each new picture is reached on its beat.
//
// The engine's step cycle, counting ticks from 0 at the first tick after PLAY
// (which runs with the song at `startSeconds`): the load tick of step s reads
// s's hold H and blend B and aims the fade at step s + 1; H hold ticks keep
// the picture; max(B, 1) fade ticks follow, and the last of them lands exactly
// on step s + 1. A cycle starting at tick t therefore begins to change the
// picture at t + 1 + H and reaches the next one at t + H + max(B, 1), and the
// next load tick is the tick after that. Step 1's picture is on the wall from
// PLAY on, so step k + 1 is reached at tick L1 + ... + Lk - 1, where
// Lk = 1 + Hk + max(Bk, 1) is at least 2.
struct BeatLayoutOptions {
    int everyBeats = 1;          // a step per this many beats
    double blendFraction = 0.5;  // of the beat period, 0..1
    double startSeconds = 0;     // the song's time at the first tick
    // The song's tempo as its analysis found it; 0: the median distance of the beats.
    double beatPeriodSeconds = 0;
};

inline constexpr double TickSeconds = 0.05;

struct BeatStep {
    int inputStep = 0;  // 1-based step of the input sequence
    std::uint16_t hold = 0;
    std::uint16_t blend = 1;
    long long arrivalTick = 0;  // when the next step's picture is reached, 0 = first tick
    double beatSeconds = 0;     // the song's beat it belongs on
};

struct BeatLayoutReport {
    int beats = 0;                 // beats from the start on
    double firstBeatSeconds = 0;   // the first of them; a lead-in before it shifts every repeat
    double tempoBpm = 0;           // from the median beat period
    int groupedSteps = 0;          // steps spanning more beats than asked, their group being under 2 ticks
    double worstErrorSeconds = 0;  // of a picture's arrival against its beat
    // The 250-step limit: the beats after the last step's, and what the
    // loop does against the song from there on.
    bool limited = false;
    int beatsLeft = 0;
    double loopSeconds = 0;
    double loopBeats = 0;          // the loop's length in beats of the song's tempo
    double driftAtEndSeconds = 0;  // the repeated steps against the song's last beat group
    double worstDriftSeconds = 0;  // and the furthest they fall from a beat group
};

struct BeatLayout {
    std::vector<BeatStep> steps;
    BeatLayoutReport report;
};

inline constexpr int MaxBeatSteps = MaxEffectSteps;

// Never throws; no steps come out when the input has none or the song has
// fewer than two beat groups from the start on. Beats need not be sorted.
BeatLayout LayOntoBeats(int inputSteps, std::vector<double> beats, const BeatLayoutOptions& options);

// What a layout did, in German, a line each (ending in a new line): the
// tempo and the beats, the steps and their worst error, grouped steps and,
// at the limit, the drift of the repeated sequence. The same words for the
// command line and the effects window.
std::string BeatLayoutSummary(const BeatLayout& layout, const BeatLayoutOptions& options);

// Replaces the model's sequence (the input) with the laid-out steps, colours
// taken from the input steps, as REC would record them.
ApplyOutcome ApplyBeatLayout(ShowModel& model, UserInteraction& user, const BeatLayout& layout);

}  // namespace tinctara
