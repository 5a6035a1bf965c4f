#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tinctara::testing {

// A UDP socket of the test's own on a loopback address: a desk that sends,
// or a node that hears. Loopback delivers within the sending call.
class LoopbackPeer {
public:
    explicit LoopbackPeer(const char* address = "127.0.0.1", std::uint16_t port = 0, bool share = false)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (share)
            ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, address, &local.sin_addr);
        local.sin_port = htons(port);
        socklen_t length = sizeof local;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << address << ":" << port;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
    }
    ~LoopbackPeer() { ::close(fd_); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return port_; }

    void send(std::uint16_t to, std::span<const std::uint8_t> bytes, const char* address = "127.0.0.1")
    {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        ::inet_pton(AF_INET, address, &target.sin_addr);
        target.sin_port = htons(to);
        ASSERT_EQ(::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target),
                  static_cast<ssize_t>(bytes.size()));
    }

    // The next datagram waiting, if any.
    std::optional<std::vector<std::uint8_t>> receive()
    {
        std::vector<std::uint8_t> buffer(2048);
        const ssize_t size = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (size < 0)
            return std::nullopt;
        buffer.resize(static_cast<std::size_t>(size));
        return buffer;
    }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace tinctara::testing
