#include "net/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
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
    const int on = 1;
    const unsigned char hops = 1;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_TTL, &hops, sizeof hops) != 0) {
        error = std::strerror(errno);
        close();
        return false;
    }
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
}

std::uint32_t UdpSocket::directedBroadcast()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    std::uint32_t found = 0;
    for (const ifaddrs* entry = list; entry && !found; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_broadaddr || !(flags & IFF_UP) ||
            !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK))
            continue;
        found = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr)->sin_addr.s_addr);
    }
    ::freeifaddrs(list);
    return found;
}

}  // namespace tinctara
