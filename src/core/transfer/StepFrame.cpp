#include "transfer/StepFrame.h"

namespace tinctara {

SlotKind slotKind(const ShowModel& model, int slot)
{
    if (slot <= model.StepCount)
        return SlotKind::Step;
    if (slot == model.StepCount + 1)
        return SlotKind::LastStep;
    return SlotKind::Fill;
}

SlotKind buildStepFrame(const ShowModel& model, int slot, StepFrame& frame)
{
    frame.fill(0);
    const SlotKind kind = slotKind(model, slot);
    if (kind != SlotKind::Fill) {
        const int picture = kind == SlotKind::Step ? slot : 1;
        for (int element = 1; element <= model.elementsInUse(); ++element)
            for (int plane = Red; plane <= White; ++plane) {
                const int channel = model.patch(element, plane);
                if (channel < 1 || channel > DmxChannels)
                    continue;
                const int level = model.stepColour(picture, element, plane) - model.correction(element, plane);
                frame[static_cast<std::size_t>(channel - 1)] = static_cast<std::uint8_t>(level < 0 ? 0 : level);
            }
    }
    std::uint16_t blend = 0;
    std::uint16_t hold = 0;
    if (slot >= 1 && slot <= StepSlots) {
        blend = model.blendTime(slot);
        hold = model.holdTime(slot);
    }
    frame[StepFrameOffset::BlendHigh] = static_cast<std::uint8_t>(blend >> 8);
    frame[StepFrameOffset::BlendLow] = static_cast<std::uint8_t>(blend & 0xFF);
    frame[StepFrameOffset::HoldHigh] = static_cast<std::uint8_t>(hold >> 8);
    frame[StepFrameOffset::HoldLow] = static_cast<std::uint8_t>(hold & 0xFF);
    frame[StepFrameOffset::Reserved] = 0;
    frame[StepFrameOffset::Mark] = kind == SlotKind::Step ? MoreStepsFollow : 0;
    return kind;
}

}  // namespace tinctara
