#pragma once

#include <cstdint>

namespace tinctara {

// The USB interface library: one command call with a number, a parameter and a
// byte buffer.
class UsbDmxLibrary {
public:
    virtual ~UsbDmxLibrary() = default;
    virtual std::int32_t hardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer) = 0;
};

// The driver library of the PCMCIA and PCI cards: two send calls taking the card
// handle by reference and a frame of 32-bit levels.
class DmxCardLibrary {
public:
    virtual ~DmxCardLibrary() = default;
    virtual std::int32_t dmxSend(std::int32_t& handle, const std::uint32_t* frame) = 0;
    virtual std::int32_t dmxSend2(std::int32_t& handle, const std::uint32_t* frame) = 0;
};

}  // namespace tinctara
