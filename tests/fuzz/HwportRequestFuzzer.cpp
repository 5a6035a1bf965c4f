// Feeds arbitrary request messages to hwport32d's request decoder on the
// virtual bus, as one client would send them over its socket. The input is a
// series of messages, each led by a flags byte (bit 0: an event descriptor
// comes with it; bit 1: the message was cut short) and a 16-bit length, so
// that sequences (lock, unmask, free, hook) are reached too. Any crash, leak
// or out-of-bounds access is a finding.
#include "service/Server.h"
#include "service/VirtualBus.h"

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace hwport::service;
    VirtualBus bus("");
    if (!bus.ready())
        return 0;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    {
        Server server(ServerOptions{}, bus);
        server.adopt(pair[0]);  // closed by the server
        size_t at = 0;
        while (at + 3 <= size) {
            const uint8_t flags = data[at];
            size_t length = size_t(data[at + 1]) | size_t(data[at + 2]) << 8;
            at += 3;
            if (length > size - at)
                length = size - at;
            int fd = (flags & 1) != 0 ? eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
            Server::Answer answer = server.handle(pair[0], data + at, length, (flags & 2) != 0, fd);
            if (fd >= 0)
                ::close(fd);
            if (answer.fd >= 0)
                ::close(answer.fd);
            at += length;
        }
    }
    ::close(pair[1]);
    return 0;
}
