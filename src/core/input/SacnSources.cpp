#include "input/SacnSources.h"

#include <algorithm>

namespace tinctara {

namespace {

constexpr std::int64_t SecondMs = 1000;

// A packet not newer than the last one and less than 20 behind it is a late
// or repeated one; a bigger jump back is a source that started again.
bool outOfOrder(std::uint8_t last, std::uint8_t next)
{
    const auto difference = static_cast<std::int8_t>(static_cast<std::uint8_t>(next - last));
    return difference <= 0 && difference > -20;
}

}  // namespace

int SacnSource::packetsPerSecond(std::int64_t nowMs) const
{
    if (nowMs - windowStartMs_ < SecondMs)
        return lastWindow_;
    return nowMs - windowStartMs_ < 2 * SecondMs ? inWindow_ : 0;
}

SacnOutcome SacnSources::count(SacnOutcome outcome)
{
    ++outcomes_[static_cast<std::size_t>(outcome)];
    return outcome;
}

void SacnSources::remove(std::size_t index)
{
    sources_[index] = sources_[count_ - 1];
    --count_;
}

SacnOutcome SacnSources::receive(const SacnData& packet, std::int64_t nowMs)
{
    if (packet.universe != universe_)
        return count(SacnOutcome::OtherUniverse);
    if (packet.preview)
        return count(SacnOutcome::Preview);

    const auto found = std::find_if(sources_.begin(), sources_.begin() + count_,
                                    [&](const SacnSource& s) { return s.cid_ == packet.cid; });
    const auto index = static_cast<std::size_t>(found - sources_.begin());
    const bool known = index < count_;
    if (!known) {
        if (packet.streamTerminated)
            return count(SacnOutcome::Ended);
        if (count_ == Limit)
            return count(SacnOutcome::TooManySources);
    }
    SacnSource& source = sources_[index];
    if (known) {
        if (nowMs - source.windowStartMs_ >= SecondMs) {
            source.lastWindow_ = source.packetsPerSecond(nowMs);
            source.windowStartMs_ = nowMs;
            source.inWindow_ = 0;
        }
        if (++source.inWindow_ > RateLimit)
            return count(SacnOutcome::RateExceeded);
        if (outOfOrder(source.sequence_, packet.sequence))
            return count(SacnOutcome::OutOfOrder);
        if (packet.streamTerminated) {
            remove(index);
            return count(SacnOutcome::Ended);
        }
    } else {
        source = SacnSource{};
        source.cid_ = packet.cid;
        source.windowStartMs_ = nowMs;
        source.inWindow_ = 1;
        ++count_;
    }

    source.nameSize_ = std::min(packet.sourceName.size(), source.name_.size());
    std::copy_n(packet.sourceName.begin(), source.nameSize_, source.name_.begin());
    source.priority_ = packet.priority;
    source.sequence_ = packet.sequence;
    source.lastMs_ = nowMs;
    source.slotCount_ = std::min(packet.slots.size(), source.levels_.size());
    std::copy_n(packet.slots.begin(), source.slotCount_, source.levels_.begin());
    return count(SacnOutcome::Taken);
}

void SacnSources::expire(std::int64_t nowMs)
{
    for (std::size_t i = count_; i-- > 0;)
        if (nowMs - sources_[i].lastMs_ >= LossTimeoutMs)
            remove(i);
}

void SacnSources::merged(std::span<std::uint8_t, NetworkSlots> levels) const
{
    std::fill(levels.begin(), levels.end(), std::uint8_t{0});
    const SacnSource* end = sources_.data() + count_;
    const auto highest = std::max_element(
        sources_.data(), end, [](const SacnSource& a, const SacnSource& b) { return a.priority_ < b.priority_; });
    for (const SacnSource* s = sources_.data(); s != end; ++s)
        if (s->priority_ == highest->priority_)
            for (std::size_t slot = 0; slot < s->slotCount_; ++slot)
                levels[slot] = std::max(levels[slot], s->levels_[slot]);
}

}  // namespace tinctara
