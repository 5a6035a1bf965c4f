#pragma once

#include <cstdint>

namespace tinctara {

// Byte-wide I/O port access: the only hardware dependency of the ISA card and
// memory card protocols.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t readPort(std::uint32_t port) = 0;
    virtual void writePort(std::uint32_t port, std::uint8_t value) = 0;
};

}  // namespace tinctara
