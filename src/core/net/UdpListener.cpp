#include "net/UdpListener.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tinctara {

int UdpListener::open(std::uint32_t address, std::uint16_t port, Options options)
{
    close();
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    local.sin_port = htons(port);
    socklen_t length = sizeof local;
    // The arrival address tells the interface a datagram came in on.
    if ((options.shareAddress && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) ||
        (options.broadcast && ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) ||
        ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    port_ = ntohs(local.sin_port);
    return 0;
}

int UdpListener::join(std::uint32_t group, std::uint32_t interface)
{
    ip_mreq request{};
    request.imr_multiaddr.s_addr = htonl(group);
    request.imr_interface.s_addr = htonl(interface);
    return ::setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0 ? 0 : errno;
}

void UdpListener::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    port_ = 0;
}

std::optional<ReceivedDatagram> UdpListener::receive(std::span<std::uint8_t> buffer)
{
    if (fd_ < 0)
        return std::nullopt;
    sockaddr_in from{};
    iovec part{buffer.data(), buffer.size()};
    alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t size = 0;
    // MSG_TRUNC: the datagram's whole length, however much of it fits.
    while ((size = ::recvmsg(fd_, &message, MSG_TRUNC | MSG_DONTWAIT)) < 0 && errno == EINTR) {
    }
    if (size < 0)
        return std::nullopt;
    ReceivedDatagram datagram{static_cast<std::size_t>(size), ntohl(from.sin_addr.s_addr), ntohs(from.sin_port), 0};
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::copy_n(CMSG_DATA(header), sizeof info, reinterpret_cast<std::uint8_t*>(&info));
            datagram.arrivedAt = ntohl(info.ipi_spec_dst.s_addr);
        }
    return datagram;
}

void UdpListener::sendTo(std::uint32_t address, std::uint16_t port, std::span<const std::uint8_t> data)
{
    if (fd_ < 0)
        return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    (void)::sendto(fd_, data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                   sizeof to);
}

std::string systemReason(int error)
{
    switch (error) {
    case EADDRINUSE:
        return "Adresse wird bereits verwendet";
    case EADDRNOTAVAIL:
        return "Die angeforderte Adresse kann nicht zugewiesen werden";
    case EACCES:
    case EPERM:
        return "Keine Berechtigung";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    case ENODEV:
        return "Kein passendes Netzwerkgerät";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

}  // namespace tinctara
