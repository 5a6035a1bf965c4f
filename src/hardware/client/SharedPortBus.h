#pragma once

#include "platform/PortIo.h"
#include "tinctara_portio.h"

namespace tinctara {

// The program's ports: the process's one bus in libtinctaraio.
class SharedPortBus : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t port) override { return PortIoRead(port); }
    void writePort(std::uint32_t port, std::uint8_t value) override { PortIoWrite(port, value); }
};

}  // namespace tinctara
