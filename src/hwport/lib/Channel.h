// The library's only way to its driver: device-control requests (code, input
// bytes, output bytes) and reads of keyboard records.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hwport {

struct ControlResult {
    bool ok = false;
    size_t returned = 0;
    int fd = -1;  // a descriptor handed back with the answer; the receiver closes it
};

class Channel {
public:
    virtual ~Channel() = default;
    // sendFd, when not -1, travels with the request (events, for example).
    virtual ControlResult control(uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
                                  int sendFd = -1) = 0;
    // Reads queued keyboard records; returns the number of bytes.
    virtual size_t read(void* out, size_t outLength) = 0;
};

class DeviceOpener {
public:
    virtual ~DeviceOpener() = default;
    // Null when the device cannot be opened. The connection owns the channel.
    virtual Channel* open(const char* deviceName) = 0;
    // Starts the driver service; true once it can be opened.
    virtual bool startService(const char* driverName, const char* deviceName) = 0;
};

// What OpenHWPORT32 needs from the system. Tests substitute their own.
struct Environment {
    bool win9x = false;
    bool ntAbove4 = true;
    // Direct port instructions may be used when the process has the privilege;
    // false when the virtual bus is selected, so that nothing reaches real ports.
    bool directAccessAllowed = false;
    DeviceOpener* opener = nullptr;
};

// The socket opener and the platform facts of this machine.
Environment systemEnvironment();

}  // namespace hwport
