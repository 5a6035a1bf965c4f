#pragma once

#include "model/ShowModel.h"
#include "platform/PortIo.h"
#include "platform/UserInteraction.h"

#include <cstdint>
#include <string>

namespace tinctara {

// Port-level protocol of the ISA DMX cards. The card memory is reached through
// three ports relative to the card's base port: address low byte (B+0), address
// high byte (B+1) and data (B+2). B+3 and B+0 double as run and halt strobes.
namespace IsaCardMemory {
inline constexpr std::uint16_t TimingBlock = 0x3F0;  // DmxTiming values 0..9 (0..15 for the play unit)
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

// The base ports a card may sit at, probed in this order.
inline constexpr std::uint16_t CardBases[] = {0x100, 0x120, 0x140, 0x160};

// Probes the candidate bases with a memory test at the probe cell; the first
// base that reads back what was written wins. 0 when none answers.
std::uint16_t FindCard(PortIo& ports);

// Finds the card again (CardBaseAddress) and uploads the firmware file from
// the program folder into card memory from address 0, reading every byte
// back. A missing or unreadable file is reported to the user; the caller
// then decides by the card's identity byte.
void LoadCardFirmware(ShowModel& model, PortIo& ports, UserInteraction& user, const std::string& programFolder,
                      const std::string& fileName);

// Strobes for interface types 1 (7301A/B) and 2 (7301C); other types are ignored.
void CardRunStrobe(PortIo& ports, std::uint16_t base, InterfaceKind interfaceType);
void CardHaltStrobe(PortIo& ports, std::uint16_t base, InterfaceKind interfaceType);

}  // namespace tinctara
