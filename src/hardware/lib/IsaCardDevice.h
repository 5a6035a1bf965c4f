#pragma once

#include "HardwareConfig.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tinctara::hardware {

// The firmware images the emulated cards know.
enum class FirmwareImage { None, Fwisa12A, Fwisa16B, Fwisa17C };

// Recognises one of our images at the start of card memory: magic "TCFW",
// its 12-byte file name, its length (little endian) and a 16-bit sum of all
// bytes before the sum.
FirmwareImage recogniseFirmware(const std::uint8_t* memory, std::size_t size);

// The identity byte a card of this model shows after starting this image.
std::uint8_t identityByte(CardModel model, FirmwareImage image);

// One emulated ISA DMX card: 64 KB of card memory behind an address latch
// (B+0 low byte, B+1 high byte) and a data port (B+2); B+3 and B+0 are the
// run and halt strobes of its type.
class IsaCardDevice {
public:
    IsaCardDevice(CardModel model, std::uint16_t base);

    std::uint16_t base() const { return base_; }
    CardModel model() const { return model_; }
    bool claims(std::uint32_t port) const { return port >= base_ && port < base_ + 4u; }

    std::uint8_t read(std::uint32_t port);
    void write(std::uint32_t port, std::uint8_t value);

    bool running() const { return running_; }
    const std::vector<std::uint8_t>& memory() const { return memory_; }
    // Start code and channel levels as transmitted; empty while halted.
    std::size_t frame(std::uint8_t* out, std::size_t size) const;
    // Slots of a frame: the channel count of the timing block (7301B) or all
    // 512 channels (the fixed-timing models).
    int channelCount() const;
    std::uint8_t startCode() const;

private:
    bool typeOne() const { return model_ != CardModel::Isa7301C; }
    void run();

    CardModel model_;
    std::uint16_t base_;
    std::uint16_t latch_ = 0;
    bool running_ = false;
    std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(0x10000, 0);
};

}  // namespace tinctara::hardware
