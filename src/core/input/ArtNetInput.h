#pragma once

#include "dmx/NetworkPackets.h"
#include "input/ArtNetDecoder.h"
#include "net/RateLimiter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tinctara {

inline constexpr std::size_t ArtNetMaxSources = 8;
inline constexpr int ArtNetPacketsPerSecond = 100;
// A node forgets a source silent this long; Art-Net leaves it to the node,
// and desks and nodes commonly take 10 s.
inline constexpr std::int64_t ArtNetSourceTimeoutMs = 10'000;
// A sequence this far behind the last one taken is a late packet, not a
// sender that started again.
inline constexpr int ArtNetSequenceWindow = 20;

// What became of one ArtDmx packet.
enum class ArtNetVerdict {
    Taken,
    OtherPortAddress,  // for a universe we do not listen to
    TooManySources,    // a new sender while the table is full
    OutOfOrder,        // older than the last packet taken from its sender
    OverRate,          // beyond the sender's packets per second
};
inline constexpr std::size_t ArtNetVerdictKinds = 5;

struct ArtNetSourceInfo {
    std::uint32_t address = 0;  // IPv4, host order
    int packetsPerSecond = 0;   // taken in the last whole second
    std::size_t slots = 0;      // the levels its last packet carried
};

struct ArtNetLive {
    std::array<ArtNetSourceInfo, ArtNetMaxSources> sources{};
    std::size_t count = 0;
    std::span<const ArtNetSourceInfo> view() const { return {sources.data(), count}; }
};

// The ArtDmx packets for one port-address, from at most ArtNetMaxSources
// senders told apart by their IP address, merged highest-takes-precedence
// (Art-Net has no priority). Times are the monotonic clock in milliseconds.
// Nothing here allocates after construction.
class ArtNetInput {
public:
    explicit ArtNetInput(int portAddress);

    int portAddress() const { return portAddress_; }

    ArtNetVerdict take(const ArtNetDmx& dmx, std::uint32_t sourceAddress, std::int64_t nowMs);

    // The highest level of each slot over the live senders; slots a sender
    // did not send count as 0. All zero when nobody is live.
    void merged(std::span<std::uint8_t, NetworkSlots> levels, std::int64_t nowMs) const;
    ArtNetLive live(std::int64_t nowMs) const;

    // How many packets met each verdict since construction.
    std::uint64_t count(ArtNetVerdict verdict) const { return counts_[static_cast<std::size_t>(verdict)]; }

private:
    struct Source {
        bool used = false;
        std::uint32_t address = 0;
        std::int64_t lastHeardMs = 0;
        std::uint8_t lastSequence = 0;
        RateLimiter rate{ArtNetPacketsPerSecond, ArtNetPacketsPerSecond};
        std::int64_t secondStartMs = 0;
        int takenThisSecond = 0;
        int takenLastSecond = 0;
        std::size_t length = 0;
        std::array<std::uint8_t, NetworkSlots> levels{};
    };

    static bool isLive(const Source& source, std::int64_t nowMs);
    Source* find(std::uint32_t address, std::int64_t nowMs);
    ArtNetVerdict judge(const ArtNetDmx& dmx, std::uint32_t sourceAddress, std::int64_t nowMs);

    int portAddress_;
    std::array<Source, ArtNetMaxSources> sources_{};
    std::array<std::uint64_t, ArtNetVerdictKinds> counts_{};
};

}  // namespace tinctara
