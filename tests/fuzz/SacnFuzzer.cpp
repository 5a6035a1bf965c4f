// The sACN receive side, fed a stream of datagrams (SacnStream.h): each is
// decoded and a decoded one handed to the sources of universe 1, with the
// time running on. Beside any crash or out-of-bounds access, a finding is a
// decoded packet outside the ranges the decoder checks, a merged level no
// live source sent in that slot, a table beyond its limit, a rate above what arrived, or an outcome
// counted other than once per packet.
#include "FuzzRequire.h"
#include "SacnStream.h"
#include "input/SacnDecoder.h"
#include "input/SacnSources.h"

#include <algorithm>
#include <numeric>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "sacn", what); }

void checkDecoded(const SacnData& d, std::span<const std::uint8_t> datagram)
{
    require(d.priority >= 0 && d.priority <= SacnHighestPriority, "a priority beyond 200");
    require(d.universe >= SacnFirstUniverse && d.universe <= SacnLastUniverse, "a universe out of range");
    require(d.sourceName.size() <= 64, "a source name beyond its field");
    require(d.startCode == 0, "levels with another start code");
    require(d.slots.size() <= NetworkSlots, "more than 512 slots");
    require(d.slots.data() + d.slots.size() == datagram.data() + datagram.size(), "slots that are not the rest");
}

void checkMerge(const SacnSources& sources)
{
    std::array<std::uint8_t, NetworkSlots> levels{};
    sources.merged(levels);
    require(sources.sources().size() <= SacnSources::Limit, "more sources than the table holds");
    require(sources.live() == !sources.sources().empty(), "live without a source");
    for (std::size_t slot = 0; slot < levels.size(); ++slot) {
        if (levels[slot] == 0)
            continue;
        const bool sent = std::any_of(sources.sources().begin(), sources.sources().end(), [&](const SacnSource& s) {
            return slot < s.levels().size() && s.levels()[slot] == levels[slot];
        });
        require(sent, "a merged level no source sent");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SacnSources sources(1);
    std::int64_t now = 0;
    std::uint64_t handed = 0;
    fuzz::readSacnStream(std::span(data, size), [&](const fuzz::SacnArrival& arrival) {
        now += arrival.afterMs;
        sources.expire(now);
        const SacnDecoded decoded = decodeSacn(arrival.datagram);
        if (!decoded.drop) {
            checkDecoded(decoded.data, arrival.datagram);
            sources.receive(decoded.data, now);
            ++handed;
        }
        for (const SacnSource& s : sources.sources()) {
            const int rate = s.packetsPerSecond(now);
            require(rate >= 0 && static_cast<std::uint64_t>(rate) <= handed, "more packets per second than arrived");
            require(s.name().size() <= 64, "a source name beyond its field");
        }
        checkMerge(sources);
    });
    const auto& outcomes = sources.outcomes();
    require(std::accumulate(outcomes.begin(), outcomes.end(), std::uint64_t{0}) == handed,
            "outcomes not counted once per packet");
    return 0;
}
