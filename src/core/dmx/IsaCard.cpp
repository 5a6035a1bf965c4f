#include "dmx/IsaCard.h"

#include "model/ShowFlags.h"

namespace tinctara {

namespace {

void selectAddress(PortIo& ports, std::uint16_t base, std::uint16_t address)
{
    ports.writePort(base + 0u, static_cast<std::uint8_t>(address & 0xFF));
    ports.writePort(base + 1u, static_cast<std::uint8_t>(address >> 8));
}

}  // namespace

std::uint8_t ReadCardByte(PortIo& ports, std::uint16_t base, std::uint16_t address)
{
    selectAddress(ports, base, address);
    return ports.readPort(base + 2u);
}

void WriteCardByte(PortIo& ports, std::uint16_t base, std::uint16_t address, std::uint8_t value)
{
    selectAddress(ports, base, address);
    ports.writePort(base + 2u, value);
}

void CardRunStrobe(PortIo& ports, std::uint16_t base, int interfaceType)
{
    if (interfaceType == Interface::IsaCard7301AB)
        (void)ports.readPort(base + 3u);
    else if (interfaceType == Interface::IsaCard7301C)
        ports.writePort(base + 3u, 0);
}

void CardHaltStrobe(PortIo& ports, std::uint16_t base, int interfaceType)
{
    if (interfaceType == Interface::IsaCard7301AB)
        ports.writePort(base + 0u, 0);
    else if (interfaceType == Interface::IsaCard7301C)
        (void)ports.readPort(base + 0u);
}

}  // namespace tinctara
