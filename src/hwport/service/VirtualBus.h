// An emulated machine for tests and for users without the raw-I/O privilege:
// parallel ports with a loopback plug, latch and FIFO registers, 1 MB of
// physical memory holding a BIOS parallel-port table, PCI functions, a disk
// and a keyboard.
#pragma once

#include "Backend.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

namespace hwport::service {

class VirtualBus final : public Backend {
public:
    static constexpr uint32_t memorySize = 0x100000;
    static constexpr uint32_t latchBase = 0x300;
    static constexpr uint32_t latchCount = 8;
    static constexpr uint32_t fifoPort = 0x310;
    static constexpr size_t fifoLimit = 65536;

    // The three BIOS parallel-port words; 0 is no port.
    using ParallelTable = std::array<uint16_t, 3>;
    static constexpr ParallelTable defaultParallelTable{0x378, 0, 0x278};
    static constexpr uint16_t maxParallelBase = 0xFFFC;
    // The table as written in HWPORT32_VIRTUAL_LPT ("0x378,0,0x278"): up to
    // three bases, decimal or 0x..., missing ones 0. Empty: the default table.
    static std::optional<ParallelTable> parseParallelTable(std::string_view text);

    explicit VirtualBus(const ParallelTable& parallelTable);
    // A table that does not parse gives no parallel ports.
    explicit VirtualBus(std::string_view parallelTable);
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
