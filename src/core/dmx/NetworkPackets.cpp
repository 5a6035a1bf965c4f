#include "dmx/NetworkPackets.h"

#include "dmx/ArtNetLayout.h"
#include "dmx/SacnLayout.h"

#include <algorithm>
#include <cstring>

namespace tinctara {

namespace {

void put16(std::uint8_t* at, unsigned value)
{
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    put16(at, value >> 16);
    put16(at + 2, value & 0xFFFF);
}


// The longest prefix of `text` of at most `limit` bytes that does not end
// inside a UTF-8 character.
std::string_view utf8Prefix(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

}  // namespace

std::uint32_t sacnMulticastAddress(int universe)
{
    const auto u = static_cast<std::uint32_t>(universe) & 0xFFFF;
    return (239u << 24) | (255u << 16) | u;
}

ArtNetAddress splitPortAddress(int portAddress)
{
    const int address = portAddress & ArtNetLastPortAddress;
    return {address >> 8, (address >> 4) & 0x0F, address & 0x0F};
}

int joinPortAddress(const ArtNetAddress& address)
{
    return ((address.net & 0x7F) << 8) | ((address.subNet & 0x0F) << 4) | (address.universe & 0x0F);
}

SacnPacket::SacnPacket()
{
    using namespace E131;
    std::uint8_t* b = bytes_.data();
    put16(b + PreambleSize, PreambleValue);
    put16(b + PostambleSize, 0x0000);
    std::memcpy(b + PacketIdentifier, PacketIdentifierText, PacketIdentifierSize);
    put16(b + RootFlagsLength, FlagsPdu | (Size - RootFlagsLength));
    put32(b + RootVector, VectorRootData);
    put16(b + FramingFlagsLength, FlagsPdu | (Size - FramingFlagsLength));
    put32(b + FramingVector, VectorFramingData);
    b[Priority] = SacnDefaultPriority;
    put16(b + DmpFlagsLength, FlagsPdu | (Size - DmpFlagsLength));
    b[DmpVector] = VectorDmpSetProperty;
    b[AddressDataType] = AddressDataTypeValue;
    put16(b + FirstAddress, 0);
    put16(b + AddressIncrement, 1);
    put16(b + ValueCount, 1 + NetworkSlots);
    b[StartCode] = 0;
    put16(b + Universe, SacnFirstUniverse);
}

void SacnPacket::setSource(const Cid& cid, std::string_view sourceName, int priority, int universe)
{
    using namespace E131;
    std::uint8_t* b = bytes_.data();
    std::copy(cid.begin(), cid.end(), b + CidField);
    std::fill_n(b + SourceName, SourceNameSize, 0);
    const std::string_view name = utf8Prefix(sourceName, SourceNameSize - 1);
    std::memcpy(b + SourceName, name.data(), name.size());
    b[Priority] = static_cast<std::uint8_t>(std::clamp(priority, 0, SacnHighestPriority));
    put16(b + Universe, static_cast<unsigned>(std::clamp(universe, SacnFirstUniverse, SacnLastUniverse)));
}

void SacnPacket::stamp(std::uint8_t options)
{
    bytes_[E131::Sequence] = sequence_++;
    bytes_[E131::Options] = options;
}

const SacnPacket::Bytes& SacnPacket::data(const std::uint8_t* slots)
{
    std::memcpy(bytes_.data() + E131::Slots, slots, NetworkSlots);
    stamp(0);
    return bytes_;
}

const SacnPacket::Bytes& SacnPacket::terminated()
{
    stamp(StreamTerminated);
    return bytes_;
}

ArtDmxPacket::ArtDmxPacket()
{
    std::uint8_t* b = bytes_.data();
    artnet::putHeader(b, artnet::OpDmx);
    put16(b + artnet::Version, artnet::ProtocolVersion);
    put16(b + artnet::Dmx::Length, NetworkSlots);
}

void ArtDmxPacket::setPortAddress(int portAddress)
{
    const int address = portAddress & ArtNetLastPortAddress;
    bytes_[artnet::Dmx::SubUni] = static_cast<std::uint8_t>(address & 0xFF);
    bytes_[artnet::Dmx::Net] = static_cast<std::uint8_t>(address >> 8);
}

const ArtDmxPacket::Bytes& ArtDmxPacket::data(const std::uint8_t* slots)
{
    std::memcpy(bytes_.data() + artnet::Dmx::Slots, slots, NetworkSlots);
    bytes_[artnet::Dmx::Sequence] = sequence_;
    sequence_ = static_cast<std::uint8_t>(sequence_ == 255 ? 1 : sequence_ + 1);
    return bytes_;
}

}  // namespace tinctara
