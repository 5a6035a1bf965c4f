// Where the fields of an E1.31 data packet lie, and their fixed values: the
// sender writes them and the receiver checks them, from the one table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tinctara::E131 {

constexpr std::size_t PreambleSize = 0;
constexpr std::size_t PostambleSize = 2;
constexpr std::size_t PacketIdentifier = 4;
constexpr char PacketIdentifierText[] = "ASC-E1.17\0\0";  // 12 bytes with the closing zero
constexpr std::size_t PacketIdentifierSize = 12;
constexpr std::size_t RootFlagsLength = 16;
constexpr std::size_t RootVector = 18;
constexpr std::size_t CidField = 22;
constexpr std::size_t FramingFlagsLength = 38;
constexpr std::size_t FramingVector = 40;
constexpr std::size_t SourceName = 44;
constexpr std::size_t SourceNameSize = 64;
constexpr std::size_t Priority = 108;
constexpr std::size_t SyncAddress = 109;
constexpr std::size_t Sequence = 111;
constexpr std::size_t Options = 112;
constexpr std::size_t Universe = 113;
constexpr std::size_t DmpFlagsLength = 115;
constexpr std::size_t DmpVector = 117;
constexpr std::size_t AddressDataType = 118;
constexpr std::size_t FirstAddress = 119;
constexpr std::size_t AddressIncrement = 121;
constexpr std::size_t ValueCount = 123;
constexpr std::size_t StartCode = 125;
constexpr std::size_t Slots = 126;

constexpr std::uint16_t PreambleValue = 0x0010;
constexpr std::uint32_t VectorRootData = 0x00000004;
constexpr std::uint32_t VectorRootExtended = 0x00000008;
constexpr std::uint32_t VectorFramingData = 0x00000002;
constexpr std::uint8_t VectorDmpSetProperty = 0x02;
constexpr std::uint8_t AddressDataTypeValue = 0xA1;
constexpr unsigned FlagsPdu = 0x7000;

constexpr std::uint8_t OptionPreview = 0x80;
constexpr std::uint8_t OptionStreamTerminated = 0x40;
constexpr std::uint8_t OptionForceSync = 0x20;

}  // namespace tinctara::E131
