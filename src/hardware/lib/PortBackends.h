#pragma once

#include "HardwareConfig.h"
#include "IsaCardDevice.h"
#include "MemoryCardDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tinctara::hardware {

class PortBackend {
public:
    virtual ~PortBackend() = default;
    virtual std::uint8_t read(std::uint32_t port) = 0;
    virtual void write(std::uint32_t port, std::uint8_t value) = 0;
};

// The simulated ISA bus: the emulated devices answer at their ports; every
// other port reads all ones, as an empty bus does, and takes writes to nowhere.
class VirtualBus : public PortBackend {
public:
    // `memoryCardFile`: where the memory card keeps its contents between
    // runs; empty: for this run only.
    explicit VirtualBus(const std::vector<CardEntry>& cards, std::uint32_t memoryCardSize = 0,
                        const std::string& memoryCardFile = {});

    std::uint8_t read(std::uint32_t port) override;
    void write(std::uint32_t port, std::uint8_t value) override;

    IsaCardDevice* cardAt(std::uint32_t base);
    MemoryCardDevice* memoryCard() { return memoryCard_.get(); }

private:
    IsaCardDevice* deviceFor(std::uint32_t port);

    std::vector<IsaCardDevice> cards_;
    std::unique_ptr<MemoryCardDevice> memoryCard_;
};

// The machine's own ports through ioperm, inb and outb. Without the privilege
// (or on a processor without I/O ports) it keeps the reason and acts as an
// empty bus.
class DirectPorts : public PortBackend {
public:
    DirectPorts();

    std::uint8_t read(std::uint32_t port) override;
    void write(std::uint32_t port, std::uint8_t value) override;

    bool usable() const { return usable_; }
    const std::string& problem() const { return problem_; }

private:
    bool usable_ = false;
    std::string problem_;
};

}  // namespace tinctara::hardware
