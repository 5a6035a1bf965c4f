#include "Operations.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>

namespace hwport::service {
namespace {

namespace p = protocol;
namespace h = handlers;

constexpr uint32_t maxMapLength = 16u << 20;
constexpr uint32_t minLockedSize = 64;
constexpr uint64_t portSpace = 0x10000;
// Mappings are named by 32-bit physical addresses on the library's side.
constexpr uint64_t physicalSpace = 0x100000000ull;

bool isEventFd(int fd)
{
    char link[64];
    char target[64] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 0 && std::strcmp(target, "anon_inode:[eventfd]") == 0;
}

// The checks: ranges and handles, each for the requests whose rows name it.

bool anything(const Operation&, const Client&, const unsigned char*) { return true; }

// A port access, and a FIFO's port, stays inside the port space.
bool portRange(const Operation& operation, const Client&, const unsigned char* in)
{
    return p::rangeWithin(p::get32(in), operation.width, portSpace);
}

// ISA memory (bus kind 1, bus 0, memory space), 1 byte to 16 MB below 4 GB,
// while the client has room for another mapping.
bool mapRange(const Operation&, const Client& client, const unsigned char* in)
{
    const uint32_t length = p::get32(in + 20);
    return p::get32(in) == 1 && p::get32(in + 4) == 0 && p::get32(in + 16) == 0 && length != 0 &&
           length <= maxMapLength && p::rangeWithin(mapAddress(in), length, physicalSpace) &&
           client.mappings.size() < Server::maxMappings;
}

bool knownMapping(const Operation&, const Client& client, const unsigned char* in)
{
    return client.mappings.count(p::get32(in)) != 0;
}

bool lockSize(const Operation&, const Client& client, const unsigned char* in)
{
    const uint32_t size = p::get32(in + 4);
    return size >= minLockedSize && size <= p::maxPayload && client.locked.size() < Server::maxLockedBlocks;
}

bool knownLockedBlock(const Operation&, const Client& client, const unsigned char* in)
{
    return client.locked.count(p::get32(in)) != 0;
}

bool irqLine(const Operation&, const Client&, const unsigned char* in) { return p::get16(in) < 16; }

// Lines 1 to 15, counted into a locked block of the client's.
bool unmaskLine(const Operation&, const Client& client, const unsigned char* in)
{
    const uint32_t line = p::get32(in);
    return line >= 1 && line <= 15 && client.locked.count(p::get32(in + 8)) != 0;
}

bool pciSlot(const Operation&, const Client&, const unsigned char* in) { return in[2] <= 31 && in[3] <= 7; }

// Drive 0 to 3 with a flag of 0 or 1; the last two bytes stay 0.
bool diskAddress(const Operation&, const Client&, const unsigned char* in)
{
    return in[0] <= 3 && in[1] <= 1 && in[2] == 0 && in[3] == 0;
}

bool scanCode(const Operation&, const Client&, const unsigned char* in) { return p::get32(in) <= 0xFF; }

// The rows. Sizes come from the protocol, which the library shares.

struct Flags {
    bool event = false;
    bool watches = false;
};

constexpr Operation fixed(uint32_t n, Check check, Handler handler, Flags flags = {})
{
    const p::Sizes sizes = p::fixedSizes(n).value();  // a function without sizes does not compile
    return {n, sizes.in, sizes.out, 0, false, flags.event, flags.watches, check, handler};
}

constexpr Operation port(uint32_t n, uint32_t width, Handler handler)
{
    Operation operation = fixed(n, portRange, handler);
    operation.width = width;
    return operation;
}

constexpr Operation fifo(uint32_t n, Handler handler)
{
    return {n, p::fifoHeaderSize, p::fifoHeaderSize, p::fifoElementSize(n), true, false, false, portRange, handler};
}

constexpr Operation operations[] = {
    port(p::PortInByte, 1, h::portIn),
    port(p::PortInWord, 2, h::portIn),
    port(p::PortInLong, 4, h::portIn),
    port(p::PortOutByte, 1, h::portOut),
    port(p::PortOutWord, 2, h::portOut),
    port(p::PortOutLong, 4, h::portOut),
    fifo(p::FifoInByte, h::fifoIn),
    fifo(p::FifoInWord, h::fifoIn),
    fifo(p::FifoInLong, h::fifoIn),
    fifo(p::FifoOutByte, h::fifoOut),
    fifo(p::FifoOutWord, h::fifoOut),
    fifo(p::FifoOutLong, h::fifoOut),

    fixed(p::MapMemory, mapRange, h::mapMemory),
    fixed(p::UnmapMemory, knownMapping, h::unmapMemory),
    fixed(p::LockMemory, lockSize, h::lockMemory),
    fixed(p::FreeMemory, knownLockedBlock, h::freeMemory, {.watches = true}),

    fixed(p::IrqCounter, irqLine, h::irqCounter),
    fixed(p::MaskIrq, irqLine, h::maskIrq, {.watches = true}),
    fixed(p::UnmaskIrq, unmaskLine, h::unmaskIrq, {.event = true, .watches = true}),

    fixed(p::LastPciBus, anything, h::lastPciBus),
    fixed(p::PciMechanism, anything, h::pciMechanism),
    fixed(p::PciDeviceInfo, pciSlot, h::pciDeviceInfo),
    fixed(p::HddIdentify, diskAddress, h::hddIdentify),

    fixed(p::PutScanCode, scanCode, h::putScanCode),
    fixed(p::KeyboardUnhook, anything, h::keyboardUnhook, {.watches = true}),
    fixed(p::KeyboardHook, anything, h::keyboardHook, {.event = true, .watches = true}),
    fixed(p::ReadScanCode, anything, h::readScanCode),
    fixed(p::PulseKeyboard, anything, h::pulseKeyboard),
};

constexpr const Operation* find(uint32_t n)
{
    for (const Operation& operation : operations)
        if (operation.function == n)
            return &operation;
    return nullptr;
}

// Every function the protocol names has exactly one row, so a code is
// refused as unknown exactly when the protocol does not know it.
constexpr bool oneRowPerFunction()
{
    for (uint32_t code = 0; code < 256; ++code) {
        const std::optional<uint32_t> n = p::functionOf(code);
        size_t rows = 0;
        for (const Operation& operation : operations)
            rows += n && operation.function == *n ? 1 : 0;
        if (rows != (n ? 1u : 0u))
            return false;
    }
    return true;
}
static_assert(oneRowPerFunction());

bool lengthsFit(const Operation& operation, const unsigned char* in, uint32_t inLength, uint32_t outLength)
{
    if (!operation.fifo)
        return inLength == operation.inLength && outLength == operation.outLength;
    // A FIFO's lengths follow the count in its header.
    if (inLength < operation.inLength)
        return false;
    const uint64_t expected = operation.inLength + uint64_t(p::get32(in + 4)) * operation.width;
    return inLength == expected && outLength == expected;
}

}  // namespace

Admission admit(uint32_t code, const Client& client, const unsigned char* in, uint32_t inLength, uint32_t outLength,
                int fd)
{
    const std::optional<uint32_t> function = p::functionOf(code);
    const Operation* operation = function ? find(*function) : nullptr;
    if (operation == nullptr)
        return {p::UnknownCode, nullptr};
    // Lengths first: nothing is touched for a request of the wrong shape.
    if (!lengthsFit(*operation, in, inLength, outLength))
        return {p::BadLength, nullptr};
    // A descriptor comes with exactly the requests that keep one, and only an eventfd.
    if (operation->takesEvent != (fd >= 0) || (operation->takesEvent && !isEventFd(fd)))
        return {p::BadArgument, nullptr};
    if (!operation->check(*operation, client, in))
        return {p::BadArgument, nullptr};
    return {p::Ok, operation};
}

}  // namespace hwport::service
