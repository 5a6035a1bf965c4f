#include "VirtualBus.h"

#include "Numbers.h"

#include "protocol/Protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace hwport::service {
namespace {

constexpr uint32_t biosLptTable = 0x408;
constexpr uint16_t pciVendor = 0x7A55;

void putWord(unsigned char* data, uint32_t word, uint16_t value)
{
    data[2 * word] = uint8_t(value);
    data[2 * word + 1] = uint8_t(value >> 8);
}

// Identify texts: two characters per word, the first in the high byte, padded with blanks.
void putText(unsigned char* data, uint32_t firstWord, uint32_t words, const char* text)
{
    const size_t length = std::strlen(text);
    for (uint32_t i = 0; i < words; ++i) {
        const char high = 2 * i < length ? text[2 * i] : ' ';
        const char low = 2 * i + 1 < length ? text[2 * i + 1] : ' ';
        putWord(data, firstWord + i, uint16_t(uint8_t(high) << 8 | uint8_t(low)));
    }
}

struct PciFunction {
    uint8_t bus, device, function;
    uint16_t deviceId;
    uint8_t classCode, subclass;
    uint32_t bar0;
    uint8_t irq;
};

constexpr PciFunction pciFunctions[] = {
    {0, 0, 0, 0x0001, 0x06, 0x00, 0, 0},            // host bridge
    {0, 3, 0, 0x0512, 0x07, 0x80, 0xE001, 10},      // I/O card, ports at 0xE000
    {1, 0, 0, 0x0002, 0x03, 0x00, 0xF0000000, 11},  // display, behind the bridge
};

}  // namespace

std::optional<VirtualBus::ParallelTable> VirtualBus::parseParallelTable(std::string_view text)
{
    if (text.empty())
        return defaultParallelTable;
    ParallelTable table{};
    for (uint16_t& base : table) {
        const size_t comma = std::min(text.find(','), text.size());
        const std::optional<uint16_t> word = parseAddress<uint16_t>(text.substr(0, comma), 0, maxParallelBase);
        if (!word)
            return std::nullopt;
        base = *word;
        if (comma == text.size())
            return table;
        text.remove_prefix(comma + 1);
    }
    return std::nullopt;  // more than three
}

VirtualBus::VirtualBus(std::string_view parallelTable)
    : VirtualBus(parseParallelTable(parallelTable).value_or(ParallelTable{}))
{
}

VirtualBus::VirtualBus(const ParallelTable& table)
{
    for (uint16_t base : table) {
        if (base != 0 && base <= maxParallelBase)
            parallel_.push_back(ParallelPort{base, uint8_t(parallel_.empty() ? 7 : 5)});
    }

    memory_ = memfd_create("hwport32-virtual-memory", MFD_CLOEXEC);
    if (memory_ < 0 || ftruncate(memory_, memorySize) != 0) {
        if (memory_ >= 0)
            ::close(memory_);
        memory_ = -1;
        return;
    }
    unsigned char bios[6];
    for (int i = 0; i < 3; ++i) {
        bios[2 * i] = uint8_t(table[i]);
        bios[2 * i + 1] = uint8_t(table[i] >> 8);
    }
    (void)!pwrite(memory_, bios, sizeof bios, biosLptTable);
}

VirtualBus::~VirtualBus()
{
    if (memory_ >= 0)
        ::close(memory_);
}

VirtualBus::ParallelPort* VirtualBus::parallelAt(uint32_t port)
{
    for (ParallelPort& p : parallel_)
        if (port >= p.base && port - p.base < 3)
            return &p;
    return nullptr;
}

uint8_t VirtualBus::byteIn(uint32_t port)
{
    if (port >= latchBase && port < latchBase + latchCount)
        return latch_[port - latchBase];
    if (port == fifoPort) {
        if (fifo_.empty())
            return 0xFF;
        const uint8_t value = fifo_.front();
        fifo_.pop_front();
        return value;
    }
    if (ParallelPort* p = parallelAt(port)) {
        switch (port - p->base) {
        case 0:
            return p->data;
        // A loopback plug: data lines 0..4 drive error, select, paper end,
        // acknowledge and busy. Busy reads inverted, as on real ports.
        case 1:
            return uint8_t(((p->data & 0x1F) << 3) ^ 0x80);
        default:
            return p->control;
        }
    }
    return 0xFF;  // nothing answers
}

void VirtualBus::byteOut(uint32_t port, uint8_t value)
{
    if (port >= latchBase && port < latchBase + latchCount) {
        latch_[port - latchBase] = value;
        return;
    }
    if (port == fifoPort) {
        if (fifo_.size() < fifoLimit)
            fifo_.push_back(value);
        return;
    }
    if (ParallelPort* p = parallelAt(port)) {
        switch (port - p->base) {
        case 0:
            p->data = value;
            break;
        case 1:
            break;  // status is read-only
        default: {
            // The end of a strobe pulse comes back as acknowledge, which
            // interrupts when the port's interrupt is enabled.
            const bool strobeEnds = (p->control & 0x01) != 0 && (value & 0x01) == 0;
            p->control = value;
            if (strobeEnds && (value & 0x10) != 0 && sink_ != nullptr)
                sink_->interrupt(p->irq, 1);
            break;
        }
        }
    }
}

uint32_t VirtualBus::portIn(uint32_t port, uint32_t width)
{
    uint32_t value = 0;
    // The FIFO register moves a whole element per access; others decode bytes.
    for (uint32_t i = 0; i < width; ++i)
        value |= uint32_t(byteIn(port == fifoPort ? port : port + i)) << (8 * i);
    return value;
}

void VirtualBus::portOut(uint32_t port, uint32_t width, uint32_t value)
{
    for (uint32_t i = 0; i < width; ++i)
        byteOut(port == fifoPort ? port : port + i, uint8_t(value >> (8 * i)));
}

int VirtualBus::physicalMemory(uint64_t physical, uint32_t length)
{
    if (memory_ < 0 || length == 0 || !protocol::rangeWithin(physical, length, memorySize))
        return -1;
    return fcntl(memory_, F_DUPFD_CLOEXEC, 0);
}

void VirtualBus::pciConfig(uint32_t bus, uint32_t device, uint32_t function, unsigned char* out)
{
    std::memset(out, 0xFF, 256);
    for (const PciFunction& f : pciFunctions) {
        if (f.bus != bus || f.device != device || f.function != function)
            continue;
        std::memset(out, 0, 256);
        putWord(out, 0, pciVendor);
        putWord(out, 1, f.deviceId);
        out[0x08] = 0x01;  // revision
        out[0x0A] = f.subclass;
        out[0x0B] = f.classCode;
        for (int i = 0; i < 4; ++i)
            out[0x10 + i] = uint8_t(f.bar0 >> (8 * i));
        out[0x3C] = f.irq;
        out[0x3D] = f.irq != 0 ? 1 : 0;
    }
}

bool VirtualBus::identify(uint32_t drive, uint32_t flag, unsigned char* out)
{
    (void)flag;
    if (drive != 0)
        return false;
    std::memset(out, 0, 512);
    putWord(out, 0, 0x0040);  // fixed drive
    putWord(out, 1, 16383);   // cylinders
    putWord(out, 3, 16);      // heads
    putWord(out, 6, 63);      // sectors per track
    putText(out, 10, 10, "VD2026120800001");
    putWord(out, 20, 3);    // buffer type
    putWord(out, 21, 512);  // buffer size in sectors
    putText(out, 23, 4, "1.21");
    putText(out, 27, 20, "TINCTARA VIRTUAL DISK");
    return true;
}

void VirtualBus::putScanCode(uint8_t code)
{
    if (sink_ != nullptr)
        sink_->key(uint8_t(code & 0x7F), (code & 0x80) != 0);
}

}  // namespace hwport::service
