#include "input/SacnDecoder.h"

#include "dmx/SacnLayout.h"

#include <algorithm>
#include <cstring>

namespace tinctara {

namespace {

using namespace E131;

unsigned get16(const std::uint8_t* at) { return static_cast<unsigned>(at[0]) << 8 | at[1]; }

std::uint32_t get32(const std::uint8_t* at) { return static_cast<std::uint32_t>(get16(at)) << 16 | get16(at + 2); }

// A PDU's flags (the high nibble, always 0x7 here) and its length, which runs
// from the flags to the datagram's end, since a datagram carries one PDU.
bool pduFits(const std::uint8_t* bytes, std::size_t size, std::size_t at)
{
    const unsigned field = get16(bytes + at);
    return (field & 0xF000) == FlagsPdu && (field & 0x0FFF) == size - at;
}

}  // namespace

SacnDecoded decodeSacn(std::span<const std::uint8_t> datagram)
{
    SacnDecoded out;
    const std::uint8_t* b = datagram.data();
    const std::size_t size = datagram.size();
    const auto drop = [&out](SacnDrop reason) {
        out.drop = reason;
        return out;
    };

    if (size < CidField + sizeof(Cid))
        return drop(SacnDrop::Truncated);
    if (get16(b + PreambleSize) != PreambleValue || get16(b + PostambleSize) != 0 ||
        std::memcmp(b + PacketIdentifier, PacketIdentifierText, PacketIdentifierSize) != 0)
        return drop(SacnDrop::Preamble);
    const unsigned rootField = get16(b + RootFlagsLength);
    if ((rootField & 0xF000) == FlagsPdu && (rootField & 0x0FFF) > size - RootFlagsLength)
        return drop(SacnDrop::Truncated);
    if (!pduFits(b, size, RootFlagsLength))
        return drop(SacnDrop::RootLength);
    const std::uint32_t rootVector = get32(b + RootVector);
    if (rootVector == VectorRootExtended)
        return drop(SacnDrop::Extended);
    if (rootVector != VectorRootData)
        return drop(SacnDrop::RootVector);
    if (size < Slots)  // a data packet carries at least its start code
        return drop(SacnDrop::Truncated);

    if (!pduFits(b, size, FramingFlagsLength))
        return drop(SacnDrop::FramingLength);
    if (get32(b + FramingVector) != VectorFramingData)
        return drop(SacnDrop::FramingVector);
    if (b[Priority] > SacnHighestPriority)
        return drop(SacnDrop::Priority);
    const unsigned syncAddress = get16(b + SyncAddress);
    if (static_cast<int>(syncAddress) > SacnLastUniverse)
        return drop(SacnDrop::SyncAddress);
    const unsigned universe = get16(b + Universe);
    if (static_cast<int>(universe) < SacnFirstUniverse || static_cast<int>(universe) > SacnLastUniverse)
        return drop(SacnDrop::Universe);

    if (!pduFits(b, size, DmpFlagsLength))
        return drop(SacnDrop::DmpLength);
    if (b[DmpVector] != VectorDmpSetProperty || b[AddressDataType] != AddressDataTypeValue ||
        get16(b + FirstAddress) != 0 || get16(b + AddressIncrement) != 1)
        return drop(SacnDrop::DmpLayout);
    const unsigned count = get16(b + ValueCount);
    if (count < 1 || count > 1 + NetworkSlots || count != size - StartCode)
        return drop(SacnDrop::ValueCount);
    if (b[StartCode] != 0)
        return drop(SacnDrop::NotLevels);

    SacnData& d = out.data;
    std::copy_n(b + CidField, d.cid.size(), d.cid.begin());
    const char* name = reinterpret_cast<const char*>(b + SourceName);
    d.sourceName = std::string_view(name, std::find(name, name + SourceNameSize, '\0') - name);
    d.priority = b[Priority];
    d.syncAddress = static_cast<int>(syncAddress);
    d.sequence = b[Sequence];
    d.preview = (b[Options] & OptionPreview) != 0;
    d.streamTerminated = (b[Options] & OptionStreamTerminated) != 0;
    d.forceSync = (b[Options] & OptionForceSync) != 0;
    d.universe = static_cast<int>(universe);
    d.startCode = b[StartCode];
    d.slots = datagram.subspan(Slots, count - 1);
    return out;
}

}  // namespace tinctara
