#pragma once

#include "platform/Network.h"

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

private:
    int fd_ = -1;
    std::uint32_t address_ = 0;
    std::uint16_t port_ = 0;
};

}  // namespace tinctara
