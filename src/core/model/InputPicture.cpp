#include "model/InputPicture.h"

namespace tinctara {

std::uint8_t colourForLevel(std::uint8_t level, std::uint8_t correction)
{
    if (level == 0)
        return 0;
    const int colour = level + correction;
    return static_cast<std::uint8_t>(colour > 255 ? 255 : colour);
}

void pictureFromInput(const ShowModel& model, std::span<const std::uint8_t, DmxChannels> levels, WallPicture& picture)
{
    picture.fill(0);
    const int elements = model.elementsInUse();
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane) {
            const int channel = model.patch(element, plane);
            if (channel < 1 || channel > DmxChannels)
                continue;
            picture[ShowModel::colourIndex(plane, element)] =
                colourForLevel(levels[channel - 1], model.correction(element, plane));
        }
    }
}

}  // namespace tinctara
