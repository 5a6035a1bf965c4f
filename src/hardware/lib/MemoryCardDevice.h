#pragma once

#include <cstdint>
#include <string>

namespace tinctara::hardware {

// The battery-backed RAM card behind four ports: P+0 data at the address
// set, P+1 address bits 0..7, P+2 bits 8..15, P+3 bits 16..23 (the page,
// which reads back). The card decodes only as many address lines as its size
// needs, so addresses wrap at the size as real RAM does. With a battery file
// the contents live in that file (mapped), so they outlast the run.
class MemoryCardDevice {
public:
    static constexpr std::uint16_t DefaultPort = 0x200;

    // `size` a power of two; `batteryFile` empty: contents for this run only.
    // A battery file that cannot be used is noted in problem() and the card
    // keeps its contents for this run only.
    MemoryCardDevice(std::uint32_t size, std::string batteryFile, std::uint16_t port = DefaultPort);
    ~MemoryCardDevice();
    MemoryCardDevice(const MemoryCardDevice&) = delete;
    MemoryCardDevice& operator=(const MemoryCardDevice&) = delete;

    std::uint16_t port() const { return port_; }
    std::uint32_t size() const { return size_; }
    bool claims(std::uint32_t port) const { return port >= port_ && port < port_ + 4u; }

    std::uint8_t read(std::uint32_t port);
    void write(std::uint32_t port, std::uint8_t value);

    const std::uint8_t* memory() const { return memory_; }
    const std::string& problem() const { return problem_; }

private:
    std::uint32_t address() const
    {
        return (static_cast<std::uint32_t>(page_) << 16 | high_ << 8 | low_) & (size_ - 1);
    }

    std::uint32_t size_;
    std::uint16_t port_;
    std::uint8_t low_ = 0;
    std::uint8_t high_ = 0;
    std::uint8_t page_ = 0;
    std::uint8_t* memory_ = nullptr;
    bool mapped_ = false;
    std::string problem_;
};

// "32K" .. "1M" as bytes; 0 for "none"; nullopt-like -1 for anything else.
long long memoryCardSizeOf(const std::string& text);

}  // namespace tinctara::hardware
