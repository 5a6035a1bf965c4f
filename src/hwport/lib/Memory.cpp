#include "Connection.h"
#include "protocol/Protocol.h"

#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstring>

namespace hwport {
namespace {

namespace p = protocol;

// Addresses below this are taken for a forgotten mapping, not memory.
constexpr uintptr_t lowestBase = 100;

uintptr_t pageSize()
{
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? uintptr_t(size) : 4096;
}

void releaseMapping(const MapEntry& entry)
{
    const uintptr_t delta = entry.physical & (pageSize() - 1);
    munmap(reinterpret_cast<void*>(entry.linear - delta), size_t(delta) + entry.length);
}

bool within(uintptr_t start, size_t length, uintptr_t address, size_t size)
{
    return address >= start && address - start <= length && length - (address - start) >= size;
}

bool isOwnMemory(const Connection& c, uintptr_t address, size_t size)
{
    for (uint32_t i = 0; i < c.mapCount; ++i)
        if (within(c.maps[i].linear, c.maps[i].length, address, size))
            return true;
    return c.lockedMemory != nullptr &&
           within(reinterpret_cast<uintptr_t>(c.lockedMemory), c.lockedSize, address, size);
}

// Reads of our own mappings go straight to the memory (device memory must
// see the access of the right width); anything else is copied by the kernel,
// which reports a bad address instead of faulting.
bool peek(const Connection& c, uintptr_t base, uint32_t offset, void* value, size_t size)
{
    if (base < lowestBase || base + offset < base)
        return false;
    const uintptr_t address = base + offset;
    if (isOwnMemory(c, address, size)) {
        if (address % size != 0) {
            // Misaligned: byte by byte.
            for (size_t i = 0; i < size; ++i)
                static_cast<uint8_t*>(value)[i] = reinterpret_cast<volatile uint8_t*>(address)[i];
        } else if (size == 1) {
            *static_cast<uint8_t*>(value) = *reinterpret_cast<volatile uint8_t*>(address);
        } else if (size == 2) {
            const uint16_t v = *reinterpret_cast<volatile uint16_t*>(address);
            std::memcpy(value, &v, 2);
        } else {
            const uint32_t v = *reinterpret_cast<volatile uint32_t*>(address);
            std::memcpy(value, &v, 4);
        }
        return true;
    }
    iovec local{value, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == ssize_t(size);
}

void poke(const Connection& c, uintptr_t base, uint32_t offset, uint32_t value, size_t size)
{
    if (base < lowestBase || base + offset < base)
        return;
    const uintptr_t address = base + offset;
    if (isOwnMemory(c, address, size)) {
        if (address % size != 0) {
            for (size_t i = 0; i < size; ++i)
                reinterpret_cast<volatile uint8_t*>(address)[i] = uint8_t(value >> (8 * i));
        } else if (size == 1) {
            *reinterpret_cast<volatile uint8_t*>(address) = uint8_t(value);
        } else if (size == 2) {
            *reinterpret_cast<volatile uint16_t*>(address) = uint16_t(value);
        } else {
            *reinterpret_cast<volatile uint32_t*>(address) = value;
        }
        return;
    }
    iovec local{&value, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    (void)process_vm_writev(getpid(), &local, 1, &remote, 1, 0);
}

uint32_t peekValue(HwPort32Connection* connection, uintptr_t base, uint32_t offset, size_t size)
{
    Connection* c = activeRecord(connection);
    uint32_t value = 0;
    if (c == nullptr || !peek(*c, base, offset, &value, size))
        return 0;
    return value;
}

void sendUnmap(Connection& c, uint32_t handle)
{
    unsigned char in[4];
    p::put32(in, handle);
    request(c, p::UnmapMemory, in, sizeof in, nullptr, 0);
}

}  // namespace

void unmapAll(Connection& c)
{
    for (uint32_t i = 0; i < c.mapCount; ++i) {
        sendUnmap(c, c.maps[i].handle);
        releaseMapping(c.maps[i]);
    }
    c.mapCount = 0;
}

void allocateLockedMemory(Connection& c)
{
    unsigned char block[16] = {};
    p::put32(block + 4, lockedMemorySize);
    p::put32(block + 8, lockedMemoryKind);
    const ControlResult result = request(c, p::LockMemory, block, sizeof block, block, sizeof block);
    c.lockedHandle = p::get32(block);
    c.lockedSecond = p::get32(block + 12);
    if (result.fd < 0)
        return;
    void* memory = mmap(nullptr, lockedMemorySize, PROT_READ | PROT_WRITE, MAP_SHARED, result.fd, 0);
    ::close(result.fd);
    if (memory != MAP_FAILED) {
        c.lockedSize = lockedMemorySize;
        // The dispatch thread is already running and reads this pointer.
        __atomic_store_n(&c.lockedMemory, static_cast<unsigned char*>(memory), __ATOMIC_RELEASE);
    }
}

void freeLockedMemory(Connection& c)
{
    unsigned char block[4];
    p::put32(block, c.lockedHandle);
    request(c, p::FreeMemory, block, sizeof block, block, sizeof block);
    if (c.lockedMemory != nullptr)
        munmap(c.lockedMemory, c.lockedSize);
    c.lockedMemory = nullptr;
    c.lockedSize = 0;
}

}  // namespace hwport

using namespace hwport;
namespace p = hwport::protocol;

extern "C" {

uintptr_t MapPhysToLinear(HwPort32Connection* connection, uint32_t physical, uint32_t length)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || length == 0 || uint64_t(physical) + length > 0x100000000ull)
        return 0;
    for (uint32_t i = 0; i < c->mapCount; ++i) {
        // A shorter mapping of the same address would let the caller run off its end.
        if (c->maps[i].physical == physical && c->maps[i].length >= length)
            return c->maps[i].linear;
    }
    if (c->mapCount >= maxMappings)
        return 0;

    unsigned char in[24] = {};
    p::put32(in, 1);  // bus kind
    p::put32(in + 8, physical);
    p::put32(in + 20, length);
    unsigned char out[4] = {};
    const ControlResult result = request(*c, p::MapMemory, in, sizeof in, out, sizeof out);
    const uint32_t handle = p::get32(out);
    if (!result.ok || result.fd < 0) {
        if (result.fd >= 0)
            ::close(result.fd);
        return 0;
    }
    const uintptr_t delta = physical & (pageSize() - 1);
    void* memory =
        mmap(nullptr, size_t(delta) + length, PROT_READ | PROT_WRITE, MAP_SHARED, result.fd, off_t(physical - delta));
    ::close(result.fd);
    if (memory == MAP_FAILED) {
        sendUnmap(*c, handle);
        return 0;
    }
    MapEntry& entry = c->maps[c->mapCount++];
    entry = MapEntry{physical, length, handle, 0, reinterpret_cast<uintptr_t>(memory) + delta};
    return entry.linear;
}

void UnmapMemory(HwPort32Connection* connection, uintptr_t linear)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return;
    for (uint32_t i = 0; i < c->mapCount; ++i) {
        if (c->maps[i].linear != linear)
            continue;
        sendUnmap(*c, c->maps[i].handle);
        releaseMapping(c->maps[i]);
        for (uint32_t j = i + 1; j < c->mapCount; ++j)
            c->maps[j - 1] = c->maps[j];
        --c->mapCount;
        return;
    }
}

uint8_t GetMem(HwPort32Connection* connection, uintptr_t base, uint32_t offset)
{
    return uint8_t(peekValue(connection, base, offset, 1));
}

uint16_t GetMemW(HwPort32Connection* connection, uintptr_t base, uint32_t offset)
{
    return uint16_t(peekValue(connection, base, offset, 2));
}

uint32_t GetMemL(HwPort32Connection* connection, uintptr_t base, uint32_t offset)
{
    return peekValue(connection, base, offset, 4);
}

void SetMem(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value)
{
    if (Connection* c = activeRecord(connection))
        poke(*c, base, offset, value, 1);
}

void SetMemW(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value)
{
    if (Connection* c = activeRecord(connection))
        poke(*c, base, offset, value, 2);
}

void SetMemL(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value)
{
    if (Connection* c = activeRecord(connection))
        poke(*c, base, offset, value, 4);
}

uintptr_t GetLockedMemory(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 0 : reinterpret_cast<uintptr_t>(c->lockedMemory);
}

}  // extern "C"
