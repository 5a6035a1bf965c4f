#include "input/InputRecorder.h"

#include "model/SequencePlayback.h"

#include <algorithm>

namespace tinctara {

InputRecorder::InputRecorder(ShowModel& model, RecorderSettings settings) : model_(model), settings_(settings)
{
    settings_.every = std::max(1, settings_.every);
    settings_.stepLimit = std::clamp(settings_.stepLimit, 1, RecorderSettings::MostSteps);
}

bool InputRecorder::due(const DmxInputFrame& frame) const
{
    if (recorded_ == 0)
        return true;
    if (settings_.onChange)
        return frame.version != lastVersion_;
    return ticksSinceStep_ >= settings_.every;
}

bool InputRecorder::tick(const DmxInputFrame& frame)
{
    ++ticksSinceStep_;
    if (!frame.live || full() || !due(frame))
        return false;
    if (recorded_ > 0)
        lastStepLasts(ticksSinceStep_);
    pictureFromInput(model_, frame.levels, picture_);
    appendStep(model_, picture_, 0, 0);
    ++recorded_;
    ticksSinceStep_ = 0;
    lastVersion_ = frame.version;
    return true;
}

void InputRecorder::finish()
{
    if (recorded_ > 0)
        lastStepLasts(settings_.onChange ? ticksSinceStep_ : settings_.every);
}

void InputRecorder::lastStepLasts(int ticks)
{
    constexpr int LoadAndFadeTicks = 2;
    model_.holdTime(model_.StepCount) = static_cast<std::uint16_t>(std::clamp(ticks - LoadAndFadeTicks, 0, 65535));
}

void appendStep(ShowModel& model, const WallPicture& picture, std::uint16_t hold, std::uint16_t blend)
{
    const int step = model.StepCount + 1;
    if (step > MaxSequenceSteps)
        return;
    const int elements = model.elementsInUse();
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.stepColour(step, element, plane) = picture[ShowModel::colourIndex(plane, element)];
    model.holdTime(step) = hold;
    model.blendTime(step) = blend;
    markStepsRecorded(model);
    model.StepCount = static_cast<std::uint8_t>(step);
    model.CurrentStep = model.StepCount;
}

}  // namespace tinctara
