#pragma once

#include "input/SacnDecoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tinctara {

// What became of a decoded packet handed to SacnSources.
enum class SacnOutcome {
    Taken,           // its levels count from now on
    Ended,           // stream terminated: its source is gone
    OtherUniverse,   // not the universe listened to
    Preview,         // meant for a visualiser, not for the lamps
    OutOfOrder,      // older than the source's last packet, or a repeat
    TooManySources,  // the table is full
    RateExceeded,    // the source sent more than RateLimit packets this second
};
inline constexpr std::size_t SacnOutcomeKinds = static_cast<std::size_t>(SacnOutcome::RateExceeded) + 1;

// One sending source of the universe, told apart by its CID.
class SacnSource {
public:
    const Cid& cid() const { return cid_; }
    std::string_view name() const { return {name_.data(), nameSize_}; }
    int priority() const { return priority_; }
    // Packets that arrived in the last whole second, refused ones included.
    int packetsPerSecond(std::int64_t nowMs) const;
    std::span<const std::uint8_t> levels() const { return {levels_.data(), slotCount_}; }

private:
    friend class SacnSources;
    Cid cid_{};
    std::array<char, E131::SourceNameSize> name_{};
    std::size_t nameSize_ = 0;
    int priority_ = 0;
    std::uint8_t sequence_ = 0;
    std::int64_t lastMs_ = 0;
    std::int64_t windowStartMs_ = 0;  // the second the rate bound counts in
    int inWindow_ = 0;
    int lastWindow_ = 0;
    std::array<std::uint8_t, NetworkSlots> levels_{};
    std::size_t slotCount_ = 0;
};

// The sources of one universe and their merge: the highest priority among
// the live sources wins, and among sources of that priority the highest level
// of each slot. A fixed table; nothing is allocated after construction.
// Time is the caller's monotonic milliseconds.
class SacnSources {
public:
    static constexpr std::size_t Limit = 8;
    static constexpr std::int64_t LossTimeoutMs = 2500;  // network data loss
    static constexpr int RateLimit = 100;                // packets per second and source

    explicit SacnSources(int universe) : universe_(universe) {}

    SacnOutcome receive(const SacnData& packet, std::int64_t nowMs);
    // Drops the sources silent for LossTimeoutMs or longer.
    void expire(std::int64_t nowMs);
    void merged(std::span<std::uint8_t, NetworkSlots> levels) const;

    bool live() const { return count_ > 0; }
    int universe() const { return universe_; }
    std::span<const SacnSource> sources() const { return {sources_.data(), count_}; }
    // How often each outcome happened, indexed by SacnOutcome.
    const std::array<std::uint64_t, SacnOutcomeKinds>& outcomes() const { return outcomes_; }

private:
    SacnOutcome count(SacnOutcome outcome);
    void remove(std::size_t index);

    int universe_;
    std::array<SacnSource, Limit> sources_{};
    std::size_t count_ = 0;
    std::array<std::uint64_t, SacnOutcomeKinds> outcomes_{};
};

}  // namespace tinctara
