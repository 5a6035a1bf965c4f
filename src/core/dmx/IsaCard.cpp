#include "dmx/IsaCard.h"

#include "model/ShowFlags.h"

#include <filesystem>
#include <fstream>
#include <vector>

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

void CardRunStrobe(PortIo& ports, std::uint16_t base, InterfaceKind interfaceType)
{
    if (interfaceType == Interface::IsaCard7301AB)
        (void)ports.readPort(base + 3u);
    else if (interfaceType == Interface::IsaCard7301C)
        ports.writePort(base + 3u, 0);
}

void CardHaltStrobe(PortIo& ports, std::uint16_t base, InterfaceKind interfaceType)
{
    if (interfaceType == Interface::IsaCard7301AB)
        ports.writePort(base + 0u, 0);
    else if (interfaceType == Interface::IsaCard7301C)
        (void)ports.readPort(base + 0u);
}

}  // namespace tinctara

namespace tinctara {

std::uint16_t FindCard(PortIo& ports)
{
    for (const std::uint16_t base : CardBases) {
        ports.writePort(base + 0u, 255);
        ports.writePort(base + 1u, 3);
        ports.writePort(base + 2u, 0xAA);
        if (ports.readPort(base + 2u) == 0xAA)
            return base;
    }
    return 0;
}

void LoadCardFirmware(ShowModel& model, PortIo& ports, UserInteraction& user, const std::string& programFolder,
                      const std::string& fileName)
{
    constexpr const char* Title = "DATA TRANSFER ERROR";
    model.CardBaseAddress = static_cast<std::int16_t>(FindCard(ports));
    if (model.CardBaseAddress <= 255)
        return;
    const auto base = static_cast<std::uint16_t>(model.CardBaseAddress);
    if (model.InterfaceType == Interface::IsaCard7301C)
        CardHaltStrobe(ports, base, Interface::IsaCard7301C);

    const std::string path = programFolder + "/" + fileName;
    std::error_code error;
    std::ifstream file(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, error) || !file) {
        user.messageBox("Card OS file " + path + " is missing", Title, MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    // The whole image is read before the card is touched. Card memory has
    // 64 KB; an image that does not fit would wrap round onto its own start.
    constexpr std::size_t CardMemorySize = 0x10000;
    std::vector<char> image(CardMemorySize + 1);
    file.read(image.data(), static_cast<std::streamsize>(image.size()));
    const auto length = static_cast<std::size_t>(file.gcount());
    if (file.bad() || (!file.eof() && file.fail()) || length > CardMemorySize) {
        user.messageBox("Error while reading OS file " + fileName, Title, MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const auto address = static_cast<std::uint16_t>(i);
        WriteCardByte(ports, base, address, static_cast<std::uint8_t>(image[i]));
        (void)ReadCardByte(ports, base, address);  // a byte that differs is passed over
    }
}

}  // namespace tinctara
