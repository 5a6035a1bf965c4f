#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tinctara {

// Where the output tick hands the 512 slots of a network interface kind.
class NetworkDmxSender {
public:
    virtual ~NetworkDmxSender() = default;
    // `slots` holds 512 levels, channel 1 first.
    virtual void sendDmx(const std::uint8_t* slots) = 0;
};

// One UDP socket sending to one IPv4 destination (addresses in host order).
class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    // False with the system's reason in `error` when no socket can be made.
    virtual bool open(std::uint32_t address, std::uint16_t port, std::string& error) = 0;
    // Never blocks; a datagram the system cannot take now is dropped.
    virtual bool send(const std::uint8_t* data, std::size_t size) = 0;
    virtual void close() = 0;
    // The broadcast address of the first network interface that is up and has
    // one (loopback has none); 0 when there is none.
    virtual std::uint32_t directedBroadcast() = 0;
};

}  // namespace tinctara
