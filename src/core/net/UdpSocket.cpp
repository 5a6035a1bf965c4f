#include "net/UdpSocket.h"

#include "net/LocalAddresses.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tinctara {

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::open(std::uint32_t address, std::uint16_t port, std::string& error)
{
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    // Broadcast destinations need the permission; multicast stays on the
    // local network segment.
    // Bound at once, so that the port our datagrams leave from is known
    // before the first one: the input tells our own output from a desk by it.
    const int on = 1;
    const unsigned char hops = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    socklen_t length = sizeof local;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_TTL, &hops, sizeof hops) != 0 ||
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        error = std::strerror(errno);
        close();
        return false;
    }
    localPort_ = ntohs(local.sin_port);
    address_ = address;
    port_ = port;
    return true;
}

bool UdpSocket::send(const std::uint8_t* data, std::size_t size)
{
    if (fd_ < 0)
        return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = htonl(address_);
    const ssize_t sent =
        ::sendto(fd_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(size);
}

void UdpSocket::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    localPort_ = 0;
}

std::uint32_t UdpSocket::directedBroadcast()
{
    for (const LocalAddress& local : localAddresses())
        if (local.broadcast)
            return local.broadcast;
    return 0;
}

}  // namespace tinctara
