// Ports and FIFOs: single accesses of 1, 2 or 4 bytes, and blocks of them on
// one port. The port is checked against its width before these run.
#include "Operations.h"

namespace hwport::service::handlers {

namespace p = protocol;

Server::Answer portIn(Request& request)
{
    return value32(request.backend.portIn(p::get32(request.in), request.operation.width));
}

Server::Answer portOut(Request& request)
{
    request.backend.portOut(p::get32(request.in), request.operation.width, p::get32(request.in + 4));
    return {};
}

// A FIFO answers its request: the header, then the elements read.
Server::Answer fifoIn(Request& request)
{
    const uint32_t port = p::get32(request.in), count = p::get32(request.in + 4);
    const uint32_t width = request.operation.width;
    Server::Answer answer;
    answer.data.assign(request.in, request.in + request.inLength);
    unsigned char* at = answer.data.data() + p::fifoHeaderSize;
    for (uint32_t i = 0; i < count; ++i, at += width) {
        const uint32_t v = request.backend.portIn(port, width);
        for (uint32_t b = 0; b < width; ++b)
            at[b] = uint8_t(v >> (8 * b));
    }
    return answer;
}

// ... or the elements written.
Server::Answer fifoOut(Request& request)
{
    const uint32_t port = p::get32(request.in), count = p::get32(request.in + 4);
    const uint32_t width = request.operation.width;
    const unsigned char* at = request.in + p::fifoHeaderSize;
    for (uint32_t i = 0; i < count; ++i, at += width) {
        uint32_t v = 0;
        for (uint32_t b = 0; b < width; ++b)
            v |= uint32_t(at[b]) << (8 * b);
        request.backend.portOut(port, width, v);
    }
    Server::Answer answer;
    answer.data.assign(request.in, request.in + request.inLength);
    return answer;
}

}  // namespace hwport::service::handlers
