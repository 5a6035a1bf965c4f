#include "pagestor.h"

#include "tinctara_portio.h"

#define PAGESTOR_EXPORT __attribute__((visibility("default")))

/* Port arithmetic stays within the 16-bit port space. */
static unsigned int portOf(int16_t port, unsigned int offset)
{
    return ((unsigned int)(uint16_t)port + offset) & 0xFFFFu;
}

static unsigned char lowByte(int16_t value) { return (unsigned char)((uint16_t)value & 0xFFu); }

PAGESTOR_EXPORT int16_t vbWRAMC(int16_t port, int16_t value)
{
    PortIoWrite(portOf(port, 0), lowByte(value));
    return 0;
}

PAGESTOR_EXPORT int16_t vbWDRAMC(int16_t port, int16_t value)
{
    PortIoWrite(portOf(port, 0), lowByte(value));
    return PortIoRead(portOf(port, 0)) == lowByte(value) ? 0 : 128;
}

PAGESTOR_EXPORT int16_t vbWARAMC(int16_t port, int16_t a, int16_t b, int16_t c, int16_t d)
{
    PortIoWrite(portOf(port, 3), lowByte(a));
    PortIoWrite(portOf(port, 2), lowByte(b));
    PortIoWrite(portOf(port, 1), lowByte(c));
    PortIoWrite(portOf(port, 0), lowByte(d));
    return PortIoRead(portOf(port, 0));
}

PAGESTOR_EXPORT int16_t vbRRAMC(int16_t port) { return PortIoRead(portOf(port, 0)); }
