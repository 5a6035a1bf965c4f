#include "input/ArtNetDecoder.h"

#include "dmx/ArtNetLayout.h"
#include "dmx/NetworkPackets.h"

#include <algorithm>

namespace tinctara {

namespace {

using namespace artnet;

constexpr std::size_t ShortestLength = 2;

namespace Poll {
constexpr std::size_t Flags = 12;
constexpr std::size_t DiagnosticsPriority = 13;
constexpr std::size_t Size = 14;
constexpr std::size_t TargetTop = 14;
constexpr std::size_t TargetBottom = 16;
constexpr std::size_t TargetedSize = 18;
}  // namespace Poll

unsigned big16(std::span<const std::uint8_t> d, std::size_t at) { return (d[at] << 8) | d[at + 1]; }

ArtNetDecoded decodeDmx(std::span<const std::uint8_t> d)
{
    if (d.size() < Dmx::Slots)
        return ArtNetDrop::Truncated;
    const std::size_t length = big16(d, Dmx::Length);
    if (length % 2 != 0 || length < ShortestLength || length > NetworkSlots)
        return ArtNetDrop::BadLength;
    if (d.size() - Dmx::Slots < length)
        return ArtNetDrop::Truncated;
    ArtNetDmx dmx;
    dmx.sequence = d[Dmx::Sequence];
    dmx.physical = d[Dmx::Physical];
    // The top bit of Net is not part of the 15-bit port-address.
    dmx.portAddress = ((d[Dmx::Net] & 0x7F) << 8) | d[Dmx::SubUni];
    dmx.levels = d.subspan(Dmx::Slots, length);
    return dmx;
}

ArtNetDecoded decodePoll(std::span<const std::uint8_t> d)
{
    if (d.size() < Poll::Size)
        return ArtNetDrop::Truncated;
    ArtNetPoll poll;
    poll.flags = d[Poll::Flags];
    poll.diagnosticsPriority = d[Poll::DiagnosticsPriority];
    poll.targeted = (poll.flags & ArtNetPoll::TargetedMode) != 0;
    if (poll.targeted) {
        if (d.size() < Poll::TargetedSize)
            return ArtNetDrop::Truncated;
        poll.targetTop = static_cast<int>(big16(d, Poll::TargetTop)) & ArtNetLastPortAddress;
        poll.targetBottom = static_cast<int>(big16(d, Poll::TargetBottom)) & ArtNetLastPortAddress;
    }
    return poll;
}

}  // namespace

std::variant<unsigned, ArtNetDrop> checkArtNetHeader(std::span<const std::uint8_t> d, std::span<const unsigned> opCodes)
{
    if (d.size() < sizeof Id || !std::equal(std::begin(Id), std::end(Id), d.begin()))
        return ArtNetDrop::NotArtNet;
    if (d.size() < OpCode + 2)
        return ArtNetDrop::Truncated;
    // Other op codes lay out their fields differently (an ArtPollReply has
    // no version), so the op code decides before anything else is read.
    const unsigned opCode = d[OpCode] | (d[OpCode + 1] << 8);
    if (std::find(opCodes.begin(), opCodes.end(), opCode) == opCodes.end())
        return ArtNetDrop::UnknownOpcode;
    if (d.size() < Header)
        return ArtNetDrop::Truncated;
    if (big16(d, Version) < ProtocolVersion)
        return ArtNetDrop::OldVersion;
    return opCode;
}

ArtNetDecoded decodeArtNet(std::span<const std::uint8_t> d)
{
    static constexpr unsigned Taken[] = {OpDmx, OpPoll};
    const auto header = checkArtNetHeader(d, Taken);
    if (const auto* drop = std::get_if<ArtNetDrop>(&header))
        return *drop;
    return std::get<unsigned>(header) == OpDmx ? decodeDmx(d) : decodePoll(d);
}

bool answersPoll(const ArtNetPoll& poll, int portAddress)
{
    if (!poll.targeted)
        return true;
    return portAddress >= poll.targetBottom && portAddress <= poll.targetTop;
}

}  // namespace tinctara
