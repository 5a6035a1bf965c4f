#pragma once

#include <cstdint>
#include <vector>

namespace tinctara {

// An IPv4 address of this machine on an interface that is up (host order).
struct LocalAddress {
    std::uint32_t address = 0;
    std::uint32_t broadcast = 0;  // 0: the interface has none (loopback, point-to-point)
    bool loopback = false;
};

// In the order the system lists its interfaces.
std::vector<LocalAddress> localAddresses();

}  // namespace tinctara
