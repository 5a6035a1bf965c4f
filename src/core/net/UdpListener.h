#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tinctara {

// One datagram read; addresses and ports in host order.
struct ReceivedDatagram {
    std::size_t size = 0;         // its whole length, also when the buffer held less
    std::uint32_t from = 0;       // the sender
    std::uint16_t fromPort = 0;   //
    std::uint32_t arrivedAt = 0;  // the local address it came in on (for broadcast and multicast: the interface's)
};

// A non-blocking UDP socket bound to a local address and port, read by the
// thread that watches its descriptor. Every call that fails gives the errno
// (0: done), so each caller says in its own words what could not be done.
class UdpListener {
public:
    struct Options {
        bool shareAddress = false;  // SO_REUSEADDR: other listeners may bind the same port
        bool broadcast = false;     // SO_BROADCAST
    };

    UdpListener() = default;
    ~UdpListener() { close(); }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // Port 0 takes a free port, which port() then names.
    int open(std::uint32_t address, std::uint16_t port, Options options);
    // Joins a multicast group on the interface with the address `interface` (0: the system's choice).
    int join(std::uint32_t group, std::uint32_t interface);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    std::uint16_t port() const { return port_; }

    // The next datagram waiting, its bytes in `buffer`; none when nothing waits.
    std::optional<ReceivedDatagram> receive(std::span<std::uint8_t> buffer);
    // Never blocks; what the system cannot take now is dropped.
    void sendTo(std::uint32_t address, std::uint16_t port, std::span<const std::uint8_t> data);

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// The system's reason in the program's language; glibc's own texts follow the
// locale, which the program does not set.
std::string systemReason(int error);

}  // namespace tinctara
