#include "engine/FrameBuilder.h"

#include "dmx/IsaCard.h"
#include "model/ShowOperations.h"
#include "text/Text.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

std::uint8_t roundedLevel(float level)
{
    const double rounded = roundHalfEven(level);
    if (rounded <= 0)
        return 0;
    if (rounded >= 255)
        return 255;
    return static_cast<std::uint8_t>(rounded);
}

float blendIncrement(std::uint8_t from, std::uint8_t to, std::uint16_t blendTime)
{
    const double divisor = blendTime == 0 ? 1 : blendTime;
    return static_cast<float>((static_cast<double>(to) - from) / divisor);
}

// Within one binade every float is a whole multiple of its spacing u, so each
// tick whose exact sum stays in the binade adds the same whole number of u:
// the increment rounded to u (a tie rounds to the even multiple, which keeps
// the level even). Those ticks are taken at once; at the binade's edges, on a
// tie from an odd level and near 0 single float steps are taken instead.
// Rounding is symmetric, so a negative level is worked as its mirror.
float fadedLevel(float level, float increment, std::int64_t ticks)
{
    while (ticks > 0) {
        const double sign = level < 0 ? -1.0 : 1.0;
        const double x = sign * level;
        const double q0 = sign * increment;
        if (x < 0x1p-100 || increment == 0) {
            level = level + increment;
            --ticks;
            continue;
        }
        int exponent = 0;
        std::frexp(x, &exponent);
        const double u = std::ldexp(1.0, exponent - 24);
        const double low = 0x1p23;  // the binade in units of u
        const double high = 0x1p24;
        const double k = x / u;
        const double q = q0 / u;
        const double floorQ = std::floor(q);
        const bool tie = q - floorQ == 0.5;
        const double d = !tie ? std::nearbyint(q) : std::fmod(floorQ, 2.0) == 0 ? floorQ : floorQ + 1;
        if (k + q < low || k + q >= high || (tie && std::fmod(k, 2.0) != 0)) {
            level = level + increment;
            --ticks;
            continue;
        }
        if (d == 0)
            return level;
        // n ticks are safe while the last one's exact sum stays in the binade.
        const double room = d > 0 ? (high - k - q) / d : (k + q - low) / -d;
        auto fits = [&](std::int64_t n) {
            const double last = k + static_cast<double>(n - 1) * d + q;
            return d > 0 ? last < high : last >= low;
        };
        std::int64_t n = std::min<std::int64_t>(static_cast<std::int64_t>(room) + 1, ticks);
        while (n > 1 && !fits(n))
            --n;
        level = static_cast<float>(sign * (k + static_cast<double>(n) * d) * u);
        ticks -= n;
    }
    return level;
}

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
