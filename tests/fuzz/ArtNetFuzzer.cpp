// The Art-Net receive side, fed whole datagrams. Beside any crash or read
// outside the datagram: an ArtDmx whose levels lie outside it or break the
// length rules, a taken packet the merge does not show at least as high, a
// live table larger than its bound, and a reply that is not answered as the
// poll asked.
#include "FuzzRequire.h"
#include "input/ArtNetDecoder.h"
#include "input/ArtNetInput.h"
#include "input/ArtPollReply.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <variant>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "artnet", what); }

void checkDmx(const ArtNetDmx& dmx, std::span<const std::uint8_t> datagram)
{
    require(dmx.levels.data() >= datagram.data() &&
                dmx.levels.data() + dmx.levels.size() <= datagram.data() + datagram.size(),
            "levels outside the datagram");
    require(dmx.levels.size() >= 2 && dmx.levels.size() <= NetworkSlots && dmx.levels.size() % 2 == 0,
            "a length the decoder should have dropped");
    require(dmx.portAddress >= 0 && dmx.portAddress <= ArtNetLastPortAddress, "a port-address beyond 15 bits");

    // Three senders, the datagram's own bytes choosing when each sends.
    ArtNetInput input(dmx.portAddress);
    std::array<std::uint8_t, NetworkSlots> merged{};
    std::int64_t nowMs = 0;
    for (std::uint32_t source = 1; source <= 3; ++source) {
        for (const std::uint8_t step : dmx.levels.first(std::min<std::size_t>(dmx.levels.size(), 16))) {
            nowMs += step * 40;
            if (input.take(dmx, source, nowMs) != ArtNetVerdict::Taken)
                continue;
            input.merged(merged, nowMs);
            for (std::size_t i = 0; i < dmx.levels.size(); ++i)
                require(merged[i] >= dmx.levels[i], "a taken level missing from the merge");
            require(input.live(nowMs).count >= 1, "a source just taken is not live");
        }
        require(input.live(nowMs).count <= ArtNetMaxSources, "more live sources than places");
    }
    ArtNetDmx other = dmx;
    other.portAddress = (dmx.portAddress + 1) & ArtNetLastPortAddress;
    require(input.take(other, 9, nowMs) == ArtNetVerdict::OtherPortAddress, "another universe taken");
}

void checkPoll(const ArtNetPoll& poll)
{
    require(poll.targeted == ((poll.flags & ArtNetPoll::TargetedMode) != 0), "the targeted bit misread");
    ArtPollReplySetup setup;
    setup.portAddress = poll.targetBottom;
    if (poll.targeted)
        require(answersPoll(poll, poll.targetBottom) == (poll.targetBottom <= poll.targetTop),
                "a targeted poll's own bottom answered wrongly");
    else
        require(answersPoll(poll, poll.flags), "an untargeted poll not answered");
    ArtPollReplyPacket reply(setup);
    const auto& bytes = reply.reply(poll.flags & 1);
    const ArtNetDecoded again = decodeArtNet(bytes);
    require(std::holds_alternative<ArtNetDrop>(again) && std::get<ArtNetDrop>(again) == ArtNetDrop::UnknownOpcode,
            "our own reply taken for something we act on");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const std::uint8_t> datagram(data, size);
    const ArtNetDecoded decoded = decodeArtNet(datagram);
    if (const auto* dmx = std::get_if<ArtNetDmx>(&decoded))
        checkDmx(*dmx, datagram);
    else if (const auto* poll = std::get_if<ArtNetPoll>(&decoded))
        checkPoll(*poll);
    else if (size >= 8 && std::memcmp(data, "Art-Net", 8) == 0)
        require(std::get<ArtNetDrop>(decoded) != ArtNetDrop::NotArtNet, "an Art-Net ID called foreign");
    return 0;
}
