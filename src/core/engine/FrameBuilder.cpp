#include "engine/FrameBuilder.h"

#include "dmx/IsaCard.h"
#include "model/ShowOperations.h"
#include "text/Text.h"

namespace tinctara {

namespace {

// Correction lowers a level and never below 0; a patch outside 1..512 (0 marks
// an unpatched plane) is skipped so that nothing lands outside the frame.
void outputLevel(const ShowModel& model, FrameDestination& destination, int element, int plane, int level)
{
    const int corrected = level - model.correction(element, plane);
    const int channel = model.patch(element, plane);
    if (channel < 1 || channel > DmxChannels)
        return;
    destination.writeLevel(channel, static_cast<std::uint8_t>(corrected < 0 ? 0 : corrected));
}

std::uint8_t roundedLevel(float level)
{
    const double rounded = roundHalfEven(level);
    if (rounded <= 0)
        return 0;
    if (rounded >= 255)
        return 255;
    return static_cast<std::uint8_t>(rounded);
}

}  // namespace

void IsaCardDestination::writeLevel(int channel, std::uint8_t level)
{
    WriteCardByte(ports_, static_cast<std::uint16_t>(cardBase_), cardAddressOfChannel(channel), level);
}

void MitKarteHold(const ShowModel& model, FrameDestination& destination)
{
    const int elements = model.elementsInUse();
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            outputLevel(model, destination, element, plane, model.colour(plane, element));
}

void MitKarteBlend(ShowModel& model, ShowView& view, FrameDestination& destination)
{
    const int elements = model.elementsInUse();
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane) {
            const int i = ShowModel::blendIndex(element, plane);
            model.BlendLevels[i] = model.BlendLevels[i] + model.BlendIncrements[i];
            const std::uint8_t level = roundedLevel(model.BlendLevels[i]);
            model.colour(plane, element) = level;
            outputLevel(model, destination, element, plane, level);
        }
        ShowElementColour(model, view, element - 1);
    }
}

void BuildTestFrame(const ShowModel& model, FrameDestination& destination)
{
    for (int channel = 1; channel <= DmxChannels; ++channel)
        destination.writeLevel(channel, model.TestLevels[channel - 1]);
}

}  // namespace tinctara
