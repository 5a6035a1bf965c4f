#pragma once

#include "model/ShowModel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tinctara {

// Where a tick after PLAY falls: in which pass through the sequence (loop 0
// starts at PLAY), in which step, and how many ticks after that step's load.
struct TimelinePosition {
    std::int64_t loop = 0;
    int step = 1;
    std::int64_t tickInStep = 0;  // 0: the load tick
};

// The ticks of a sequence played from step 1 (ZERO, then PLAY), counted from
// the first tick after PLAY as tick 0, with the Beat off. Each step lasts its
// load tick, its hold and max(blend, 1) fade ticks, and after the last step
// the next tick loads step 1 again, so every loop is equally long.
//
// A fade ends on its target only up to the rounding of its float steps, so the
// picture at a step's load depends on every fade before it. The time line
// plays whole loops with the tick's own arithmetic (fade by fade, not tick by
// tick) and keeps the picture at every step's load; once a loop starts on a
// picture an earlier loop started on, the show repeats from there and later
// loops are found by whole periods.
//
// A snapshot: it copies the steps, their times and the picture on the wall at
// PLAY, and never reads the model again.
class SequenceTimeline {
public:
    // The sequence of `model`, with the wall's present colours as the picture
    // at PLAY. A model without steps makes an empty time line.
    explicit SequenceTimeline(const ShowModel& model);

    bool empty() const { return stepCount_ == 0; }
    // Whether `model`'s sequence is still the one this time line was made
    // of: its steps, their times and colours, and the lamps in use.
    bool sameSequence(const ShowModel& model) const;
    int stepCount() const { return stepCount_; }
    int elements() const { return elements_; }
    std::uint16_t holdTicks(int step) const { return holds_[static_cast<std::size_t>(step - 1)]; }
    // The fade's ticks: a blend time of 0 fades in one.
    std::uint16_t fadeTicks(int step) const { return fades_[static_cast<std::size_t>(step - 1)]; }
    std::int64_t stepTicks(int step) const { return 1 + holdTicks(step) + fadeTicks(step); }
    // The tick of a step's load within its loop.
    std::int64_t stepStart(int step) const { return starts_[static_cast<std::size_t>(step - 1)]; }
    std::int64_t loopTicks() const { return loopTicks_; }

    TimelinePosition at(std::int64_t tick) const;

    // The picture on the wall at a step's load tick, element-major as
    // ShowModel::blendIndex counts (elements() × 4 levels). Loops not played
    // yet are played now, up to the first repeat.
    const std::vector<std::uint8_t>& pictureAtLoad(std::int64_t loop, int step);
    // A step's own colours, laid out as the picture.
    const std::uint8_t* stepColours(int step) const
    {
        return colours_.data() + static_cast<std::size_t>(step - 1) * static_cast<std::size_t>(planes());
    }

    // The loops played so far.
    std::int64_t loopsPlayed() const { return static_cast<std::int64_t>(loops_.size()); }
    // Once found: the first loop of the repeating part and how many loops it spans.
    std::optional<std::int64_t> firstRepeatingLoop() const { return repeatFrom_; }
    std::optional<std::int64_t> periodLoops() const { return period_; }

private:
    using Picture = std::vector<std::uint8_t>;
    int planes() const { return elements_ * Planes; }
    // The loop whose pictures loop `loop` repeats.
    std::int64_t storedLoop(std::int64_t loop);
    // Plays the next loop from the end of the last one.
    void playLoop(Picture start);
    // The picture a step's fade leaves, from the picture at its load.
    Picture afterStep(const Picture& atLoad, int step) const;

    int stepCount_ = 0;
    int elements_ = 0;
    std::vector<std::uint16_t> holds_;
    std::vector<std::uint16_t> fades_;
    std::vector<std::int64_t> starts_;
    std::int64_t loopTicks_ = 0;
    std::vector<std::uint8_t> colours_;  // step-major, then as a picture
    // Per loop, the picture at each step's load; the picture the last loop
    // ends on starts the next.
    std::vector<std::vector<Picture>> loops_;
    Picture nextStart_;
    std::map<Picture, std::int64_t> loopOfStart_;
    std::optional<std::int64_t> repeatFrom_;
    std::optional<std::int64_t> period_;
};

}  // namespace tinctara
