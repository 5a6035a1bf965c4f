#include "DirectPorts.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define HWPORT_HAS_PORTS 1
#else
#define HWPORT_HAS_PORTS 0
#endif

namespace hwport {

#if HWPORT_HAS_PORTS

uint32_t acquireDirectPortAccess()
{
    if (iopl(3) == 0)
        return 0x10000;
    if (ioperm(0, 0x400, 1) == 0)
        return 0x400;
    return 0;
}

uint32_t directIn(uint32_t port, uint32_t width)
{
    const auto p = static_cast<unsigned short>(port);
    switch (width) {
    case 1:
        return inb(p);
    case 2:
        return inw(p);
    default:
        return inl(p);
    }
}

void directOut(uint32_t port, uint32_t width, uint32_t value)
{
    const auto p = static_cast<unsigned short>(port);
    switch (width) {
    case 1:
        outb(static_cast<unsigned char>(value), p);
        break;
    case 2:
        outw(static_cast<unsigned short>(value), p);
        break;
    default:
        outl(value, p);
        break;
    }
}

// Element by element in ascending order, which is what the string
// instructions do; unaligned caller buffers stay safe this way.
void directInString(uint32_t port, uint32_t width, void* data, uint32_t count)
{
    auto* bytes = static_cast<unsigned char*>(data);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t value = directIn(port, width);
        std::memcpy(bytes + size_t(i) * width, &value, width);
    }
}

void directOutString(uint32_t port, uint32_t width, const void* data, uint32_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        std::memcpy(&value, bytes + size_t(i) * width, width);
        directOut(port, width, value);
    }
}

#else

uint32_t acquireDirectPortAccess() { return 0; }
uint32_t directIn(uint32_t, uint32_t) { return 0xFFFFFFFFu; }
void directOut(uint32_t, uint32_t, uint32_t) {}
void directInString(uint32_t, uint32_t, void*, uint32_t) {}
void directOutString(uint32_t, uint32_t, const void*, uint32_t) {}

#endif

}  // namespace hwport
