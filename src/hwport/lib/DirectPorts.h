// The processor's own port instructions, for HardAccess 0.
#pragma once

#include <cstdint>

namespace hwport {

// Asks the kernel for port access for this process. Returns the first port
// that is not covered (0x10000 for all ports, 0x400 for the ISA range), or 0
// when the process lacks the privilege or the processor has no port space.
uint32_t acquireDirectPortAccess();

uint32_t directIn(uint32_t port, uint32_t width);
void directOut(uint32_t port, uint32_t width, uint32_t value);
void directInString(uint32_t port, uint32_t width, void* data, uint32_t count);
void directOutString(uint32_t port, uint32_t width, const void* data, uint32_t count);

}  // namespace hwport
