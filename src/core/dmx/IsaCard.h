#pragma once

#include "platform/PortIo.h"

#include <cstdint>

namespace tinctara {

// Port-level protocol of the ISA DMX cards. The card memory is reached through
// three ports relative to the card's base port: address low byte (B+0), address
// high byte (B+1) and data (B+2). B+3 and B+0 double as run and halt strobes.
namespace IsaCardMemory {
inline constexpr std::uint16_t TimingBlock = 0x3F0;   // DmxTiming values 0..9 (0..15 for the play unit)
inline constexpr std::uint16_t IdentityByte = 0x3F9;
inline constexpr std::uint16_t ProbeCell = 0x3FF;
inline constexpr std::uint16_t FirstChannel = 0x400;  // channel c at 0x3FF + c
}  // namespace IsaCardMemory

inline constexpr std::uint16_t cardAddressOfChannel(int channel)
{
    return static_cast<std::uint16_t>(IsaCardMemory::ProbeCell + channel);
}

std::uint8_t ReadCardByte(PortIo& ports, std::uint16_t base, std::uint16_t address);
void WriteCardByte(PortIo& ports, std::uint16_t base, std::uint16_t address, std::uint8_t value);

// Strobes for interface types 1 (7301A/B) and 2 (7301C); other types are ignored.
void CardRunStrobe(PortIo& ports, std::uint16_t base, int interfaceType);
void CardHaltStrobe(PortIo& ports, std::uint16_t base, int interfaceType);

}  // namespace tinctara
