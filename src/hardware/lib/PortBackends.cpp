#include "PortBackends.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define TINCTARA_HAVE_IO_PORTS 1
#endif

namespace tinctara::hardware {

VirtualBus::VirtualBus(const std::vector<CardEntry>& cards, std::uint32_t memoryCardSize,
                       const std::string& memoryCardFile)
{
    cards_.reserve(cards.size());
    for (const CardEntry& card : cards)
        cards_.emplace_back(card.model, card.base);
    if (memoryCardSize > 0)
        memoryCard_ = std::make_unique<MemoryCardDevice>(memoryCardSize, memoryCardFile);
}

IsaCardDevice* VirtualBus::deviceFor(std::uint32_t port)
{
    for (IsaCardDevice& card : cards_)
        if (card.claims(port))
            return &card;
    return nullptr;
}

IsaCardDevice* VirtualBus::cardAt(std::uint32_t base)
{
    for (IsaCardDevice& card : cards_)
        if (card.base() == base)
            return &card;
    return nullptr;
}

std::uint8_t VirtualBus::read(std::uint32_t port)
{
    if (IsaCardDevice* device = deviceFor(port))
        return device->read(port);
    if (memoryCard_ && memoryCard_->claims(port))
        return memoryCard_->read(port);
    return 0xFF;
}

void VirtualBus::write(std::uint32_t port, std::uint8_t value)
{
    if (IsaCardDevice* device = deviceFor(port))
        device->write(port, value);
    else if (memoryCard_ && memoryCard_->claims(port))
        memoryCard_->write(port, value);
}

DirectPorts::DirectPorts()
{
#ifdef TINCTARA_HAVE_IO_PORTS
    if (ioperm(0, 0x10000, 1) == 0) {
        usable_ = true;
        return;
    }
    problem_ = std::string("Kein Zugriff auf die I/O-Ports (ioperm: ") + std::strerror(errno) +
               "). Ports lesen 0xFF, Schreibzugriffe gehen ins Leere. Direkter Zugriff braucht "
               "Root-Rechte oder CAP_SYS_RAWIO; ohne sie: --hardware virtual.";
#else
    problem_ = "Dieser Prozessor hat keine I/O-Ports. Ports lesen 0xFF, Schreibzugriffe gehen ins Leere; "
               "--hardware virtual nimmt den virtuellen Bus.";
#endif
}

std::uint8_t DirectPorts::read(std::uint32_t port)
{
#ifdef TINCTARA_HAVE_IO_PORTS
    if (usable_ && port <= 0xFFFF)
        return inb(static_cast<unsigned short>(port));
#endif
    (void)port;
    return 0xFF;
}

void DirectPorts::write(std::uint32_t port, std::uint8_t value)
{
#ifdef TINCTARA_HAVE_IO_PORTS
    if (usable_ && port <= 0xFFFF)
        outb(value, static_cast<unsigned short>(port));
#endif
    (void)port;
    (void)value;
}

}  // namespace tinctara::hardware
