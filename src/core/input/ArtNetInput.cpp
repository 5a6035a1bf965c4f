#include "input/ArtNetInput.h"

#include <algorithm>

namespace tinctara {

namespace {

constexpr std::int64_t SecondMs = 1000;

// Whether `next` comes before `last` by the 8-bit wrap: a step back of at
// most ArtNetSequenceWindow.
bool isLate(std::uint8_t next, std::uint8_t last)
{
    const auto step = static_cast<std::int8_t>(static_cast<std::uint8_t>(next - last));
    return step < 0 && step >= -ArtNetSequenceWindow;
}

}  // namespace

ArtNetInput::ArtNetInput(int portAddress) : portAddress_(portAddress & ArtNetLastPortAddress) {}

bool ArtNetInput::isLive(const Source& source, std::int64_t nowMs)
{
    return source.used && nowMs - source.lastHeardMs < ArtNetSourceTimeoutMs;
}

ArtNetInput::Source* ArtNetInput::find(std::uint32_t address, std::int64_t nowMs)
{
    Source* free = nullptr;
    for (Source& source : sources_) {
        if (source.used && source.address == address && isLive(source, nowMs))
            return &source;
        if (!free && !isLive(source, nowMs))
            free = &source;
    }
    if (free)
        *free = Source{.used = true, .address = address, .lastHeardMs = nowMs, .secondStartMs = nowMs};
    return free;
}

ArtNetVerdict ArtNetInput::take(const ArtNetDmx& dmx, std::uint32_t sourceAddress, std::int64_t nowMs)
{
    const ArtNetVerdict verdict = judge(dmx, sourceAddress, nowMs);
    ++counts_[static_cast<std::size_t>(verdict)];
    return verdict;
}

ArtNetVerdict ArtNetInput::judge(const ArtNetDmx& dmx, std::uint32_t sourceAddress, std::int64_t nowMs)
{
    if (dmx.portAddress != portAddress_)
        return ArtNetVerdict::OtherPortAddress;
    Source* source = find(sourceAddress, nowMs);
    if (!source)
        return ArtNetVerdict::TooManySources;
    source->lastHeardMs = std::max(source->lastHeardMs, nowMs);
    if (dmx.sequence != 0 && source->lastSequence != 0 && isLate(dmx.sequence, source->lastSequence))
        return ArtNetVerdict::OutOfOrder;
    if (!source->rate.allow(nowMs))
        return ArtNetVerdict::OverRate;

    if (nowMs - source->secondStartMs >= SecondMs) {
        const bool nextSecond = nowMs - source->secondStartMs < 2 * SecondMs;
        source->takenLastSecond = nextSecond ? source->takenThisSecond : 0;
        source->takenThisSecond = 0;
        source->secondStartMs = nextSecond ? source->secondStartMs + SecondMs : nowMs;
    }
    ++source->takenThisSecond;
    source->lastSequence = dmx.sequence;
    const std::size_t length = std::min(dmx.levels.size(), NetworkSlots);
    std::copy_n(dmx.levels.begin(), length, source->levels.begin());
    source->length = length;
    return ArtNetVerdict::Taken;
}

void ArtNetInput::merged(std::span<std::uint8_t, NetworkSlots> levels, std::int64_t nowMs) const
{
    std::fill(levels.begin(), levels.end(), 0);
    for (const Source& source : sources_) {
        if (!isLive(source, nowMs))
            continue;
        for (std::size_t slot = 0; slot < source.length; ++slot)
            levels[slot] = std::max(levels[slot], source.levels[slot]);
    }
}

ArtNetLive ArtNetInput::live(std::int64_t nowMs) const
{
    ArtNetLive live;
    for (const Source& source : sources_) {
        if (!isLive(source, nowMs))
            continue;
        // A second that ended without a packet after it still counts; one
        // further back is over.
        const std::int64_t since = nowMs - source.secondStartMs;
        const int rate = since < SecondMs ? source.takenLastSecond : since < 2 * SecondMs ? source.takenThisSecond : 0;
        live.sources[live.count++] = {source.address, rate, source.length};
    }
    return live;
}

}  // namespace tinctara
