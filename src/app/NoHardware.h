#pragma once

#include "platform/DmxLibraries.h"
#include "platform/PortIo.h"

namespace tinctara {

// Stand-ins while no port or library is reachable: an empty bus reads all ones
// and the libraries accept and drop their calls.
class EmptyPortBus : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t) override { return 0xFF; }
    void writePort(std::uint32_t, std::uint8_t) override {}
};

class AbsentUsbLibrary : public UsbDmxLibrary {
public:
    std::int32_t hardCommand(std::int32_t, std::int32_t, std::uint8_t*) override { return 0; }
};

class AbsentCardLibrary : public DmxCardLibrary {
public:
    std::int32_t dmxSend(std::int32_t&, const std::uint32_t*) override { return 0; }
    std::int32_t dmxSend2(std::int32_t&, const std::uint32_t*) override { return 0; }
};

}  // namespace tinctara
