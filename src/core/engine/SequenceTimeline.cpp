#include "engine/SequenceTimeline.h"

#include "engine/FrameBuilder.h"

#include <algorithm>

namespace tinctara {

namespace {

// Loops played at once: a show usually repeats from its second or third loop,
// and a seek should not have to play one.
constexpr int LoopsPlayedAhead = 8;

}  // namespace

SequenceTimeline::SequenceTimeline(const ShowModel& model)
    : stepCount_(std::min<int>(model.StepCount, StepSlots)), elements_(model.elementsInUse())
{
    for (int step = 1; step <= stepCount_; ++step) {
        holds_.push_back(model.holdTime(step));
        fades_.push_back(std::max<std::uint16_t>(model.blendTime(step), 1));
        starts_.push_back(loopTicks_);
        loopTicks_ += stepTicks(step);
        for (int element = 1; element <= elements_; ++element)
            for (int plane = Red; plane <= White; ++plane)
                colours_.push_back(model.stepColour(step, element, plane));
    }
    if (empty())
        return;
    Picture atPlay;
    for (int element = 1; element <= elements_; ++element)
        for (int plane = Red; plane <= White; ++plane)
            atPlay.push_back(model.colour(plane, element));
    nextStart_ = std::move(atPlay);
    while (!period_ && loopsPlayed() < LoopsPlayedAhead)
        playLoop(nextStart_);
}

bool SequenceTimeline::sameSequence(const ShowModel& model) const
{
    if (std::min<int>(model.StepCount, StepSlots) != stepCount_ || model.elementsInUse() != elements_)
        return false;
    auto colour = colours_.begin();
    for (int step = 1; step <= stepCount_; ++step) {
        if (model.holdTime(step) != holdTicks(step) ||
            std::max<std::uint16_t>(model.blendTime(step), 1) != fadeTicks(step))
            return false;
        for (int element = 1; element <= elements_; ++element)
            for (int plane = Red; plane <= White; ++plane)
                if (model.stepColour(step, element, plane) != *colour++)
                    return false;
    }
    return true;
}

TimelinePosition SequenceTimeline::at(std::int64_t tick) const
{
    TimelinePosition position;
    if (empty() || tick < 0)
        return position;
    position.loop = tick / loopTicks_;
    const std::int64_t inLoop = tick % loopTicks_;
    position.step = static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), inLoop) - starts_.begin());
    position.tickInStep = inLoop - stepStart(position.step);
    return position;
}

const std::vector<std::uint8_t>& SequenceTimeline::pictureAtLoad(std::int64_t loop, int step)
{
    return loops_[static_cast<std::size_t>(storedLoop(loop))][static_cast<std::size_t>(step - 1)];
}

std::int64_t SequenceTimeline::storedLoop(std::int64_t loop)
{
    while (!period_ && loop >= loopsPlayed())
        playLoop(nextStart_);
    if (loop < loopsPlayed())
        return loop;
    return *repeatFrom_ + (loop - *repeatFrom_) % *period_;
}

void SequenceTimeline::playLoop(Picture start)
{
    const auto seen = loopOfStart_.find(start);
    if (seen != loopOfStart_.end()) {
        repeatFrom_ = seen->second;
        period_ = loopsPlayed() - seen->second;
        return;
    }
    loopOfStart_.emplace(start, loopsPlayed());
    std::vector<Picture> pictures;
    pictures.reserve(static_cast<std::size_t>(stepCount_));
    pictures.push_back(std::move(start));
    for (int step = 1; step < stepCount_; ++step)
        pictures.push_back(afterStep(pictures.back(), step));
    nextStart_ = afterStep(pictures.back(), stepCount_);
    loops_.push_back(std::move(pictures));
}

SequenceTimeline::Picture SequenceTimeline::afterStep(const Picture& atLoad, int step) const
{
    const std::uint8_t* target = stepColours(step < stepCount_ ? step + 1 : 1);
    const std::uint16_t ticks = fadeTicks(step);
    Picture after(atLoad.size());
    for (std::size_t i = 0; i < atLoad.size(); ++i) {
        const float increment = blendIncrement(atLoad[i], target[i], ticks);
        after[i] = roundedLevel(fadedLevel(atLoad[i], increment, ticks));
    }
    return after;
}

}  // namespace tinctara
