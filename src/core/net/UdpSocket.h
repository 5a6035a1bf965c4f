#pragma once

#include "platform/Network.h"

#include <atomic>

namespace tinctara {

// DatagramSocket on a POSIX UDP socket.
class UdpSocket : public DatagramSocket {
public:
    UdpSocket() = default;
    ~UdpSocket() override;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool open(std::uint32_t address, std::uint16_t port, std::string& error) override;
    bool send(const std::uint8_t* data, std::size_t size) override;
    void close() override;
    std::uint32_t directedBroadcast() override;

    // The local port datagrams leave from while open; 0 while closed. Read
    // from any thread.
    std::uint16_t localPort() const { return localPort_; }

private:
    int fd_ = -1;
    std::uint32_t address_ = 0;
    std::uint16_t port_ = 0;
    std::atomic<std::uint16_t> localPort_{0};
};

}  // namespace tinctara
