// An emulated machine for tests and for users without the raw-I/O privilege:
// parallel ports with a loopback plug, latch and FIFO registers, 1 MB of
// physical memory holding a BIOS parallel-port table, PCI functions, a disk
// and a keyboard.
#pragma once

#include "Backend.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace hwport::service {

class VirtualBus final : public Backend {
public:
    static constexpr uint32_t memorySize = 0x100000;
    static constexpr uint32_t latchBase = 0x300;
    static constexpr uint32_t latchCount = 8;
    static constexpr uint32_t fifoPort = 0x310;
    static constexpr size_t fifoLimit = 65536;

    // parallelTable: the three BIOS words, e.g. "0x378,0,0x278".
    explicit VirtualBus(const std::string& parallelTable);
    ~VirtualBus() override;
    bool ready() const { return memory_ >= 0; }

    uint32_t portIn(uint32_t port, uint32_t width) override;
    void portOut(uint32_t port, uint32_t width, uint32_t value) override;
    int physicalMemory(uint64_t physical, uint32_t length) override;
    uint16_t lastPciBus() override { return 1; }
    uint16_t pciMechanism() override { return 1; }
    void pciConfig(uint32_t bus, uint32_t device, uint32_t function, unsigned char* out) override;
    bool identify(uint32_t drive, uint32_t flag, unsigned char* out) override;
    void putScanCode(uint8_t code) override;

private:
    struct ParallelPort {
        uint16_t base;
        uint8_t irq;
        uint8_t data = 0;
        uint8_t control = 0;
    };

    uint8_t byteIn(uint32_t port);
    void byteOut(uint32_t port, uint8_t value);
    ParallelPort* parallelAt(uint32_t port);

    int memory_ = -1;
    std::vector<ParallelPort> parallel_;
    std::array<uint8_t, latchCount> latch_{};
    std::deque<uint8_t> fifo_;
};

}  // namespace hwport::service
